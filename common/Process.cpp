#include "common/Process.h"

#include <sddl.h>

namespace common {

std::optional<std::u16string> EnvironmentValue(const wchar_t* name) {
    wchar_t buffer[512];
    const DWORD n = GetEnvironmentVariableW(name, buffer, 512);
    if (n == 0 || n >= 512) {
        return std::nullopt;
    }
    return std::u16string(buffer, buffer + n);
}

std::vector<BYTE> TokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind) {
    DWORD size = 0;
    GetTokenInformation(token, kind, nullptr, 0, &size);
    if (size == 0) {
        return {};
    }
    std::vector<BYTE> buffer(size);
    if (!GetTokenInformation(token, kind, buffer.data(), size, &size)) {
        return {};
    }
    return buffer;
}

std::optional<std::wstring> SidText(PSID sid) {
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text)) {
        return std::nullopt;
    }
    std::wstring result = text;
    LocalFree(text);
    return result;
}

std::optional<std::wstring> TokenUserSid(HANDLE token) {
    const std::vector<BYTE> user = TokenInformation(token, TokenUser);
    if (user.empty()) {
        return std::nullopt;
    }
    return SidText(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid);
}

}  // namespace common
