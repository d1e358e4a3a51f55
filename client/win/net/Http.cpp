#include "win/net/Http.h"

#include <cwchar>

#include <algorithm>

#include "common/Text.h"
#include "core/Messages.h"
#include "velmora_version.h"

namespace velmora {
namespace {

// Nothing from the cache or into it, no cookies, no dialog; redirects are the caller's to judge.
constexpr DWORD kRequestFlags = INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI | INTERNET_FLAG_PRAGMA_NOCACHE;

HINTERNET OpenRequest(HINTERNET connection, const HttpUrl& target, const HttpMessage& message, DWORD flags) {
    return HttpOpenRequestW(connection, message.verb, common::FromUtf8(target.target).c_str(), nullptr, nullptr,
                            message.accept, flags | (target.secure ? INTERNET_FLAG_SECURE : 0), 0);
}

// Without a logon for the server: a program that holds the server's port (a local model server's, say) could
// otherwise ask for the user's NTLM or Negotiate logon and get it, since WinINet gives it to intranet hosts such as
// localhost. The option (Internet Explorer 8 and later) still logs on to an authenticating proxy, as the user's
// other programs do; where it is not known (Wine) the request goes without any automatic logon at all.
common::UniqueInternet OpenWithoutServerLogon(HINTERNET connection, const HttpUrl& target, const HttpMessage& message) {
    common::UniqueInternet request(OpenRequest(connection, target, message, kRequestFlags));
    if (request && !InternetSetOptionW(request.get(), INTERNET_OPTION_SUPPRESS_SERVER_AUTH, nullptr, 0)) {
        request.reset();  // first, so that a failure's error is the new request's
        request.reset(OpenRequest(connection, target, message, kRequestFlags | INTERNET_FLAG_NO_AUTH));
    }
    return request;
}

}  // namespace

DWORD TimeLeft(ULONGLONG deadline) {
    const ULONGLONG now = GetTickCount64();
    return now >= deadline ? 1 : static_cast<DWORD>(deadline - now);
}

void SetTimeouts(HINTERNET handle, ULONGLONG deadline) {
    DWORD left = TimeLeft(deadline);
    for (DWORD option :
         {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
        InternetSetOptionW(handle, option, &left, sizeof left);
    }
}

std::wstring QueryText(HINTERNET request, DWORD info) {
    wchar_t buffer[2048];
    DWORD size = sizeof buffer;
    DWORD index = 0;
    return HttpQueryInfoW(request, info, buffer, &size, &index) ? std::wstring(buffer, size / sizeof(wchar_t))
                                                                : std::wstring();
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

common::UniqueInternet ConnectServer(HINTERNET session, const HttpUrl& target) {
    return common::UniqueInternet(InternetConnectW(session, common::FromUtf8(target.host).c_str(), target.port, nullptr,
                                                   nullptr, INTERNET_SERVICE_HTTP, 0, 0));
}

std::optional<HttpFailure> Send(HttpExchange& x,
                                const HttpUrl& target,
                                const HttpMessage& message,
                                ULONGLONG deadline) {
    if (!x.session && !(x.session = OpenSession())) {
        return HttpFailure{kNoInternetText, GetLastError()};
    }
    SetTimeouts(x.session.get(), deadline);
    if (!x.connection && !(x.connection = ConnectServer(x.session.get(), target))) {
        return HttpFailure{kCannotConnectText, GetLastError()};
    }
    SetTimeouts(x.connection.get(), deadline);
    x.request = message.noServerLogon
                    ? OpenWithoutServerLogon(x.connection.get(), target, message)
                    : common::UniqueInternet(OpenRequest(x.connection.get(), target, message, kRequestFlags));
    if (!x.request) {
        return HttpFailure{kCannotConnectText, GetLastError()};
    }
    SetTimeouts(x.request.get(), deadline);
    if (!HttpSendRequestW(x.request.get(), message.headers.empty() ? nullptr : message.headers.data(),
                          static_cast<DWORD>(message.headers.size()), const_cast<char*>(message.body.data()),
                          static_cast<DWORD>(message.body.size()))) {
        const DWORD error = GetLastError();
        return HttpFailure{message.sendFailure ? message.sendFailure(error) : kCannotConnectText, error};
    }
    DWORD size = sizeof x.status;
    if (!HttpQueryInfoW(x.request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &x.status, &size, nullptr)) {
        return HttpFailure{kAnswerNotReadText, GetLastError()};
    }
    return std::nullopt;
}

std::optional<FetchResult> ReadBody(HINTERNET request,
                                    ULONGLONG deadline,
                                    const std::wstring& what,
                                    std::string* body,
                                    size_t cap,
                                    const AnswerReading& reading) {
    const std::wstring lengthText = QueryText(request, HTTP_QUERY_CONTENT_LENGTH);
    char buffer[16384];
    size_t received = 0;
    for (;;) {
        if (GetTickCount64() >= deadline) {
            return FailedResult(L"");  // the caller words the time-out
        }
        SetTimeouts(request, deadline);
        // A read waits until it has filled the whole buffer; what is being written is read as it comes instead,
        // taking only what has arrived.
        DWORD wanted = sizeof buffer;
        if (reading.piece) {
            DWORD available = 0;
            if (!InternetQueryDataAvailable(request, &available, 0, 0)) {
                return FailedResult(BodyCutShortText(what), GetLastError());
            }
            wanted = std::clamp<DWORD>(available, 1, sizeof buffer);
        }
        DWORD n = 0;
        if (!InternetReadFile(request, buffer, wanted, &n)) {
            return FailedResult(BodyCutShortText(what), GetLastError());
        }
        if (n == 0) {
            break;
        }
        received += n;
        if (body && (body->append(buffer, n).size() > cap)) {
            return FailedResult(BodyTooLargeText(what));
        }
        if (reading.idleMs) {
            deadline = GetTickCount64() + reading.idleMs;
            if (reading.until) {
                deadline = std::min(deadline, reading.until);
            }
        }
        if (reading.piece && !reading.piece(std::string_view(buffer, n))) {
            return std::nullopt;  // the rest, if any, is not needed
        }
    }
    if (!lengthText.empty() && wcstoull(lengthText.c_str(), nullptr, 10) != received) {
        return FailedResult(BodyCutShortText(what, received, lengthText));
    }
    return std::nullopt;
}

}  // namespace velmora
