#include "win/Accounts.h"

#include <sddl.h>

#include <vector>

#include "common/Handles.h"
#include "common/Text.h"

namespace installer {
namespace {

std::optional<Account> ProcessAccount(HANDLE process) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) {
        return std::nullopt;
    }
    const common::UniqueHandle owned(token);
    return TokenAccount(token);
}

}  // namespace

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
    return ProcessAccount(GetCurrentProcess());
}

std::optional<Account> DesktopOwner() {
    // The taskbar belongs to the same shell process; Wine's shell makes no shell window but does make a taskbar.
    HWND shell = GetShellWindow();
    if (!shell) {
        shell = FindWindowW(L"Shell_TrayWnd", nullptr);
    }
    DWORD pid = 0;
    if (!shell || !GetWindowThreadProcessId(shell, &pid) || pid == 0) {
        return std::nullopt;
    }
    const common::UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process) {
        return std::nullopt;
    }
    return ProcessAccount(process.get());
}

}  // namespace installer
