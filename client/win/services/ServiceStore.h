// The user's choice of translation service, kept in HKEY_CURRENT_USER\Software\Velmora (never a key: those are in
// Credential Manager).
#pragma once
#include <string>

#include "core/services/ServiceConfig.h"

namespace velmora {

struct ServiceChoice {
    ServiceKind kind = ServiceKind::Page;
    std::wstring libreTranslateUrl;
    std::wstring chatUrl{kDefaultChatUrl};  // `OpenAIUrl`
    std::wstring chatModel;                 // `OpenAIModel`
    std::wstring azureRegion;               // `AzureRegion`; empty for a global resource
};

// Missing or unreadable values give the pages, empty URL, model and region, and the chat server's default URL.
[[nodiscard]] ServiceChoice LoadServiceChoice();
// Every value as REG_SZ, the choice last. On failure the system's error is left in GetLastError.
[[nodiscard]] bool SaveServiceChoice(const ServiceChoice& choice);

}  // namespace velmora
