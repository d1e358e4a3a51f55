#include "win/selection/TargetWindow.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "common/Handles.h"
#include "common/Process.h"
#include "common/Text.h"
#include "core/selection/Selection.h"

namespace velmora {
namespace {

std::optional<std::uint32_t> TokenIntegrity(HANDLE token) {
    const std::vector<BYTE> buffer = common::TokenInformation(token, TokenIntegrityLevel);
    if (buffer.empty()) {
        return std::nullopt;
    }
    PSID sid = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer.data())->Label.Sid;
    const UCHAR count = *GetSidSubAuthorityCount(sid);
    return count ? std::optional<std::uint32_t>(*GetSidSubAuthority(sid, count - 1)) : std::nullopt;
}

}  // namespace

bool ModifierHeld() {
    for (int key : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LWIN, VK_RWIN}) {
        if (GetAsyncKeyState(key) & 0x8000) {
            return true;
        }
    }
    return false;
}

bool SendCtrlKey(WORD key) {
    INPUT keys[4] = {};
    const WORD sequence[4] = {VK_CONTROL, key, key, VK_CONTROL};
    for (int i = 0; i < 4; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = sequence[i];
        keys[i].ki.wScan = static_cast<WORD>(MapVirtualKeyW(sequence[i], MAPVK_VK_TO_VSC));
        keys[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
    }
    return SendInput(4, keys, sizeof(INPUT)) == 4;
}

bool IsTerminal(HWND window) {
    wchar_t name[256] = {};
    if (!window || (GetClassNameW(window, name, 256) > 0 && InterruptsOnCtrlC(common::ToU16(name)))) {
        return window != nullptr;
    }
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    common::UniqueHandle process(pid ? OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid) : nullptr);
    wchar_t path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    return process && QueryFullProcessImageNameW(process.get(), 0, path, &size) &&
           IsTerminalProgram(common::ToU16(std::wstring_view(path, size)));
}

bool RunsAboveUs(HWND window) {
    HANDLE raw = nullptr;
    std::optional<std::uint32_t> ours;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) {
        common::UniqueHandle token(raw);
        ours = TokenIntegrity(token.get());
    }
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    common::UniqueHandle process(pid ? OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid) : nullptr);
    std::optional<std::uint32_t> theirs;
    bool tokenRefused = false;
    if (process && OpenProcessToken(process.get(), TOKEN_QUERY, &raw)) {
        common::UniqueHandle token(raw);
        theirs = TokenIntegrity(token.get());
    } else if (process) {
        tokenRefused = GetLastError() == ERROR_ACCESS_DENIED;
    }
    return IgnoresOurInput(ours, theirs, tokenRefused);
}

}  // namespace velmora
