#include "win/services/ServiceTranslate.h"

#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <variant>

#include "common/Process.h"
#include "common/Text.h"
#include "core/Messages.h"
#include "core/services/ServiceApi.h"
#include "core/services/ServiceMessages.h"
#include "core/text/Secrets.h"

namespace velmora {
namespace {

// Everything a call sends; the headers and the body may hold the key and are wiped when the call is done.
struct PreparedCall {
    ApiKind api = ApiKind::DeepL;
    std::wstring url;
    std::wstring headers;
    std::string body;
    std::string key;  // as the answer would repeat it, to be masked there
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

Prepared Prepare(const ServiceRequest& request) {
    const std::u16string source = common::ToU16(request.sourceLang);
    const std::u16string target = common::ToU16(request.targetLang);
    const LanguagePair pair{source, target};
    const std::u16string_view key = request.key ? View(request.key->Get()) : std::u16string_view();
    // A key goes into a header or the JSON body as it is: one with a line break could add headers of its own.
    for (char16_t c : key) {
        if (c < 0x20 || c == 0x7F) {
            return common::ToWide(UnusableKeyText());
        }
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
    if (request.kind == ServiceKind::DeepL) {
        if (key.empty()) {
            return common::ToWide(NoDeepLKeyText());
        }
        call->api = ApiKind::DeepL;
        call->url = common::ToWide(DeepLEndpoint(key, common::EnvironmentValue(L"VELMORA_DEEPL_HOST")));
        // Built in one buffer of the final size, so that no partial copy of the key is left in freed memory.
        constexpr std::wstring_view head = L"Content-Type: application/json\r\nAuthorization: DeepL-Auth-Key ";
        call->headers.reserve(head.size() + key.size() + 2);
        call->headers.append(head).append(request.key->Get()).append(L"\r\n");
        call->body = DeepLBody(common::ToU16(request.text), pair);
        limit = kDeepLBodyLimit;
    } else {
        if (request.libreTranslateUrl.empty() || !IsValidServiceUrl(request.libreTranslateUrl)) {
            return common::ToWide(NoLibreUrlText(!request.libreTranslateUrl.empty()));
        }
        call->api = ApiKind::LibreTranslate;
        call->url = common::ToWide(LibreEndpoint(common::ToU16(request.libreTranslateUrl)));
        call->headers = L"Content-Type: application/json\r\n";
        call->body = LibreBody(common::ToU16(request.text), pair, key);
        limit = kLibreBodyLimit;
    }
    if (call->body.size() > limit) {
        return common::ToWide(ServiceTooLongText());
    }
    return call;
}

FetchResult Call(const PreparedCall& call, ULONGLONG deadline) {
    ApiAnswer answer = PostJson(call.url, call.headers, call.body, deadline);
    if (!answer.answered) {
        return std::move(answer.failure);
    }
    // The key must never reach the report's box.
    MaskEvery<char>(answer.body, call.key);
    FetchResult result;
    if (answer.status >= 200 && answer.status <= 299) {
        if (auto translation = TranslationOfAnswer(call.api, answer.body)) {
            result.ok = true;
            result.text = common::ToWide(*translation);
            return result;
        }
    }
    result.error = common::ToWide(
        ServiceAnswerText(call.api, static_cast<int>(answer.status), ServiceMessageOfAnswer(call.api, answer.body)));
    return result;
}

TransferFunction Transfer(std::shared_ptr<PreparedCall> call) {
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
    return StartBeforeDeadline(Transfer(std::get<1>(std::move(prepared))), deadline, std::move(deliver));
}

}  // namespace velmora
