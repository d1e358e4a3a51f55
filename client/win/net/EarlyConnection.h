// The part of an API request that can be done before its text is known, on a worker of its own while the selection
// is read: WinINet's session and its handle for the server made, the server's name looked up (the system keeps the
// answer for WinINet's own lookup), and for https the system's TLS provider and trusted roots loaded. Nothing
// leaves the computer: WinINet opens the TCP connection and makes the TLS handshake only inside HttpSendRequest,
// in the same call that sends the request, and never takes a socket it did not open, so those round trips stay
// with the request.
#pragma once
#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "common/Handles.h"
#include "core/pages/PageText.h"

namespace velmora {

class EarlyConnection : public std::enable_shared_from_this<EarlyConnection> {
  public:
    explicit EarlyConnection(HttpUrl target) : target_(std::move(target)) {}

    [[nodiscard]] bool Start();

    // The session and the server's handle, once, for a request to the same server (scheme, host and port), when the
    // early work is done before the deadline; otherwise nothing, and the request makes its own.
    [[nodiscard]] std::pair<common::UniqueInternet, common::UniqueInternet> Take(const HttpUrl& target,
                                                                                 ULONGLONG deadline);

  private:
    void Open();

    const HttpUrl target_;
    common::UniqueHandle ready_;  // set once all is done that can be
    std::mutex mutex_;
    common::UniqueInternet session_;
    common::UniqueInternet connection_;
};

// Starts it for the URL's server; nothing when the URL is not one or no worker could start (the request then does
// everything itself, as it would have).
[[nodiscard]] std::shared_ptr<EarlyConnection> ConnectEarly(const std::wstring& url);

}  // namespace velmora
