// The page fetch: one HTTP GET with a hard overall deadline, the body decoded into text; and the APIs' POST.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "win/net/Deadline.h"
#include "win/net/EarlyConnection.h"

namespace velmora {

// Runs the transfer on a worker thread (win/Worker.h) and waits for it until the deadline, when it is left behind.
[[nodiscard]] FetchResult FetchPage(const std::wstring& url, Deadline deadline);

// The same transfer without blocking: the worker thread hands its result to `deliver`, on that thread, whenever
// it ends; the caller decides whether it is still in time. Answers false when the worker could not be started.
[[nodiscard]] bool StartFetch(const std::wstring& url, Deadline deadline, std::function<void(FetchResult)> deliver);

// One answer of a JSON API, whatever its status.
struct ApiAnswer {
    bool answered = false;  // false: no whole answer came, and `failure` says why
    DWORD status = 0;
    std::wstring contentType;
    std::string body;  // empty when the reader took the pieces itself
    FetchResult failure;
    DWORD systemError = 0;  // the WinINet error of a failed connection or send
};

// How an answer that comes in pieces (a model writing its translation) is read.
struct AnswerReading {
    DWORD idleMs = 0;  // not 0: the deadline is this long after the last piece, not the request's start
    ULONGLONG until = 0;  // not 0: the moving deadline never passes this tick count, however the pieces keep coming
    // Before the body. True: the body is kept in ApiAnswer::body, at most 1 MiB of it. False: the reader takes the
    // pieces itself (an event stream it decodes): nothing is kept and nothing capped here, and the reader caps what
    // it decodes.
    std::function<bool(DWORD status, const std::wstring& contentType)> status;
    std::function<bool(std::string_view piece)> piece;  // each piece as it arrives; false: the answer is complete
};

// POSTs `body` (with `get`, GETs the URL without a body) to an http or https URL on the calling thread until `deadline`, through the system's proxy settings
// and certificate store. A redirect comes back as it is, never followed; a certificate problem is a failure with
// the system's own text, never ignored; a server's own request for a logon comes back as it is (an authenticating
// proxy's is still answered). The answer is capped at 1 MiB unless `reading.status` takes its pieces.
// `early`, when it was made for the same server (scheme, host and port), gives the session and the server's handle;
// otherwise it is not used.
[[nodiscard]] ApiAnswer PostJson(const std::wstring& url,
                                 const std::wstring& headers,
                                 const std::string& body,
                                 ULONGLONG deadline,
                                 const AnswerReading& reading = {},
                                 const std::shared_ptr<EarlyConnection>& early = nullptr,
                                 bool get = false);

// The sentence for an API request whose send failed with this WinINet error: a certificate refused, one whose
// revocation (or issuer) could not be checked, a TLS handshake without a common version, or a failed connection.
[[nodiscard]] const wchar_t* ApiSendFailureText(DWORD error);

}  // namespace velmora
