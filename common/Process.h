// What a process can learn of itself and of another: its environment and its access token.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace common {

// An environment variable of this process, whatever its length; nothing when it is unset or empty.
[[nodiscard]] std::optional<std::u16string> EnvironmentValue(const wchar_t* name);

// The folder of the running program, without a trailing backslash; empty when the system does not say.
[[nodiscard]] std::wstring ProgramFolder();

// The token's information of one class (TOKEN_USER, TOKEN_MANDATORY_LABEL, ...), asked for its size first; empty
// when the token does not give it.
[[nodiscard]] std::vector<BYTE> TokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind);

// A SID as text ("S-1-5-21-..."), the form a name or the registry takes it in.
[[nodiscard]] std::optional<std::wstring> SidText(PSID sid);

// The SID of the token's user as text: who the process runs as.
[[nodiscard]] std::optional<std::wstring> TokenUserSid(HANDLE token);

}  // namespace common
