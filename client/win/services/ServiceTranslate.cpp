#include "win/services/ServiceTranslate.h"

#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <variant>

#include "common/Process.h"
#include "common/Text.h"
#include "core/Messages.h"
#include "core/selection/Direction.h"
#include "core/services/ServiceApi.h"
#include "core/services/ServiceForm.h"
#include "core/services/ServiceMessages.h"
#include "core/text/Secrets.h"
#include "win/net/Worker.h"

namespace velmora {
namespace {

// Everything a call sends; the headers and the body may hold the key and are wiped when the call is done.
struct PreparedCall {
    const ServiceRow* row = nullptr;
    std::wstring url;
    std::wstring headers;
    std::string body;
    std::string key;           // as the answer would repeat it, to be masked there
    std::wstring baseUrl;      // the server's configured address, for the report of one that is not running
    ServiceProgress progress;  // a streaming service's
    std::function<void()> activity;
    std::shared_ptr<EarlyConnection> early;
    bool get = false;
    // Asked with the source left to the service: the same text from Japanese to English, sent only when the service
    // answers that the text was Japanese already (Han characters alone can be).
    std::shared_ptr<PreparedCall> again;
    PreparedCall() = default;
    PreparedCall(const PreparedCall&) = delete;
    PreparedCall& operator=(const PreparedCall&) = delete;
    ~PreparedCall() {
        WipeString(headers);
        WipeString(body);
        WipeString(key);
    }
};

using Prepared = std::variant<std::wstring, std::shared_ptr<PreparedCall>>;

// The key seen as the portable code's text without a copy.
std::u16string_view KeyView(const ServiceRequest& request) {
    if (!request.key) {
        return {};
    }
    const std::wstring& text = request.key->Get();
    return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}

// The test's host for a service whose hosts are fixed, taken only when it names this computer.
std::optional<std::u16string> HostOverride(const ServiceRow& row) {
    return row.hostVariable ? LoopbackHostOnly(common::EnvironmentValue(row.hostVariable)) : std::nullopt;
}

// UTF-8, as the answer would carry the key; sized first so that no partial copy is left in freed memory.
void KeyAsUtf8(const SecretText& key, std::string& out) {
    const std::wstring& wide = key.Get();
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    out.resize(n > 0 ? static_cast<size_t>(n) : 0);
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
}

// The call's headers and, where the row says the key goes in one, the key's: built in one buffer of the final size,
// so that no partial copy of the key is left in freed memory.
void FillHeaders(PreparedCall& call, const ServiceRow& row, const ApiCall& apiCall, const ServiceRequest& request) {
    const std::wstring head = common::ToWide(apiCall.headers);
    const std::wstring keyHeader = common::ToWide(row.keyHeader);
    const bool withKey = !keyHeader.empty() && !KeyView(request).empty();
    call.headers.reserve(head.size() + (withKey ? keyHeader.size() + request.key->Get().size() + 2 : 0));
    call.headers.append(head);
    if (withKey) {
        call.headers.append(keyHeader).append(request.key->Get()).append(L"\r\n");
    }
}

Prepared Prepare(const ServiceRequest& request);

// The second call of a request whose source was left to the service, from Japanese to English.
std::shared_ptr<PreparedCall> PrepareAgain(const ServiceRequest& request) {
    ServiceRequest again = request;
    again.sourceLang = L"JA";
    again.targetLang = L"EN";
    again.early = nullptr;
    Prepared prepared = Prepare(again);
    auto* call = std::get_if<std::shared_ptr<PreparedCall>>(&prepared);
    return call ? *call : nullptr;
}

Prepared Prepare(const ServiceRequest& request) {
    const ServiceRow& row = RowOf(request.settings.kind);
    if (!row.call) {
        return std::wstring(kCannotStartText);  // the pages are no API; the start-up never sends them here
    }
    // A key goes into a header or the JSON body as it is: one with a line break could add headers of its own.
    if (request.key && !IsUsableKey(request.key->Get())) {
        return common::ToWide(UnusableKeyText());
    }
    // The pair only views its languages: they live here for as long as the input does.
    const std::u16string text = common::ToU16(request.text);
    const std::u16string source = common::ToU16(request.sourceLang), target = common::ToU16(request.targetLang);
    const ApiInput input{request.settings, KeyView(request), HostOverride(row), text, LanguagePair{source, target}};
    if (auto refusal = row.refusal ? row.refusal(input) : std::nullopt) {
        return common::ToWide(*refusal);
    }
    if (row.url && !input.key.empty()) {
        if (const auto problem = KeyDestinationProblem(request.settings.*row.url, request.keyOrigin)) {
            return std::wstring(*problem);
        }
    }
    ApiCall apiCall = row.call(input);
    auto call = std::make_shared<PreparedCall>();
    call->body = std::move(apiCall.body);
    call->get = apiCall.get;
    // A JSON body is checked here too (the trial's text is no start's); a form body escapes every byte, and its text
    // was measured against the limit before the start (FittingApiLength).
    if (apiCall.headers.find(u"application/json") != std::u16string::npos && call->body.size() > row.bodyLimit) {
        return common::ToWide(ServiceTooLongText());
    }
    call->row = &row;
    call->url = common::ToWide(apiCall.url);
    FillHeaders(*call, row, apiCall, request);
    if (request.key && !input.key.empty()) {
        KeyAsUtf8(*request.key, call->key);
    }
    call->baseUrl = row.url ? request.settings.*row.url : std::wstring();
    call->progress = request.progress;
    call->activity = request.activity;
    call->early = request.early;
    if (request.sourceLang.empty() && !row.streams) {
        call->again = PrepareAgain(request);
    }
    return call;
}

FetchResult Failure(std::u16string text) {
    FetchResult result;
    result.error = common::ToWide(text);
    return result;
}

FetchResult Translation(std::u16string text) {
    if (text.empty()) {
        return Failure(EmptyTranslationText());
    }
    FetchResult result;
    result.ok = true;
    result.text = common::ToWide(text);
    return result;
}

// A failed connection or send; a refused one to this computer is most likely a local server that is not running.
FetchResult NoAnswer(const PreparedCall& call, ApiAnswer& answer) {
    if (answer.systemError == ERROR_INTERNET_CANNOT_CONNECT && !call.baseUrl.empty() &&
        IsLoopbackHost(UrlHost(call.baseUrl))) {
        return Failure(LocalServerDownText(common::ToU16(call.baseUrl)));
    }
    if (answer.failure.error.empty()) {
        answer.failure.error = TimeoutText(kChatIdleMs);
    }
    return std::move(answer.failure);
}

FetchResult Call(const PreparedCall& call, ULONGLONG deadline) {
    ApiAnswer answer = PostJson(call.url, call.headers, call.body, deadline, {}, call.early, call.get);
    const ServiceRow& row = *call.row;
    if (!answer.answered) {
        return std::move(answer.failure);
    }
    // The key must never reach the report's box.
    MaskKey(answer.body, call.key);
    if (answer.status >= 200 && answer.status <= 299) {
        if (auto translation = AnswerOf(row.kind, answer.body)) {
            if (!translation->report.empty()) {
                return Failure(std::move(translation->report));
            }
            if (call.again && AskAgain({{u"", u"JA"}, true}, std::u16string(translation->detected.begin(), translation->detected.end()))) {
                return Call(*call.again, deadline);
            }
            FetchResult result;
            result.ok = true;
            result.text = common::ToWide(translation->text);
            return result;
        }
    }
    return Failure(ServiceAnswerText(row.kind, static_cast<int>(answer.status),
                                          ServiceMessageOfAnswer(row.kind, answer.body)));
}

bool StartsWithNoCase(const std::wstring& text, std::wstring_view prefix) {
    return text.size() >= prefix.size() &&
           CompareStringOrdinal(text.data(), static_cast<int>(prefix.size()), prefix.data(),
                                static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

// What came of a streamed request that was answered with a 2xx status.
std::optional<std::u16string> StreamedText(const PreparedCall& call, ChatReading& reading, bool streamed,
                                           ApiAnswer& answer, std::u16string& report) {
    const int status = static_cast<int>(answer.status);
    if (streamed) {
        auto text = reading.Result(call.key, status);
        report = reading.Report();
        return text;
    }
    if (auto whole = ChatAnswer(answer.body)) {
        if (!whole->report.empty()) {
            report = std::move(whole->report);
            return std::nullopt;
        }
        return std::move(whole->text);
    }
    // Some servers and proxies send the event stream under another type; read it whole.
    ChatReading late(nullptr);
    late.Take(answer.body);
    auto text = late.Result(call.key, status);
    report = late.Report();
    return text;
}

// `bounded`: the stream ends at the deadline however it is still coming, for a caller that stops waiting then (試す),
// so that its worker does not keep the connection and the key's headers alive.
FetchResult CallStreaming(const PreparedCall& call, ULONGLONG deadline, bool bounded) {
    ChatReading reading(call.progress);
    bool streamed = false;
    AnswerReading how;
    how.idleMs = kChatIdleMs;
    how.until = bounded ? deadline : 0;
    how.status = [&streamed](DWORD status, const std::wstring& type) {
        streamed = status >= 200 && status <= 299 && StartsWithNoCase(type, L"text/event-stream");
        return !streamed;
    };
    how.piece = [&](std::string_view piece) {
        if (call.activity) {
            call.activity();  // every byte counts against the silence, not only the text that shows
        }
        return !streamed || reading.Take(piece);
    };
    ApiAnswer answer = PostJson(call.url, call.headers, call.body, deadline, how, call.early);
    if (!answer.answered) {
        return NoAnswer(call, answer);
    }
    MaskKey(answer.body, call.key);
    const int status = static_cast<int>(answer.status);
    const ServiceKind kind = call.row->kind;
    if (status < 200 || status > 299) {
        return Failure(ServiceAnswerText(kind, status, ServiceMessageOfAnswer(kind, answer.body)));
    }
    std::u16string report;
    std::optional<std::u16string> text = StreamedText(call, reading, streamed, answer, report);
    return text ? Translation(std::move(*text)) : Failure(std::move(report));
}

TransferFunction Transfer(std::shared_ptr<PreparedCall> call) {
    if (call->row->streams) {
        return [call = std::move(call)](ULONGLONG deadline) { return CallStreaming(*call, deadline, true); };
    }
    return [call = std::move(call)](ULONGLONG deadline) { return Call(*call, deadline); };
}

}  // namespace

std::wstring ServiceEndpoint(const ServiceRequest& request) {
    const ServiceRow& row = RowOf(request.settings.kind);
    if (!row.endpoint) {
        return {};
    }
    return common::ToWide(row.endpoint({request.settings, KeyView(request), HostOverride(row), {}, {}}));
}

ServiceOutcome TranslateWithService(const ServiceRequest& request, Deadline deadline) {
    Prepared prepared = Prepare(request);
    if (auto* failure = std::get_if<std::wstring>(&prepared)) {
        return {false, std::move(*failure)};
    }
    FetchResult result = RunBeforeDeadline(Transfer(std::get<1>(std::move(prepared))), deadline);
    return {result.ok, result.ok ? std::move(result.text) : std::move(result.error)};
}

bool StartServiceTranslation(const ServiceRequest& request,
                             Deadline deadline,
                             std::function<void(FetchResult)> deliver) {
    Prepared prepared = Prepare(request);
    if (auto* failure = std::get_if<std::wstring>(&prepared)) {
        FetchResult result;
        result.error = std::move(*failure);
        deliver(std::move(result));
        return true;
    }
    auto call = std::get<1>(std::move(prepared));
    if (call->row->streams) {
        // Not through the page fetch's deadline: a model may write for longer than the request's limit, and its
        // reports must not turn into "did not answer in time" then. The caller watches the silence instead.
        return static_cast<bool>(StartWorker(
            [call, deadline, deliver = std::move(deliver)] { deliver(CallStreaming(*call, deadline.at, false)); }));
    }
    return StartBeforeDeadline(Transfer(std::move(call)), deadline, std::move(deliver));
}

}  // namespace velmora
