// The user's choice of translation service, kept in HKEY_CURRENT_USER\Software\Velmora (never a key: those are in
// Credential Manager).
#pragma once
#include <string>

#include "core/services/ServiceConfig.h"

namespace velmora {

struct ServiceChoice {
    ServiceKind kind = ServiceKind::Page;
    std::wstring libreTranslateUrl;
};

// Missing or unreadable values give the pages and an empty URL.
[[nodiscard]] ServiceChoice LoadServiceChoice();
// Both values as REG_SZ. On failure the system's error is left in GetLastError.
[[nodiscard]] bool SaveServiceChoice(const ServiceChoice& choice);

}  // namespace velmora
