#include "win/net/Fetch.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <wininet.h>
#define SECURITY_WIN32
#include <schannel.h>
#include <security.h>
#include <wincrypt.h>

#include <cwchar>

#include <algorithm>

#include <mutex>
#include <optional>
#include <tuple>
#include <utility>

#include "common/Handles.h"
#include "common/SystemFunction.h"
#include "common/Text.h"
#include "core/Messages.h"
#include "core/pages/PageText.h"
#include "velmora_version.h"
#include "win/net/Worker.h"

namespace velmora {
namespace {

constexpr size_t kBodyCap = 8u << 20;  // result pages are a few KiB; anything this big is not one
constexpr size_t kApiAnswerCap = 1u << 20;  // an API's answer is the translation and a few fields
constexpr int kMaxRedirects = 10;

FetchResult Fail(std::wstring sentence, DWORD error = 0) {
    FetchResult r;
    r.error = std::move(sentence);
    if (error) {
        r.error += L"\n" + common::SystemErrorText(error);
    }
    return r;
}

DWORD TimeLeft(ULONGLONG deadline) {
    const ULONGLONG now = GetTickCount64();
    return now >= deadline ? 1 : static_cast<DWORD>(deadline - now);
}

void SetTimeouts(HINTERNET h, ULONGLONG deadline) {
    DWORD left = TimeLeft(deadline);
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                         INTERNET_OPTION_RECEIVE_TIMEOUT}) {
        InternetSetOptionW(h, option, &left, sizeof left);
    }
}

std::wstring QueryText(HINTERNET request, DWORD info) {
    wchar_t buffer[2048];
    DWORD size = sizeof buffer;
    DWORD index = 0;
    return HttpQueryInfoW(request, info, buffer, &size, &index) ? std::wstring(buffer, size / sizeof(wchar_t))
                                                                : std::wstring();
}

std::wstring Decode(const std::string& body, const std::wstring& contentType) {
    unsigned codePage = PageCodePage(common::ToUtf8(contentType), body);
    if (!IsValidCodePage(codePage)) {
        codePage = IsValidUtf8(body) ? CP_UTF8 : kCodePageShiftJis;
    }
    return common::FromCodePage(body, codePage);
}

// Reads the whole body into `body`, at most `cap` bytes; a body cut short of its Content-Length counts as a failed
// transfer, since WinINet under Wine reports such a connection as a normal end. `what` names the body in the report.
// With `reading.idleMs`, every piece that arrives moves the deadline to that long after it, and `reading.piece` sees
// each piece as it comes (and may end the reading).
std::optional<FetchResult> ReadBytes(HINTERNET request,
                                     ULONGLONG deadline,
                                     const std::wstring& what,
                                     std::string& body,
                                     size_t cap = kBodyCap,
                                     const AnswerReading& reading = {}) {
    const std::wstring lengthText = QueryText(request, HTTP_QUERY_CONTENT_LENGTH);
    char buffer[16384];
    for (;;) {
        if (GetTickCount64() >= deadline) {
            return Fail(L"");  // the caller words the time-out
        }
        SetTimeouts(request, deadline);
        // A read waits until it has filled the whole buffer; what is being written is read as it comes instead,
        // taking only what has arrived.
        DWORD wanted = sizeof buffer;
        if (reading.piece) {
            DWORD available = 0;
            if (!InternetQueryDataAvailable(request, &available, 0, 0)) {
                return Fail(BodyCutShortText(what), GetLastError());
            }
            wanted = std::clamp<DWORD>(available, 1, sizeof buffer);
        }
        DWORD n = 0;
        if (!InternetReadFile(request, buffer, wanted, &n)) {
            return Fail(BodyCutShortText(what), GetLastError());
        }
        if (n == 0) {
            break;
        }
        body.append(buffer, n);
        if (body.size() > cap) {
            return Fail(BodyTooLargeText(what));
        }
        if (reading.idleMs) {
            deadline = GetTickCount64() + reading.idleMs;
        }
        if (reading.piece && !reading.piece(std::string_view(buffer, n))) {
            return std::nullopt;  // the rest, if any, is not needed
        }
    }
    if (!lengthText.empty() && wcstoull(lengthText.c_str(), nullptr, 10) != body.size()) {
        return Fail(BodyCutShortText(what, body.size(), lengthText));
    }
    return std::nullopt;
}

