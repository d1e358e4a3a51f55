// The two users the wrong-user check compares: the one the installer runs as, and the one signed in to the desktop.
#pragma once
#include <windows.h>

#include <optional>

#include "core/Accounts.h"

namespace installer {

// The user of this process's token.
[[nodiscard]] std::optional<Account> ElevatedUser();
// The user signed in to this process's session, as the session itself tells; empty when nobody is (a service's
// session) or the system cannot say.
[[nodiscard]] std::optional<Account> DesktopOwner();
// The user of a token opened with TOKEN_QUERY.
[[nodiscard]] std::optional<Account> TokenAccount(HANDLE token);

}  // namespace installer
