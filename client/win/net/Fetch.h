// The page fetch: one HTTP GET with a hard overall deadline, the body decoded into text.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

struct FetchResult {
    bool ok = false;
    std::wstring text;   // the decoded page when ok
    std::wstring error;  // a Japanese sentence for the failure report when not ok
    std::string detected;  // an API's answer: the source language it found ("ja"), when it says
};

// The request's time limit: the whole request, from its start to its result, has limitMs.
struct Deadline {
    ULONGLONG at = 0;   // the GetTickCount64 time at which the request has failed
    DWORD limitMs = 0;  // the whole limit, for the report's wording
    [[nodiscard]] static Deadline FromNow(DWORD limitMs) { return {GetTickCount64() + limitMs, limitMs}; }
    [[nodiscard]] DWORD LeftMs() const;  // 0 once it has passed
};

// Runs the transfer on a worker thread (win/Worker.h) and waits for it until the deadline, when it is left behind.
[[nodiscard]] FetchResult FetchPage(const std::wstring& url, Deadline deadline);

// The same transfer without blocking: the worker thread hands its result to `deliver`, on that thread, whenever
// it ends; the caller decides whether it is still in time. Answers false when the worker could not be started.
[[nodiscard]] bool StartFetch(const std::wstring& url, Deadline deadline, std::function<void(FetchResult)> deliver);

// Any transfer run the way the page fetch runs: on a worker thread that is given the deadline's tick count and is
// left behind at the deadline.
using TransferFunction = std::function<FetchResult(ULONGLONG deadline)>;
[[nodiscard]] FetchResult RunBeforeDeadline(TransferFunction transfer, Deadline deadline);
[[nodiscard]] bool StartBeforeDeadline(TransferFunction transfer,
                                       Deadline deadline,
                                       std::function<void(FetchResult)> deliver);

// One answer of a JSON API, whatever its status.
struct ApiAnswer {
    bool answered = false;  // false: no whole answer came, and `failure` says why
    DWORD status = 0;
    std::wstring contentType;
    std::string body;
    FetchResult failure;
    DWORD systemError = 0;  // the WinINet error of a failed connection or send
};

// How an answer that comes in pieces (a model writing its translation) is read.
struct AnswerReading {
    DWORD idleMs = 0;  // not 0: the deadline is this long after the last piece, not the request's start
    std::function<void(DWORD status, const std::wstring& contentType)> status;  // before the body
    std::function<bool(std::string_view piece)> piece;  // each piece as it arrives; false: the answer is complete
};

// The part of an API request that can be done before its text is known, on a worker of its own while the selection
// is read: WinINet's session and its handle for the server made, the server's name looked up (the system keeps the
// answer for WinINet's own lookup), and for https the system's TLS provider and trusted roots loaded. Nothing
// leaves the computer: WinINet opens the TCP connection and makes the TLS handshake only inside HttpSendRequest,
// in the same call that sends the request, and never takes a socket it did not open, so those round trips stay
// with the request.
class EarlyConnection;
// Starts it for the URL's server; nothing when the URL is not one or no worker could start (the request then does
// everything itself, as it would have).
[[nodiscard]] std::shared_ptr<EarlyConnection> ConnectEarly(const std::wstring& url);

// POSTs `body` (or, with `get`, GETs the URL without a body) to an http or https URL on the calling thread until `deadline`, through the system's proxy settings
// and certificate store. A redirect comes back as it is, never followed; a certificate problem is a failure with
// the system's own text, never ignored. The answer is capped at 1 MiB. `early`, when it was made for the same
// server (scheme, host and port), gives the session and the server's handle; otherwise it is not used.
[[nodiscard]] ApiAnswer PostJson(const std::wstring& url,
                                 const std::wstring& headers,
                                 const std::string& body,
                                 ULONGLONG deadline,
                                 const AnswerReading& reading = {},
                                 const std::shared_ptr<EarlyConnection>& early = nullptr,
                                 bool get = false);

// The sentence reported when the deadline passes first.
[[nodiscard]] std::wstring TimeoutText(DWORD limitMs);

}  // namespace velmora