FetchResult ReadBody(HINTERNET request, ULONGLONG deadline) {
    std::string body;
    if (auto failure = ReadBytes(request, deadline, kPageBodyName, body)) {
        return std::move(*failure);
    }
    FetchResult r;
    r.ok = true;
    r.text = Decode(body, QueryText(request, HTTP_QUERY_CONTENT_TYPE));
    return r;
}

common::UniqueInternet OpenSession() {
    common::UniqueInternet session(
        InternetOpenW(L"Velmora/" VELMORA_VERSION_TEXT_W, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (session) {
        DWORD retries = 1;
        InternetSetOptionW(session.get(), INTERNET_OPTION_CONNECT_RETRIES, &retries, sizeof retries);
    }
    return session;
}

FetchResult Transfer(const std::wstring& url, ULONGLONG deadline) {
    common::UniqueInternet session = OpenSession();
    if (!session) {
        return Fail(kNoInternetText, GetLastError());
    }
    std::string current = WireUrl(common::ToU16(url));
    // Redirects are followed here rather than by WinINet, which under Wine follows a loop without end.
    for (int hop = 0; hop <= kMaxRedirects; ++hop) {
        const auto target = ParseHttpUrl(current);
        if (!target) {
            return Fail(kBadServiceAddressText);
        }
        SetTimeouts(session.get(), deadline);
        common::UniqueInternet connection(InternetConnectW(session.get(), common::FromUtf8(target->host).c_str(),
                                                           target->port, nullptr, nullptr, INTERNET_SERVICE_HTTP,
                                                           0, 0));
        if (!connection) {
            return Fail(kCannotConnectText, GetLastError());
        }
        const DWORD flags = INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                            INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI | INTERNET_FLAG_PRAGMA_NOCACHE |
                            (target->secure ? INTERNET_FLAG_SECURE : 0);
        const wchar_t* accept[] = {L"text/html", L"*/*", nullptr};
        common::UniqueInternet request(HttpOpenRequestW(connection.get(), L"GET",
                                                        common::FromUtf8(target->target).c_str(), nullptr,
                                                        nullptr, accept, flags, 0));
        if (!request) {
            return Fail(kCannotConnectText, GetLastError());
        }
        SetTimeouts(request.get(), deadline);
        if (!HttpSendRequestW(request.get(), nullptr, 0, nullptr, 0)) {
            return Fail(kCannotConnectText, GetLastError());
        }
        DWORD status = 0;
        DWORD size = sizeof status;
        if (!HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                            nullptr)) {
            return Fail(kAnswerNotReadText, GetLastError());
        }
        if (status == 301 || status == 302 || status == 303 || status == 307 || status == 308) {
            const auto next = ResolveLocation(*target, common::ToUtf8(QueryText(request.get(), HTTP_QUERY_LOCATION)));
            if (!next) {
                return Fail(RedirectNotReadText(status));
            }
            current = WireUrl(common::ToU16(common::FromUtf8(*next)));
            continue;
        }
        if (status < 200 || status > 299) {
            return Fail(PageErrorText(status));
        }
        return ReadBody(request.get(), deadline);
    }
    return Fail(kTooManyRedirectsText);
}

bool IsCertificateError(DWORD error) {
    switch (error) {
        case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
        case ERROR_INTERNET_SEC_CERT_CN_INVALID:
        case ERROR_INTERNET_INVALID_CA:
        case ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED:
        case ERROR_INTERNET_SEC_CERT_ERRORS:
        case ERROR_INTERNET_SEC_CERT_NO_REV:
        case ERROR_INTERNET_SEC_CERT_REV_FAILED:
        case ERROR_INTERNET_SEC_INVALID_CERT:
        case ERROR_INTERNET_SEC_CERT_REVOKED:
        case 12062:  // ERROR_INTERNET_SEC_CERT_WEAK_SIGNATURE, missing from older headers
            return true;
    }
    return false;
}

FetchResult TransferWithin(const TransferFunction& transfer, Deadline deadline) {
    FetchResult result = transfer(deadline.at);
    // A WinINet time-out near the deadline is the deadline's doing; say so rather than "cannot connect".
    if (!result.ok && deadline.LeftMs() == 0) {
        result = Fail(TimeoutText(deadline.limitMs));
    }
    return result;
}

}  // namespace

