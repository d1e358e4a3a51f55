#include "win/services/ServiceTrial.h"

#include <utility>

#include "core/text/Secrets.h"
#include "win/services/ServiceTranslate.h"

namespace velmora {

TrialOutcome TryService(const ServiceTrial& trial) {
    ServiceRequest request;
    request.settings = trial.settings;
    request.key = trial.key ? &*trial.key : nullptr;
    request.keyOrigin = trial.keyOrigin;
    request.sourceLang = L"EN";
    request.targetLang = L"JA";
    request.text = L"Hello";
    // The same limit as a request from the browser.
    ServiceOutcome outcome = TranslateWithService(request, Deadline::FromNow(60000));
    return {outcome.ok, std::move(outcome.text)};
}

bool StartTrial(TrialFunction function,
                ServiceTrial trial,
                std::shared_ptr<Mailbox<TrialOutcome>> mailbox,
                HWND window,
                UINT message) {
    // The worker owns the trial, so its key goes (wiped) when the worker ends, whether or not the window is there.
    auto owned = std::make_shared<ServiceTrial>(std::move(trial));
    return static_cast<bool>(
        StartWorker([function = std::move(function), owned, mailbox = std::move(mailbox), window, message] {
            TrialOutcome outcome = function(*owned);
            // The key must not reach the window's text.
            if (owned->key) {
                MaskEvery<wchar_t>(outcome.text, owned->key->Get());
            }
            mailbox->Put(std::move(outcome));
            PostMessageW(window, message, 0, 0);
        }));
}

}  // namespace velmora
