#include "win/Accounts.h"

#include <sddl.h>
#include <wtsapi32.h>

#include <vector>

#include "common/Handles.h"
#include "common/SystemFunction.h"
#include "common/Text.h"

namespace installer {

std::optional<Account> TokenAccount(HANDLE token) {
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    if (size == 0) {
        return std::nullopt;
    }
    std::vector<BYTE> buffer(size);
    if (!GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
        return std::nullopt;
    }
    PSID sid = reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid;
    wchar_t* sidText = nullptr;
    if (!ConvertSidToStringSidW(sid, &sidText)) {
        return std::nullopt;
    }
    Account account{common::ToU16(sidText), {}};
    LocalFree(sidText);

    wchar_t name[256], domain[256];
    DWORD nameSize = 256, domainSize = 256;
    SID_NAME_USE use{};
    if (LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use)) {
        account.name = common::ToU16(domainSize ? std::wstring(domain) + L"\\" + name : std::wstring(name));
    } else {
        account.name = account.sid;
    }
    return account;
}

std::optional<Account> ElevatedUser() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return std::nullopt;
    }
    const common::UniqueHandle owned(token);
    return TokenAccount(token);
}

// The session knows its user without our opening anything of theirs: an elevated administrator is usually not
// allowed to open another user's process token. wtsapi32 is not always taken from the system folder when imported,
// so it is looked up there alone.
std::optional<Account> DesktopOwner() {
    static const auto query =
        common::SystemFunction<decltype(&WTSQuerySessionInformationW)>(L"wtsapi32.dll", "WTSQuerySessionInformationW");
    static const auto release = common::SystemFunction<decltype(&WTSFreeMemory)>(L"wtsapi32.dll", "WTSFreeMemory");
    if (!query || !release) {
        return std::nullopt;
    }
    const auto sessionText = [&](WTS_INFO_CLASS what) {
        wchar_t* buffer = nullptr;
        DWORD bytes = 0;
        std::wstring text;
        if (query(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, what, &buffer, &bytes) && buffer) {
            text = buffer;
            release(buffer);
        }
        return text;
    };
    const std::wstring user = sessionText(WTSUserName), domain = sessionText(WTSDomainName);
    if (user.empty()) {
        return std::nullopt;
    }
    const std::wstring name = domain.empty() ? user : domain + L"\\" + user;
    DWORD sidSize = 0, domainSize = 0;
    SID_NAME_USE use{};
    LookupAccountNameW(nullptr, name.c_str(), nullptr, &sidSize, nullptr, &domainSize, &use);
    if (sidSize == 0) {
        return std::nullopt;
    }
    std::vector<BYTE> sid(sidSize);
    std::wstring foundDomain(domainSize, L'\0');
    wchar_t* sidText = nullptr;
    if (!LookupAccountNameW(nullptr, name.c_str(), sid.data(), &sidSize, foundDomain.data(), &domainSize, &use) ||
        !ConvertSidToStringSidW(sid.data(), &sidText)) {
        return std::nullopt;
    }
    Account account{common::ToU16(sidText), common::ToU16(name)};
    LocalFree(sidText);
    return account;
}

}  // namespace installer
