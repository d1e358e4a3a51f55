// The worker window's request to the chosen API: the key read with the server it was saved for, the server made
// ready while the selection is read, the request started with the plan's text, its answer and its streamed text
// handed back to the window's thread by messages.
#pragma once
#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "core/StartPlan.h"
#include "win/net/Fetch.h"
#include "win/net/Worker.h"
#include "win/services/Credentials.h"
#include "win/services/ServiceTranslate.h"
#include "win/services/StreamThrottle.h"

namespace velmora {

class ServiceRun {
  public:
    // `complete` is posted to the window when the answer is there, `progress` when a streamed answer has grown;
    // `streamTimer` is the window's timer for text that came too soon after the last shown.
    ServiceRun(UINT complete, UINT progress, UINT_PTR streamTimer);

    // Before the text is known: the key and its server read (one read), and the server made ready (ConnectEarly)
    // unless `early` is false. Nothing for the pages.
    void Connect(const ServiceSettings& settings, CredentialStore* credentials, bool early);
    // The request with the plan's text and languages; false when no worker could start. The key is wiped here as
    // soon as the call holds what it needs.
    [[nodiscard]] bool Start(const StartPlan& plan, Deadline deadline, HWND window);
    // The answer, once the complete message came; nothing for a message that was not ours.
    [[nodiscard]] std::optional<FetchResult> TakeAnswer();
    // The streamed answer's text and silence; null when the service does not stream or nothing was started.
    [[nodiscard]] StreamThrottle* Stream() const { return stream_.get(); }

  private:
    [[nodiscard]] ServiceRequest Request() const;

    UINT complete_;
    UINT progress_;
    UINT_PTR streamTimer_;
    ServiceSettings settings_;
    std::optional<SecretText> key_;
    std::wstring keyOrigin_;
    std::shared_ptr<EarlyConnection> early_;
    std::shared_ptr<Mailbox<FetchResult>> answer_;
    std::unique_ptr<StreamThrottle> stream_;
};

}  // namespace velmora
