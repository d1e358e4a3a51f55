// A translation by one of the two APIs: the request built from the user's choice and key, sent over WinINet, the
// answer read or turned into the report's text.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "core/services/ServiceConfig.h"
#include "win/net/Fetch.h"
#include "win/services/Secret.h"

namespace velmora {

// Called on the worker thread whenever a piece of a streamed answer arrives, with the text to show so far.
using ServiceProgress = std::function<void(const std::wstring& visible)>;

struct ServiceRequest {
    ServiceKind kind = ServiceKind::DeepL;  // DeepL, LibreTranslate or Chat
    std::wstring libreTranslateUrl;
    const SecretText* key = nullptr;  // may be null (LibreTranslate without key; DeepL without one is an error)
    std::wstring sourceLang;          // "EN", "JA" or "KO", as LanguagesOfCode gives them
    std::wstring targetLang;
    std::wstring text;
    std::wstring keyOrigin;  // the server a stored key was saved for; empty for a key meant for the URL given here
    std::wstring chatUrl;
    std::wstring chatModel;
    std::wstring azureRegion;
    ServiceProgress progress;  // Chat only; may be empty
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

// Blocking, with the page fetch's deadline and worker thread (Chat: the deadline moves with every piece). A missing key
// or URL and a text longer than the service takes end before any request is made.
[[nodiscard]] ServiceOutcome TranslateWithService(const ServiceRequest& request, Deadline deadline);

// The same without blocking: `deliver` gets the translation (ok, text) or the report (error) on the worker thread.
// A failure known before the request is delivered at once, on the calling thread. False when no worker started.
[[nodiscard]] bool StartServiceTranslation(const ServiceRequest& request,
                                           Deadline deadline,
                                           std::function<void(FetchResult)> deliver);

}  // namespace velmora
