// "試す" in the service window: "Hello" from English to Japanese with the window's choice, not yet saved, on a
// worker thread so that the window keeps answering the user.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/services/Services.h"
#include "win/net/Worker.h"
#include "win/services/Secret.h"

namespace velmora {

struct ServiceTrial {
    ServiceSettings settings;  // the window's choice and values, not yet saved
    std::optional<SecretText> key;
    std::wstring keyOrigin{};  // the server a stored key was saved for; empty for a typed key
};
struct TrialOutcome {
    bool ok = false;
    std::wstring text;  // the translation, or the whole error text
};
// Blocking; it runs on the worker thread.
using TrialFunction = std::function<TrialOutcome(const ServiceTrial&)>;

// The real trial, through the client's service requests.
[[nodiscard]] TrialOutcome TryService(const ServiceTrial& trial);

// Runs the trial on a worker thread, which leaves the outcome in the mailbox and then posts `message` (carrying
// nothing) to the window. False when the thread could not be started.
[[nodiscard]] bool StartTrial(TrialFunction function,
                              ServiceTrial trial,
                              std::shared_ptr<Mailbox<TrialOutcome>> mailbox,
                              HWND window,
                              UINT message);

}  // namespace velmora