class EarlyConnection : public std::enable_shared_from_this<EarlyConnection> {
public:
    explicit EarlyConnection(HttpUrl target) : target_(std::move(target)) {}

    [[nodiscard]] bool Start() {
        ready_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        return ready_ && static_cast<bool>(StartWorker([self = shared_from_this()] { self->Open(); }));
    }

    // The session and the server's handle, once, for a request to the same server, when the early work is done
    // before the deadline; otherwise nothing, and the request makes its own.
    [[nodiscard]] std::pair<common::UniqueInternet, common::UniqueInternet> Take(const HttpUrl& target,
                                                                                 ULONGLONG deadline) {
        if (target.secure != target_.secure || target.host != target_.host || target.port != target_.port ||
            WaitForSingleObject(ready_.get(), TimeLeft(deadline)) != WAIT_OBJECT_0) {
            return {};
        }
        std::lock_guard lock(mutex_);
        return {std::move(session_), std::move(connection_)};
    }

private:
    void Open() {
        const std::wstring host = common::FromUtf8(target_.host);
        {
            std::lock_guard lock(mutex_);
            session_ = OpenSession();
            if (session_) {
                connection_.reset(InternetConnectW(session_.get(), host.c_str(), target_.port, nullptr, nullptr,
                                                   INTERNET_SERVICE_HTTP, 0, 0));
            }
        }
        // What follows only warms what the request's own call will look for; its failures are the request's to
        // meet and report. The request waits for it: the system's TLS provider, loaded by two threads at once,
        // failed a handshake now and then under Wine.
        WSADATA winsock;
        if (WSAStartup(MAKEWORD(2, 2), &winsock) == 0) {
            ADDRINFOW hints{};
            hints.ai_socktype = SOCK_STREAM;
            ADDRINFOW* found = nullptr;
            if (GetAddrInfoW(host.c_str(), std::to_wstring(target_.port).c_str(), &hints, &found) == 0) {
                FreeAddrInfoW(found);
            }
            WSACleanup();
        }
        if (target_.secure) {
            WarmTls();
        }
        SetEvent(ready_.get());
    }

    // Loads the TLS provider and the trusted roots. Taken from the system folder at run time: neither library is
    // one that Windows always loads from there, and the client imports none such.
    static void WarmTls() {
        const auto acquire = common::SystemFunction<decltype(&AcquireCredentialsHandleW)>(
            L"secur32.dll", "AcquireCredentialsHandleW");
        const auto release =
            common::SystemFunction<decltype(&FreeCredentialsHandle)>(L"secur32.dll", "FreeCredentialsHandle");
        SCHANNEL_CRED settings{};
        settings.dwVersion = SCHANNEL_CRED_VERSION;
        settings.dwFlags = SCH_CRED_NO_DEFAULT_CREDS | SCH_CRED_MANUAL_CRED_VALIDATION;
        CredHandle credentials;
        TimeStamp expiry;
        if (acquire && release &&
            acquire(nullptr, const_cast<wchar_t*>(UNISP_NAME_W), SECPKG_CRED_OUTBOUND, nullptr, &settings, nullptr,
                    nullptr, &credentials, &expiry) == SEC_E_OK) {
            release(&credentials);
        }
        const auto open = common::SystemFunction<decltype(&CertOpenSystemStoreW)>(L"crypt32.dll", "CertOpenSystemStoreW");
        const auto close = common::SystemFunction<decltype(&CertCloseStore)>(L"crypt32.dll", "CertCloseStore");
        if (HCERTSTORE roots = open && close ? open(0, L"ROOT") : nullptr) {
            close(roots, 0);
        }
    }

    const HttpUrl target_;
    common::UniqueHandle ready_;  // set once all is done that can be
    std::mutex mutex_;
    common::UniqueInternet session_;
    common::UniqueInternet connection_;
};

