// The two users the wrong-user check compares: the one the installer runs as, and the owner of the desktop's shell.
#pragma once
#include <windows.h>

#include <optional>

#include "core/Accounts.h"

namespace installer {

// The user of this process's token.
[[nodiscard]] std::optional<Account> ElevatedUser();
// The user of the process that owns the shell window (the desktop), or else the taskbar; empty when there is no
// shell or its process cannot be asked.
[[nodiscard]] std::optional<Account> DesktopOwner();
// The user of a token opened with TOKEN_QUERY.
[[nodiscard]] std::optional<Account> TokenAccount(HANDLE token);

}  // namespace installer
