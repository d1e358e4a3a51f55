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
};

// Missing or unreadable values give the pages, empty URL and model, and the chat server's default URL.
[[nodiscard]] ServiceChoice LoadServiceChoice();
// Every value as REG_SZ, the choice last. On failure the system's error is left in GetLastError.
[[nodiscard]] bool SaveServiceChoice(const ServiceChoice& choice);

}  // namespace velmora
