// The clipboard way of reading the selection, and the choice between the two ways.
#include "win/Selection.h"

#include "common/Handles.h"
#include "common/Text.h"
#include "core/Selection.h"
#include "win/Clipboard.h"

namespace velmora {
namespace {

constexpr DWORD kModifierWaitMs = 1000;
constexpr DWORD kCopyWaitMs = 600;
// A program may write its formats in more than one go; the copy counts as done once the clipboard rests.
constexpr DWORD kSettleMs = 40;
// Reading the user's clipboard may not hang the client or exhaust its memory (a 32-bit process).
constexpr DWORD kSnapshotMs = 1000;
constexpr std::size_t kSnapshotBytes = 128u << 20;
// Putting the user's contents back is worth a longer wait than reading them.
constexpr DWORD kRestoreOpenWaitMs = 3000;
constexpr DWORD kAutomationWaitMs = 1500;

bool ModifierHeld() {
    for (int key : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LWIN, VK_RWIN}) {
        if (GetAsyncKeyState(key) & 0x8000) {
            return true;
        }
    }
    return false;
}

// The shortcut key that started us is usually still down; Ctrl+Alt+C would not copy.
void WaitForModifiersReleased() {
    const ULONGLONG end = GetTickCount64() + kModifierWaitMs;
    while (ModifierHeld() && GetTickCount64() < end) {
        Sleep(10);
    }
}

bool SendCopyKeys() {
    INPUT keys[4] = {};
    const WORD sequence[4] = {VK_CONTROL, 'C', 'C', VK_CONTROL};
    for (int i = 0; i < 4; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = sequence[i];
        keys[i].ki.wScan = static_cast<WORD>(MapVirtualKeyW(sequence[i], MAPVK_VK_TO_VSC));
        keys[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
    }
    return SendInput(4, keys, sizeof(INPUT)) == 4;
}

bool WaitForCopy(DWORD before) {
    const ULONGLONG end = GetTickCount64() + kCopyWaitMs;
    while (GetClipboardSequenceNumber() == before) {
        if (GetTickCount64() >= end) {
            return false;
        }
        Sleep(10);
    }
    for (DWORD last = GetClipboardSequenceNumber();;) {
        Sleep(kSettleMs);
        const DWORD now = GetClipboardSequenceNumber();
        if (now == last || GetTickCount64() >= end + kSettleMs * 5) {
            return true;
        }
        last = now;
    }
}

// Call with the clipboard open.
std::optional<std::wstring> ClipboardText() {
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const SIZE_T size = data ? GlobalSize(data) : 0;
    const auto* text = size ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
    if (!text) {
        return std::nullopt;
    }
    // The block may be larger than its text, or hold no terminating NUL at all.
    std::wstring result(text, size / sizeof(wchar_t));
    GlobalUnlock(data);
    return result;
}

bool ForegroundIsTerminal() {
    wchar_t name[256] = {};
    HWND foreground = GetForegroundWindow();
    return foreground && GetClassNameW(foreground, name, 256) > 0 && InterruptsOnCtrlC(common::ToU16(name));
}

}  // namespace

std::optional<std::wstring> SelectionByCopy(HWND clipboardOwner) {
    if (ForegroundIsTerminal()) {
        return std::nullopt;  // Ctrl+C there could end the user's running program
    }
    WaitForModifiersReleased();
    ClipboardSnapshot snapshot;
    if (ClipboardSnapshot::Take(snapshot, kSnapshotMs, kSnapshotBytes) != ClipboardSnapshot::Status::Whole) {
        return std::nullopt;  // what could not be saved must not be overwritten
    }

    const DWORD before = GetClipboardSequenceNumber();
    if (!SendCopyKeys() || !WaitForCopy(before)) {
        return std::nullopt;  // nothing was copied, so the clipboard was never touched
    }
    std::optional<std::wstring> text;
    if (OpenClipboardWithRetry(clipboardOwner, kRestoreOpenWaitMs)) {
        text = ClipboardText();
        snapshot.Restore();
        CloseClipboard();
    }
    return text;
}

std::optional<std::wstring> ReadSelection(HWND clipboardOwner) {
    const auto fromWide = [](std::optional<std::wstring> text) -> std::optional<std::u16string> {
        return text ? std::optional(common::ToU16(*text)) : std::nullopt;
    };
    bool password = false;
    const auto automation = [&] {
        AutomationRead read = SelectionByAutomation(kAutomationWaitMs);
        password = read.password;
        return fromWide(std::move(read.text));
    };
    // A password box found by UI Automation is not copied from either.
    const auto copy = [&] { return password ? std::nullopt : fromWide(SelectionByCopy(clipboardOwner)); };
    const auto chosen = ChooseSelection(automation, copy);
    return chosen ? std::optional(common::ToWide(*chosen)) : std::nullopt;
}

}  // namespace velmora
