#include "win/services/ServiceTranslate.h"

#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <variant>

#include "common/Process.h"
#include "common/Text.h"
#include "core/Messages.h"
#include "core/services/EventStream.h"
#include "core/services/ServiceApi.h"
#include "core/services/ServiceForm.h"
#include "core/services/ServiceMessages.h"
#include "core/text/Secrets.h"
#include "win/net/Worker.h"

namespace velmora {
namespace {

// Everything a call sends; the headers and the body may hold the key and are wiped when the call is done.
struct PreparedCall {
    ServiceKind api = ServiceKind::DeepL;
    std::wstring url;
    std::wstring headers;
    std::string body;
    bool get = false;          // a GET of the URL, without the body
    std::string key;           // as the answer would repeat it, to be masked there
    std::wstring baseUrl;      // Chat: the server's address, for the report of one that is not running
    ServiceProgress progress;  // Chat
    std::shared_ptr<EarlyConnection> early;
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
std::u16string_view View(const std::wstring& text) {
    return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}

// The services whose request is built by their row alone (core/services/Services.cpp).
bool ByRow(ServiceKind kind) {
    return kind == ServiceKind::Google || kind == ServiceKind::Microsoft || kind == ServiceKind::Azure;
}

// A row's input from the request; `settings` and `text` must outlive it.
ApiInput InputOf(const ServiceRequest& request, const ServiceSettings& settings, std::u16string_view text,
                 const LanguagePair& pair) {
    const ServiceRow& row = RowOf(request.kind);
    const std::u16string_view key = request.key ? View(request.key->Get()) : std::u16string_view();
    return {settings, key, LoopbackHostOnly(common::EnvironmentValue(row.hostVariable)), text, pair};
}

ServiceSettings SettingsOf(const ServiceRequest& request) {
    ServiceSettings settings;
    settings.kind = request.kind;
    settings.azureRegion = request.azureRegion;
    return settings;
}

}  // namespace

std::wstring ServiceEndpoint(const ServiceRequest& request) {
    const std::u16string_view key = request.key ? View(request.key->Get()) : std::u16string_view();
    if (ByRow(request.kind)) {
        const ServiceSettings settings = SettingsOf(request);
        return common::ToWide(RowOf(request.kind).endpoint(InputOf(request, settings, u"", {u"EN", u"JA"})));
    }
    switch (request.kind) {
        case ServiceKind::DeepL:
            return key.empty() ? std::wstring()
                               : common::ToWide(DeepLEndpoint(
                                     key, LoopbackHostOnly(common::EnvironmentValue(L"VELMORA_DEEPL_HOST"))));
        case ServiceKind::Chat:
            return IsValidServiceUrl(request.chatUrl) ? common::ToWide(ChatEndpoint(common::ToU16(request.chatUrl)))
                                                      : std::wstring();
        case ServiceKind::LibreTranslate:
            return IsValidServiceUrl(request.libreTranslateUrl)
                       ? common::ToWide(LibreEndpoint(common::ToU16(request.libreTranslateUrl)))
                       : std::wstring();
        default:
            return {};
    }
}

namespace {

Prepared Prepare(const ServiceRequest& request) {
    const std::u16string source = common::ToU16(request.sourceLang);
    const std::u16string target = common::ToU16(request.targetLang);
    const LanguagePair pair{source, target};
    const std::u16string_view key = request.key ? View(request.key->Get()) : std::u16string_view();
    // A key goes into a header or the JSON body as it is: one with a line break could add headers of its own.
    if (request.key && !IsUsableKey(request.key->Get())) {
        return common::ToWide(UnusableKeyText());
    }
    auto call = std::make_shared<PreparedCall>();
    if (request.key && !key.empty()) {
        // UTF-8, as the answer would carry it; sized first so that no partial copy is left in freed memory.
        const std::wstring& wide = request.key->Get();
        const int n =
            WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
        call->key.resize(n > 0 ? static_cast<size_t>(n) : 0);
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), call->key.data(), n, nullptr,
                            nullptr);
    }
    size_t limit = 0;
    if (ByRow(request.kind)) {
        const ServiceRow& row = RowOf(request.kind);
        const ServiceSettings settings = SettingsOf(request);
        const std::u16string text = common::ToU16(request.text);
        const ApiInput input = InputOf(request, settings, text, pair);
        if (const auto refusal = row.refusal ? row.refusal(input) : std::nullopt) {
            return common::ToWide(*refusal);
        }
        // Google's form body escapes each byte; the limit is the text's, as FittingApiLength measures it.
        if (FittingApiLength(request.kind, text) < text.size()) {
            return common::ToWide(ServiceTooLongText());
        }
        ApiCall built = row.call(input);
        call->api = request.kind;
        call->url = common::ToWide(built.url);
        call->get = built.get;
        call->body = std::move(built.body);
        const std::wstring headers = common::ToWide(built.headers);
        const std::wstring keyHeader = common::ToWide(row.keyHeader);
        // Built in one buffer of the final size, so that no partial copy of the key is left in freed memory.
        call->headers.reserve(headers.size() + keyHeader.size() + key.size() + 2);
        call->headers.append(headers);
        if (row.credential && !key.empty()) {
            call->headers.append(keyHeader).append(request.key->Get()).append(L"\r\n");
        }
        call->early = request.early;
        return call;
    }
    if (request.kind == ServiceKind::DeepL) {
        if (key.empty()) {
            return common::ToWide(NoDeepLKeyText());
        }
        call->api = ServiceKind::DeepL;
        call->url = ServiceEndpoint(request);
        // Built in one buffer of the final size, so that no partial copy of the key is left in freed memory.
        constexpr std::wstring_view head = L"Content-Type: application/json\r\nAuthorization: DeepL-Auth-Key ";
        call->headers.reserve(head.size() + key.size() + 2);
        call->headers.append(head).append(request.key->Get()).append(L"\r\n");
        call->body = DeepLBody(common::ToU16(request.text), pair);
        limit = kDeepLBodyLimit;
    } else if (request.kind == ServiceKind::Chat) {
        if (!IsValidServiceUrl(request.chatUrl)) {
            return common::ToWide(NoChatUrlText());
        }
        if (request.chatModel.empty()) {
            return common::ToWide(NoChatModelText());
        }
        if (const auto problem =
                key.empty() ? std::nullopt : KeyDestinationProblem(request.chatUrl, request.keyOrigin)) {
            return std::wstring(*problem);
        }
        call->api = ServiceKind::Chat;
        call->baseUrl = request.chatUrl;
        call->progress = request.progress;
        call->url = ServiceEndpoint(request);
        // No key, no header: a local server (Ollama) needs none and some refuse an unknown one.
        constexpr std::wstring_view head = L"Content-Type: application/json\r\nAccept: text/event-stream\r\n";
        constexpr std::wstring_view bearer = L"Authorization: Bearer ";
        call->headers.reserve(head.size() + bearer.size() + key.size() + 2);
        call->headers.append(head);
        if (!key.empty()) {
            call->headers.append(bearer).append(request.key->Get()).append(L"\r\n");
        }
        call->body = ChatBody(common::ToU16(request.text), pair, common::ToU16(request.chatModel));
        limit = kChatBodyLimit;
    } else {
        if (request.libreTranslateUrl.empty() || !IsValidServiceUrl(request.libreTranslateUrl)) {
            return common::ToWide(NoLibreUrlText(!request.libreTranslateUrl.empty()));
        }
        if (const auto problem =
                key.empty() ? std::nullopt : KeyDestinationProblem(request.libreTranslateUrl, request.keyOrigin)) {
            return std::wstring(*problem);
        }
        call->api = ServiceKind::LibreTranslate;
        call->url = ServiceEndpoint(request);
        call->headers = L"Content-Type: application/json\r\n";
        call->body = LibreBody(common::ToU16(request.text), pair, key);
        limit = kLibreBodyLimit;
    }
    if (call->body.size() > limit) {
        return common::ToWide(ServiceTooLongText());
    }
    call->early = request.early;
    return call;
}

FetchResult Call(const PreparedCall& call, ULONGLONG deadline) {
    ApiAnswer answer = PostJson(call.url, call.headers, call.body, deadline, {}, call.early, call.get);
    if (!answer.answered) {
        return std::move(answer.failure);
    }
    // The key must never reach the report's box.
    MaskKey(answer.body, call.key);
    FetchResult result;
    if (answer.status >= 200 && answer.status <= 299) {
        if (auto translation = AnswerOf(call.api, answer.body)) {
            result.ok = true;
            result.text = common::ToWide(translation->text);
            result.detected = std::move(translation->detected);
            return result;
        }
    }
    result.error = common::ToWide(
        ServiceAnswerText(call.api, static_cast<int>(answer.status), ServiceMessageOfAnswer(call.api, answer.body)));
    return result;
}

// A chat answer read as it arrives: the events' pieces joined, and what of them the user may see.
class ChatReading {
  public:
    explicit ChatReading(ServiceProgress progress) : progress_(std::move(progress)) {}

