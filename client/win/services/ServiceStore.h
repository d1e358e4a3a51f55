// The user's choice of translation service and each service's values, kept in HKEY_CURRENT_USER\Software\Velmora
// (never a key: those are in Credential Manager). The values are the ones the services' rows name.
#pragma once
#include "core/services/Services.h"

namespace velmora {

using ServiceChoice = ServiceSettings;

// Missing or unreadable values give Google's keyless service and empty values, but an empty or missing language-model address is
// the default one.
[[nodiscard]] ServiceChoice LoadServiceChoice();
// Every value as REG_SZ, the choice last. On failure the system's error is left in GetLastError.
[[nodiscard]] bool SaveServiceChoice(const ServiceChoice& choice);

}  // namespace velmora
