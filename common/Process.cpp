#include "common/Process.h"

#include <sddl.h>

namespace common {

std::optional<std::u16string> EnvironmentValue(const wchar_t* name) {
    std::u16string value(MAX_PATH, u'\0');
    DWORD n = GetEnvironmentVariableW(name, reinterpret_cast<wchar_t*>(value.data()), static_cast<DWORD>(value.size()));
    if (n >= value.size()) {
        // Too small: n is the size it needs, the terminator included. The value may change in between; then the
        // second read fails the same way and the value counts as unset.
        value.resize(n);
        n = GetEnvironmentVariableW(name, reinterpret_cast<wchar_t*>(value.data()), n);
    }
    if (n == 0 || n >= value.size()) {
        return std::nullopt;
    }
    value.resize(n);
    return value;
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

std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) {
            return {};
        }
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const auto slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

}  // namespace common