    // False once the answer is complete ([DONE], or an error in the stream): nothing more needs to be read.
    bool Take(std::string_view piece) {
        for (const std::string& data : stream_.Feed(piece)) {
            Event(data);
        }
        Show();
        return !done_;
    }
    // The translation once the stream has ended, or nothing when it is no answer; then Report() says why.
    [[nodiscard]] std::optional<std::u16string> Result(const std::string& key, int status) {
        for (const std::string& data : stream_.Finish()) {
            Event(data);
        }
        if (!errorData_.empty()) {
            MaskKey(errorData_, key);
            report_ = ServiceAnswerText(ServiceKind::Chat, 0, ServiceMessageOfAnswer(ServiceKind::Chat, errorData_));
            return std::nullopt;
        }
        if (!readable_) {
            report_ = ServiceAnswerText(ServiceKind::Chat, status, u"");
            return std::nullopt;
        }
        return std::u16string(VisibleAnswer(content_, true));
    }
    [[nodiscard]] std::u16string Report() const { return report_; }

  private:
    void Event(const std::string& data) {
        if (done_) {
            return;
        }
        if (data == "[DONE]") {
            done_ = true;
            return;
        }
        ChatEvent event = ChatEventOf(data);
        readable_ = readable_ || event.readable;
        content_ += event.content;
        if (!event.error.empty()) {
            errorData_ = data;
            done_ = true;
        }
    }
    void Show() {
        const std::u16string_view visible = VisibleAnswer(content_, false);
        if (progress_ && visible.size() != shown_) {
            shown_ = visible.size();
            progress_(common::ToWide(visible));
        }
    }

