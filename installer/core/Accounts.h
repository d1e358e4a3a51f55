// Whose registry the menu entries go to. The installer runs elevated and writes to the current user's hive: when a
// standard user elevates with an administrator's password, that is the administrator's, not the desktop user's.
#pragma once
#include <optional>
#include <string>

#include "core/Messages.h"

namespace installer {

struct Account {
    std::u16string sid;   // the security identifier as text, "S-1-5-21-..."; compared, never shown
    std::u16string name;  // DOMAIN\user as the system names it, or the SID when it has no name
};

// The warning to show before the window opens, or nothing: only when both users are known and differ. An unknown
// desktop user (no shell running, a process we may not open) is no reason to alarm anybody.
[[nodiscard]] std::optional<Message> OtherUserWarning(const std::optional<Account>& elevated,
                                                      const std::optional<Account>& desktopOwner);

}  // namespace installer
