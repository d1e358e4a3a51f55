// A translation by one of the APIs: the request built from the user's settings and key through the service's row,
// sent over WinINet, the answer read or turned into the report's text.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "core/services/Services.h"
#include "win/net/Fetch.h"
#include "win/services/ChatReading.h"
#include "win/services/Secret.h"

namespace velmora {

struct ServiceRequest {
    ServiceSettings settings;         // the chosen service (an API) and its values
    const SecretText* key = nullptr;  // may be null: a service that needs a key then reports that it has none
    std::wstring sourceLang;          // "EN", "JA" or "KO", as LanguagesOfCode gives them
    std::wstring targetLang;
    std::wstring text;
    std::wstring keyOrigin;  // the server a stored key was saved for; empty for a key meant for the URL given here
    ServiceProgress progress;  // a streaming service only; may be empty
    std::function<void()> activity;  // a streaming service: called for every piece of the answer, text or not
    std::shared_ptr<EarlyConnection> early;  // made by ConnectEarly for ServiceEndpoint(*this), or none
};

// The URL the request goes to, for ConnectEarly before the text is known; empty when the settings name none (no
// URL, or DeepL without a key), which the request then reports.
[[nodiscard]] std::wstring ServiceEndpoint(const ServiceRequest& request);

struct ServiceOutcome {
    bool ok = false;
    std::wstring text;  // the translation, or the whole Japanese report
};

// A model may write for longer than any whole-request limit, but never goes silent this long.
inline constexpr DWORD kChatIdleMs = 60000;

// Blocking, with the page fetch's deadline and worker thread: the whole request, a streamed answer included, ends
// by the deadline, so that nothing of it outlives the caller's wait (試す). A missing key or URL and a text longer
// than the service takes end before any request is made.
[[nodiscard]] ServiceOutcome TranslateWithService(const ServiceRequest& request, Deadline deadline);

// The same without blocking: `deliver` gets the translation (ok, text) or the report (error) on the worker thread.
// A failure known before the request is delivered at once, on the calling thread. False when no worker started.
[[nodiscard]] bool StartServiceTranslation(const ServiceRequest& request,
                                           Deadline deadline,
                                           std::function<void(FetchResult)> deliver);

}  // namespace velmora