    ServiceProgress progress_;
    EventStream stream_;
    std::u16string content_;
    std::string errorData_;  // the event that carried the server's error
    std::u16string report_;
    size_t shown_ = 0;
    bool readable_ = false;
    bool done_ = false;
};

bool StartsWithNoCase(const std::wstring& text, std::wstring_view prefix) {
    return text.size() >= prefix.size() &&
           CompareStringOrdinal(text.data(), static_cast<int>(prefix.size()), prefix.data(),
                                static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

FetchResult ChatFailure(std::u16string text) {
    FetchResult result;
    result.error = common::ToWide(text);
    return result;
}

FetchResult CallChat(const PreparedCall& call, ULONGLONG deadline) {
    ChatReading reading(call.progress);
    bool streamed = false;
    AnswerReading how;
    how.idleMs = kChatIdleMs;
    how.status = [&streamed](DWORD status, const std::wstring& type) {
        streamed = status >= 200 && status <= 299 && StartsWithNoCase(type, L"text/event-stream");
    };
    how.piece = [&](std::string_view piece) { return !streamed || reading.Take(piece); };
    ApiAnswer answer = PostJson(call.url, call.headers, call.body, deadline, how, call.early);
    if (!answer.answered) {
        if (answer.systemError == ERROR_INTERNET_CANNOT_CONNECT && IsLoopbackHost(UrlHost(call.baseUrl))) {
            return ChatFailure(LocalServerDownText(common::ToU16(call.baseUrl)));
        }
        if (answer.failure.error.empty()) {
            answer.failure.error = TimeoutText(kChatIdleMs);
        }
        return std::move(answer.failure);
    }
    MaskKey(answer.body, call.key);
    const int status = static_cast<int>(answer.status);
    if (status < 200 || status > 299) {
        return ChatFailure(
            ServiceAnswerText(ServiceKind::Chat, status, ServiceMessageOfAnswer(ServiceKind::Chat, answer.body)));
    }
    std::optional<std::u16string> text;
    if (streamed) {
        text = reading.Result(call.key, status);
    } else if (const auto whole = ChatAnswerOf(answer.body)) {
        text = std::u16string(VisibleAnswer(*whole, true));
    } else {
        // Some servers and proxies send the event stream under another type; read it whole.
        ChatReading late(nullptr);
        late.Take(answer.body);
        text = late.Result(call.key, status);
        if (!text) {
            return ChatFailure(late.Report());
        }
    }
    if (!text) {
        return ChatFailure(reading.Report());
    }
    if (text->empty()) {
        return ChatFailure(EmptyTranslationText());
    }
    FetchResult result;
    result.ok = true;
    result.text = common::ToWide(*text);
    return result;
}

TransferFunction Transfer(std::shared_ptr<PreparedCall> call) {
    if (call->api == ServiceKind::Chat) {
        return [call = std::move(call)](ULONGLONG deadline) { return CallChat(*call, deadline); };
    }
    return [call = std::move(call)](ULONGLONG deadline) { return Call(*call, deadline); };
}

}  // namespace

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
    if (call->api == ServiceKind::Chat) {
        // Not through the page fetch's deadline: a model may write for longer than the request's limit, and its
        // reports must not turn into "did not answer in time" then. The caller watches the silence instead.
        return static_cast<bool>(
            StartWorker([call, deadline, deliver = std::move(deliver)] { deliver(CallChat(*call, deadline.at)); }));
    }
    return StartBeforeDeadline(Transfer(std::move(call)), deadline, std::move(deliver));
}

}  // namespace velmora
