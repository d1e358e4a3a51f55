#include "win/Accounts.h"

#include <wtsapi32.h>

#include <vector>

#include "common/Handles.h"
#include "common/Process.h"
#include "common/SystemFunction.h"
#include "common/Text.h"

namespace installer {

std::optional<Account> TokenAccount(HANDLE token) {
    const std::vector<BYTE> user = common::TokenInformation(token, TokenUser);
    if (user.empty()) {
        return std::nullopt;
    }
    PSID sid = reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid;
    const std::optional<std::wstring> sidText = common::SidText(sid);
    if (!sidText) {
        return std::nullopt;
    }
    Account account{common::ToU16(*sidText), {}};

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
    if (!LookupAccountNameW(nullptr, name.c_str(), sid.data(), &sidSize, foundDomain.data(), &domainSize, &use)) {
        return std::nullopt;
    }
    const std::optional<std::wstring> sidText = common::SidText(sid.data());
    if (!sidText) {
        return std::nullopt;
    }
    return Account{common::ToU16(*sidText), common::ToU16(name)};
}

}  // namespace installer
