#include "win/net/Fetch.h"

#include <wininet.h>

#include <tuple>
#include <utility>

#include "common/Text.h"
#include "core/Messages.h"
#include "core/pages/PageText.h"
#include "win/net/Http.h"

namespace velmora {
namespace {

constexpr size_t kBodyCap = 8u << 20;       // result pages are a few KiB; anything this big is not one
constexpr size_t kApiAnswerCap = 1u << 20;  // an API's answer is the translation and a few fields
constexpr int kMaxRedirects = 10;

std::wstring Decode(const std::string& body, const std::wstring& contentType) {
    unsigned codePage = PageCodePage(common::ToUtf8(contentType), body);
    if (!IsValidCodePage(codePage)) {
        codePage = IsValidUtf8(body) ? CP_UTF8 : kCodePageShiftJis;
    }
    return common::FromCodePage(body, codePage);
}

FetchResult ReadPage(HINTERNET request, ULONGLONG deadline) {
    std::string body;
    if (auto failure = ReadBody(request, deadline, kPageBodyName, &body, kBodyCap)) {
        return std::move(*failure);
    }
    FetchResult r;
    r.ok = true;
    r.text = Decode(body, QueryText(request, HTTP_QUERY_CONTENT_TYPE));
    return r;
}

bool IsRedirect(DWORD status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

FetchResult Transfer(const std::wstring& url, ULONGLONG deadline) {
    const wchar_t* accept[] = {L"text/html", L"*/*", nullptr};
    HttpMessage message;
    message.accept = accept;
    HttpExchange exchange;
    std::string current = WireUrl(common::ToU16(url));
    // Redirects are followed here rather than by WinINet, which under Wine follows a loop without end.
    for (int hop = 0; hop <= kMaxRedirects; ++hop) {
        const auto target = ParseHttpUrl(current);
        if (!target) {
            return FailedResult(kBadServiceAddressText);
        }
        exchange.request.reset();  // the next one may be on another server
        exchange.connection.reset();
        if (auto failure = Send(exchange, *target, message, deadline)) {
            return FailedResult(std::move(failure->sentence), failure->error);
        }
        const DWORD status = exchange.status;
        if (IsRedirect(status)) {
            const auto next =
                ResolveLocation(*target, common::ToUtf8(QueryText(exchange.request.get(), HTTP_QUERY_LOCATION)));
            if (!next) {
                return FailedResult(RedirectNotReadText(status));
            }
            current = WireUrl(common::ToU16(common::FromUtf8(*next)));
            continue;
        }
        if (status < 200 || status > 299) {
            return FailedResult(PageErrorText(status));
        }
        return ReadPage(exchange.request.get(), deadline);
    }
    return FailedResult(kTooManyRedirectsText);
}

}  // namespace

const wchar_t* ApiSendFailureText(DWORD error) {
    switch (error) {
        // Neither is a verdict against the certificate, and neither is a reason to connect: never ignored.
        case ERROR_INTERNET_SEC_CERT_NO_REV:
        case ERROR_INTERNET_SEC_CERT_REV_FAILED:
            return kCertificateRevocationUnknownText;
        case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
        case ERROR_INTERNET_SEC_CERT_CN_INVALID:
        case ERROR_INTERNET_INVALID_CA:
        case ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED:
        case ERROR_INTERNET_SEC_CERT_ERRORS:
        case ERROR_INTERNET_SEC_INVALID_CERT:
        case ERROR_INTERNET_SEC_CERT_REVOKED:
        case 12062:  // ERROR_INTERNET_SEC_CERT_WEAK_SIGNATURE, missing from older headers
            return kCertificateRefusedText;
        // A TLS handshake that found no version both sides speak, not a certificate problem.
        case ERROR_INTERNET_SECURITY_CHANNEL_ERROR:
            return kTlsChannelText;
    }
    return kCannotConnectText;
}

FetchResult FetchPage(const std::wstring& url, Deadline deadline) {
    return RunBeforeDeadline([url](ULONGLONG at) { return Transfer(url, at); }, deadline);
}

bool StartFetch(const std::wstring& url, Deadline deadline, std::function<void(FetchResult)> deliver) {
    return StartBeforeDeadline([url](ULONGLONG at) { return Transfer(url, at); }, deadline, std::move(deliver));
}

ApiAnswer PostJson(const std::wstring& url,
                   const std::wstring& headers,
                   const std::string& body,
                   ULONGLONG deadline,
                   const AnswerReading& reading,
                   const std::shared_ptr<EarlyConnection>& early,
                   bool get) {
    ApiAnswer answer;
    const auto target = ParseHttpUrl(WireUrl(common::ToU16(url)));
    if (!target) {
        answer.failure = FailedResult(kBadServiceAddressText);
        return answer;
    }
    HttpExchange exchange;
    if (early) {
        std::tie(exchange.session, exchange.connection) = early->Take(*target, deadline);
    }
    const wchar_t* accept[] = {L"application/json", nullptr};
    HttpMessage message{get ? L"GET" : L"POST", accept, headers, body, true, ApiSendFailureText};
    if (auto failure = Send(exchange, *target, message, deadline)) {
        answer.failure = FailedResult(std::move(failure->sentence), failure->error);
        answer.systemError = failure->error;
        return answer;
    }
    answer.status = exchange.status;
    answer.contentType = QueryText(exchange.request.get(), HTTP_QUERY_CONTENT_TYPE);
    const bool keep = !reading.status || reading.status(answer.status, answer.contentType);
    if (auto failure = ReadBody(exchange.request.get(), deadline, kAnswerBodyName, keep ? &answer.body : nullptr,
                                kApiAnswerCap, reading)) {
        answer.failure = std::move(*failure);
        return answer;
    }
    answer.answered = true;
    return answer;
}

}  // namespace velmora
