// The one HTTP exchange under the page's GET and the API's POST: WinINet's session and the server's handle, the
// request sent under the deadline and its status read, then its body read piece by piece.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "common/Handles.h"
#include "core/pages/PageText.h"
#include "win/net/Fetch.h"

namespace velmora {

// The time left before the deadline, at least 1 ms: WinINet takes 0 as no limit at all.
[[nodiscard]] DWORD TimeLeft(ULONGLONG deadline);
// The connect, send and receive time-outs of the handle, all at what is left before the deadline.
void SetTimeouts(HINTERNET handle, ULONGLONG deadline);
// A header of the answer as text; empty when it has none.
[[nodiscard]] std::wstring QueryText(HINTERNET request, DWORD info);
[[nodiscard]] common::UniqueInternet OpenSession();
[[nodiscard]] common::UniqueInternet ConnectServer(HINTERNET session, const HttpUrl& target);

// A step of the exchange that failed: the sentence for the report and the system's error behind it (0: none).
struct HttpFailure {
    std::wstring sentence;
    DWORD error = 0;
};

// What is sent.
struct HttpMessage {
    const wchar_t* verb = L"GET";
    const wchar_t** accept = nullptr;  // the types asked for, ending in nullptr
    std::wstring_view headers;
    std::string_view body;
    // The server's own authentication challenge is never answered with the user's logon (a proxy's still is).
    bool noServerLogon = false;
    // The sentence for a send that failed with this system error; nullptr: the connection failed, whatever it was.
    const wchar_t* (*sendFailure)(DWORD error) = nullptr;
};

// The handles of one exchange. The session and the server's handle may be there already (made early, or the
// session of the redirect before); what is missing is made.
struct HttpExchange {
    common::UniqueInternet session;
    common::UniqueInternet connection;
    common::UniqueInternet request;
    DWORD status = 0;  // the answer's, once sent
};

// Makes what the exchange lacks, sends the message and reads the answer's status. A redirect is never followed
// and no certificate problem is ignored.
[[nodiscard]] std::optional<HttpFailure> Send(HttpExchange& exchange,
                                              const HttpUrl& target,
                                              const HttpMessage& message,
                                              ULONGLONG deadline);

// Reads the answer's body to its end, keeping it in `body` (nullptr: the pieces go to `reading.piece` only), at
// most `cap` bytes kept. A body cut short of its Content-Length counts as a failed transfer, since WinINet under
// Wine reports such a connection as a normal end; `what` names the body in the report. With `reading.idleMs`,
// every piece that arrives moves the deadline to that long after it, and `reading.piece` sees each piece as it
// comes (and may end the reading). A failure with an empty sentence is the deadline's, for the caller to word.
[[nodiscard]] std::optional<FetchResult> ReadBody(HINTERNET request,
                                                  ULONGLONG deadline,
                                                  const std::wstring& what,
                                                  std::string* body,
                                                  size_t cap,
                                                  const AnswerReading& reading = {});

}  // namespace velmora
