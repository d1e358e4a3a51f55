// The clipboard way of reading the selection, and the choice between the two ways.
#include "win/Selection.h"

#include <cstring>
#include <vector>

#include "common/Handles.h"
#include "common/Text.h"
#include "core/Selection.h"

namespace velmora {
namespace {

constexpr DWORD kModifierWaitMs = 1000;
constexpr DWORD kCopyWaitMs = 600;
// A program may write its formats in more than one go; the copy counts as done once the clipboard rests.
constexpr DWORD kSettleMs = 40;
constexpr DWORD kOpenWaitMs = 500;
// Putting the user's contents back is worth a longer wait than reading them.
constexpr DWORD kRestoreOpenWaitMs = 3000;
constexpr DWORD kAutomationWaitMs = 1500;

// Wine's clipboard bridge, and the program that is writing the copy, may hold the clipboard for a moment.
bool OpenClipboardWithRetry(HWND owner, DWORD waitMs = kOpenWaitMs) {
    const ULONGLONG end = GetTickCount64() + waitMs;
    while (!OpenClipboard(owner)) {
        if (GetTickCount64() >= end) {
            return false;
        }
        Sleep(10);
    }
    return true;
}

// Formats whose data is not plain memory. Not kept: bitmaps and palettes (GDI handles; Windows makes CF_BITMAP
// again from the CF_DIB that is kept), metafile pictures (a handle inside the memory; Windows makes them again from
// the enhanced metafile that is kept), owner-display formats (drawn by a program that no longer owns the clipboard)
// and the private and GDI-object ranges (handles whose meaning only their owner knows).
bool IsMemoryFormat(UINT format) {
    switch (format) {
        case CF_BITMAP:
        case CF_METAFILEPICT:
        case CF_PALETTE:
        case CF_ENHMETAFILE:
        case CF_OWNERDISPLAY:
        case CF_DSPBITMAP:
        case CF_DSPMETAFILEPICT:
        case CF_DSPENHMETAFILE:
            return false;
        default:
            return !(format >= CF_PRIVATEFIRST && format <= CF_PRIVATELAST) &&
                   !(format >= CF_GDIOBJFIRST && format <= CF_GDIOBJLAST);
    }
}

// What the user had on the clipboard, in a form that outlives the program that put it there.
class ClipboardSnapshot {
public:
    // Call with the clipboard open.
    void Take() {
        for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
            if (format == CF_ENHMETAFILE) {
                if (auto source = static_cast<HENHMETAFILE>(GetClipboardData(format))) {
                    metafile_.reset(CopyEnhMetaFileW(source, nullptr));
                }
                continue;
            }
            if (!IsMemoryFormat(format)) {
                continue;
            }
            HANDLE data = GetClipboardData(format);
            const SIZE_T size = data ? GlobalSize(data) : 0;
            const void* bytes = size ? GlobalLock(data) : nullptr;
            if (!bytes) {
                continue;
            }
            formats_.push_back({format, std::vector<BYTE>(static_cast<const BYTE*>(bytes),
                                                          static_cast<const BYTE*>(bytes) + size)});
            GlobalUnlock(data);
        }
    }

    // Call with the clipboard open: replaces whatever is there by the snapshot.
    void Restore() {
        EmptyClipboard();
        for (const Format& f : formats_) {
            HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, f.bytes.size());
            void* target = copy ? GlobalLock(copy) : nullptr;
            if (!target) {
                if (copy) {
                    GlobalFree(copy);
                }
                continue;
            }
            memcpy(target, f.bytes.data(), f.bytes.size());
            GlobalUnlock(copy);
            if (!SetClipboardData(f.format, copy)) {
                GlobalFree(copy);
            }
        }
        if (metafile_ && SetClipboardData(CF_ENHMETAFILE, metafile_.get())) {
            (void)metafile_.release();  // the clipboard owns it now
        }
    }

private:
    struct Format {
        UINT format;
        std::vector<BYTE> bytes;
    };
    struct MetafileDeleter {
        void operator()(HENHMETAFILE h) const { DeleteEnhMetaFile(h); }
    };
    std::vector<Format> formats_;
    common::Unique<HENHMETAFILE, MetafileDeleter> metafile_;
};

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
    if (!OpenClipboardWithRetry(clipboardOwner)) {
        return std::nullopt;  // what could not be saved must not be overwritten
    }
    snapshot.Take();
    CloseClipboard();

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
    const auto chosen = ChooseSelection([&] { return fromWide(SelectionByAutomation(kAutomationWaitMs)); },
                                        [&] { return fromWide(SelectionByCopy(clipboardOwner)); });
    return chosen ? std::optional(common::ToWide(*chosen)) : std::nullopt;
}

}  // namespace velmora