std::shared_ptr<EarlyConnection> ConnectEarly(const std::wstring& url) {
    const auto target = ParseHttpUrl(WireUrl(common::ToU16(url)));
    if (!target) {
        return nullptr;
    }
    auto early = std::make_shared<EarlyConnection>(*target);
    return early->Start() ? early : nullptr;
}

DWORD Deadline::LeftMs() const {
    const ULONGLONG now = GetTickCount64();
    return now >= at ? 0 : static_cast<DWORD>(at - now);
}

std::wstring TimeoutText(DWORD limitMs) {
    return NoAnswerWithinText((limitMs + 999) / 1000);
}

FetchResult RunBeforeDeadline(TransferFunction transfer, Deadline deadline) {
    auto run = RunWithTimeLimit<FetchResult>(
        deadline.LeftMs(), [transfer = std::move(transfer), deadline] { return TransferWithin(transfer, deadline); });
    if (!run.started) {
        return Fail(kCannotStartText, GetLastError());
    }
    return run.result ? std::move(*run.result) : Fail(TimeoutText(deadline.limitMs));
}

bool StartBeforeDeadline(TransferFunction transfer, Deadline deadline, std::function<void(FetchResult)> deliver) {
    return static_cast<bool>(StartWorker([transfer = std::move(transfer), deadline, deliver = std::move(deliver)] {
        deliver(TransferWithin(transfer, deadline));
    }));
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
    auto fail = [&answer](std::wstring sentence, DWORD error = 0) {
        answer.failure = Fail(std::move(sentence), error);
        answer.systemError = error;
        return std::move(answer);
    };
    const auto target = ParseHttpUrl(WireUrl(common::ToU16(url)));
    if (!target) {
        return fail(kBadServiceAddressText);
    }
    common::UniqueInternet session, connection;
    if (early) {
        std::tie(session, connection) = early->Take(*target, deadline);
    }
    if (!connection) {
        // Made here when the early ones are not there: the same calls, and their failures reported the same way.
        session = OpenSession();
        if (!session) {
            return fail(kNoInternetText, GetLastError());
        }
        SetTimeouts(session.get(), deadline);
        connection.reset(InternetConnectW(session.get(), common::FromUtf8(target->host).c_str(), target->port,
                                          nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
        if (!connection) {
            return fail(kCannotConnectText, GetLastError());
        }
    }
    SetTimeouts(connection.get(), deadline);
    // No redirect is followed (the text and a key would go elsewhere) and no certificate problem is ignored.
    const DWORD flags = INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                        INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI | INTERNET_FLAG_PRAGMA_NOCACHE |
                        (target->secure ? INTERNET_FLAG_SECURE : 0);
    const wchar_t* accept[] = {L"application/json", nullptr};
    common::UniqueInternet request(HttpOpenRequestW(connection.get(), get ? L"GET" : L"POST", common::FromUtf8(target->target).c_str(),
                                                    nullptr, nullptr, accept, flags, 0));
    if (!request) {
        return fail(kCannotConnectText, GetLastError());
    }
    SetTimeouts(request.get(), deadline);
    if (!HttpSendRequestW(request.get(), headers.c_str(), static_cast<DWORD>(headers.size()),
                          get ? nullptr : const_cast<char*>(body.data()),
                          get ? 0 : static_cast<DWORD>(body.size()))) {
        const DWORD error = GetLastError();
        // The channel error is a TLS handshake that found no version both sides speak, not a certificate problem.
        return fail(IsCertificateError(error)                             ? kCertificateRefusedText
                    : error == ERROR_INTERNET_SECURITY_CHANNEL_ERROR ? kTlsChannelText
                                                                     : kCannotConnectText,
                    error);
    }
    DWORD size = sizeof answer.status;
    if (!HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &answer.status, &size,
                        nullptr)) {
        return fail(kAnswerNotReadText, GetLastError());
    }
    answer.contentType = QueryText(request.get(), HTTP_QUERY_CONTENT_TYPE);
    if (reading.status) {
        reading.status(answer.status, answer.contentType);
    }
    if (auto failure = ReadBytes(request.get(), deadline, kAnswerBodyName, answer.body, kApiAnswerCap, reading)) {
        answer.failure = std::move(*failure);
        return answer;
    }
    answer.answered = true;
    return answer;
}

}  // namespace velmora
