// The clipboard way of reading the selection, and the choice between the two ways.
#include "win/selection/Selection.h"

#include <tlhelp32.h>

#include <algorithm>
#include <array>
#include <span>
#include <vector>

#include "common/Handles.h"
#include "common/Poll.h"
#include "common/Text.h"
#include "win/net/Worker.h"
#include "win/selection/Clipboard.h"
#include "win/selection/Replacement.h"
#include "win/selection/TargetWindow.h"

namespace velmora {
namespace {

constexpr DWORD kModifierWaitMs = 1000;
constexpr DWORD kCopyWaitMs = 600;
// A busy program or a remote desktop may copy later than that; its copy is still put right for this long.
constexpr DWORD kLateCopyGraceMs = 3000;
// A program may write its formats in more than one go; the copy counts as done once the clipboard rests.
constexpr DWORD kSettleMs = 40;
// Putting the user's contents back is worth a longer wait than reading them.
constexpr DWORD kRestoreOpenWaitMs = 3000;
// When that failed, the retries from the timer (each short, so that the box stays responsive) go on this long.
constexpr DWORD kRestoreRetryMs = 5000;
constexpr DWORD kRestoreAttemptMs = 100;
// The copied text, rendered late by its owner, is waited for this long.
constexpr DWORD kReadCopyMs = 1000;
constexpr DWORD kAutomationWaitMs = 1500;

// Once the clipboard has changed, waits until it rests.
void WaitUntilSettled() {
    const ULONGLONG end = GetTickCount64() + kSettleMs * 5;
    for (DWORD last = GetClipboardSequenceNumber();;) {
        Sleep(kSettleMs);
        const DWORD now = GetClipboardSequenceNumber();
        if (now == last || GetTickCount64() >= end) {
            return;
        }
        last = now;
    }
}

// Call with the clipboard open.
std::optional<std::wstring> ClipboardText() {
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const SIZE_T size = data ? GlobalSize(data) : 0;
    const common::GlobalLocked<const wchar_t> text(size ? data : nullptr);
    if (!text) {
        return std::nullopt;
    }
    // The block may be larger than its text, or hold no terminating NUL at all. Beyond what the client keeps (and
    // a line break that the clean-up may drop) nothing is read: a copied book must not exhaust our memory.
    return std::wstring(text.get(), std::min<SIZE_T>(size / sizeof(wchar_t), kMaxSelectionLength + 2));
}

// Call with the clipboard open: whether an editor marked the copy as its whole line, copied for nothing selected.
bool CopiedWholeLine() {
    for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
        wchar_t name[256] = {};
        const int length = format >= 0xC000 ? GetClipboardFormatNameW(format, name, 256) : 0;
        const std::u16string formatName = common::ToU16(std::wstring_view(name, length > 0 ? length : 0));
        const LineCopyMark mark = LineCopyMarkOf(formatName);
        if (mark == LineCopyMark::Present) {
            return true;
        }
        HANDLE data = mark == LineCopyMark::InBytes ? GetClipboardData(format) : nullptr;
        const SIZE_T size = data ? GlobalSize(data) : 0;
        const common::GlobalLocked<const BYTE> bytes(size && size <= kMaxLineCopyMarkBytes ? data : nullptr);
        if (bytes && CopyMarksLine(formatName, std::span(bytes.get(), size))) {
            return true;
        }
    }
    return false;
}

// The process whose window last took the clipboard (0 when none did).
DWORD ClipboardOwnerProcess() {
    DWORD pid = 0;
    if (HWND owner = GetClipboardOwner()) {
        GetWindowThreadProcessId(owner, &pid);
    }
    return pid;
}

// A process's parent from the system's process list, and its creation time; what cannot be learnt stays 0.
ProcessOrigin OriginOf(DWORD pid, bool withParent) {
    ProcessOrigin origin;
    origin.id = pid;
    if (!pid) {
        return origin;
    }
    if (common::UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid)); process) {
        FILETIME created{}, exited{}, kernel{}, user{};
        if (GetProcessTimes(process.get(), &created, &exited, &kernel, &user)) {
            origin.started = (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
        }
    }
    HANDLE raw = withParent ? CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0) : INVALID_HANDLE_VALUE;
    if (raw != INVALID_HANDLE_VALUE) {
        common::UniqueHandle snapshot(raw);
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32FirstW(raw, &entry); more; more = Process32NextW(raw, &entry)) {
            if (entry.th32ProcessID == pid) {
                origin.parent = entry.th32ParentProcessID;
                break;
            }
        }
    }
    return origin;
}

// The program the keys went to: its window's process and that of the window with the keyboard focus in its thread
// (a frame whose content another process draws). Only a change of the clipboard by one of them, by a process one
// of them started, or by nobody right after the keys is our copy (IsTargetsCopy).
struct TargetProcesses {
    HWND window = nullptr;
    std::array<ProcessOrigin, 2> processes{};
    explicit TargetProcesses(HWND target = nullptr) : window(target) {
        DWORD ids[2] = {};
        const DWORD thread = window ? GetWindowThreadProcessId(window, &ids[0]) : 0;
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        if (thread && GetGUIThreadInfo(thread, &info) && info.hwndFocus) {
            GetWindowThreadProcessId(info.hwndFocus, &ids[1]);
        }
        for (int i = 0; i < 2; ++i) {
            processes[i] = OriginOf(ids[i], false);
        }
    }
    // Whether the clipboard's latest change is the target's copy; `soonAfterKeys`: it came while we waited for it.
    [[nodiscard]] bool Copied(bool soonAfterKeys) const {
        const DWORD owner = ClipboardOwnerProcess();
        const bool target = owner && (owner == processes[0].id || owner == processes[1].id);
        return IsTargetsCopy({OriginOf(owner, !target), processes, GetForegroundWindow() == window, soonAfterKeys});
    }
};

struct CopiedText {
    std::optional<std::wstring> text;
    bool wholeLine = false;
};

// The copied text, read on a worker: an owner that renders its text late (or never) keeps only the worker, with
// the clipboard open, waiting. Nothing when the limit passed first.
std::optional<CopiedText> ReadCopiedText() {
    auto run = RunWithTimeLimit<CopiedText>(kReadCopyMs, [] {
        CopiedText copied;
        if (const common::OpenClipboardScope open(OpenClipboardWithRetry(nullptr, kReadCopyMs)); open) {
            copied.wholeLine = CopiedWholeLine();
            copied.text = copied.wholeLine ? std::nullopt : ClipboardText();
        }
        return copied;
    });
    return run.result;
}

// A copy that had not landed when the client stopped waiting for it, or that landed but could not be undone yet,
// with what to put back.
struct LateCopy {
    bool armed = false;
    bool landed = false;  // the target's copy is on the clipboard; putting the user's contents back is retried
    DWORD sequence = 0;   // before the copy; once it has landed, the copy's own
    ULONGLONG until = 0;  // for the copy to land, or once it has, for the retries
    HWND owner = nullptr;
    TargetProcesses target;
    ClipboardSnapshot snapshot;
    CopyLock lock;
};
LateCopy g_late;

// Call with the clipboard open: the target's copy is still there, unchanged since `copySequence`, or its owner is
// the target's (a late format rendered may count as a change).
bool StillTheCopy(const TargetProcesses& target, DWORD copySequence) {
    return GetClipboardSequenceNumber() == copySequence || target.Copied(false);
}

// True once nothing is left to put right: the late copy was undone, someone else changed the clipboard (theirs to
// keep: the user's own Ctrl+C, a clipboard tool, a remote desktop), or the time is over.
bool SettleLateCopy() {
    if (!g_late.armed) {
        return true;
    }
    if (!g_late.landed) {
        if (GetClipboardSequenceNumber() == g_late.sequence) {
            if (GetTickCount64() < g_late.until) {
                return false;
            }
            g_late = LateCopy();  // lets the next start of this user have the clipboard
            return true;
        }
        WaitUntilSettled();
        if (!g_late.target.Copied(false)) {
            g_late = LateCopy();
            return true;
        }
        g_late.landed = true;
        g_late.sequence = GetClipboardSequenceNumber();
        g_late.until = GetTickCount64() + kRestoreRetryMs;
    }
    if (const common::OpenClipboardScope open(OpenClipboardWithRetry(g_late.owner, kRestoreAttemptMs)); open) {
        // While it is open nobody else can change it: whoever owns it now is who wrote last.
        if (StillTheCopy(g_late.target, g_late.sequence)) {
            g_late.snapshot.Restore();
        }
    } else if (GetTickCount64() < g_late.until) {
        return false;  // still held by a reader that waits for a late format, or by another program
    }
    g_late = LateCopy();
    return true;
}

void CALLBACK LateCopyTick(HWND, UINT, UINT_PTR timer, DWORD) {
    if (SettleLateCopy()) {
        KillTimer(nullptr, timer);
    }
}

// `landed`: the target's copy (at `sequence`) is on the clipboard already and only putting the user's contents back
// is left; otherwise `sequence` is the clipboard's before the keys.
void WatchForLateCopy(ClipboardSnapshot snapshot, DWORD sequence, bool landed, HWND owner,
                      const TargetProcesses& target, CopyLock lock) {
    g_late.snapshot = std::move(snapshot);
    g_late.sequence = sequence;
    g_late.landed = landed;
    g_late.until = GetTickCount64() + (landed ? kRestoreRetryMs : kLateCopyGraceMs);
    g_late.owner = owner;
    g_late.target = target;
    g_late.lock = std::move(lock);
    g_late.armed = true;
    // A thread timer: the box that tells the user no text arrived runs its own message loop, which dispatches it.
    SetTimer(nullptr, 0, 20, LateCopyTick);
}

}  // namespace

CopyRead SelectionByCopy(HWND clipboardOwner, HWND startForeground) {
    if (IsTerminal(startForeground)) {
        return {};  // Ctrl+C there could end the user's running program
    }
    // The shortcut key that started us is usually still down; Ctrl+Alt+C would not copy.
    (void)common::PollUntil([] { return !ModifierHeld(); }, kModifierWaitMs);
    CopyLock lock = TakeCopyLock(kCopyLockWaitMs);
    if (!lock) {
        return {std::nullopt, SelectionRefusal::OtherStartBusy};
    }
    ClipboardSnapshot snapshot;
    if (ClipboardSnapshot::Take(snapshot, kSnapshotBudgetMs, kSnapshotBudgetBytes) != ClipboardSnapshot::Status::Whole) {
        return {std::nullopt, SelectionRefusal::ClipboardNotSaved};  // what cannot be saved must not be overwritten
    }
    // Right before the keys go: they go to whatever window is in front now, held keys and all.
    HWND foreground = GetForegroundWindow();
    if (const auto refusal = RefuseCopy({foreground == startForeground, IsTerminal(foreground),
                                         foreground && RunsAboveUs(foreground), ModifierHeld()})) {
        return {std::nullopt, *refusal};
    }
    const TargetProcesses target(foreground);
    const DWORD before = GetClipboardSequenceNumber();
    if (!SendCtrlKey('C')) {
        return {};  // no key went out, so the clipboard is as it was
    }
    if (!common::PollUntil([before] { return GetClipboardSequenceNumber() != before; }, kCopyWaitMs)) {
        WatchForLateCopy(std::move(snapshot), before, false, clipboardOwner, target, std::move(lock));
        return {};
    }
    WaitUntilSettled();
    const DWORD copySequence = GetClipboardSequenceNumber();
    if (!target.Copied(true)) {
        // Another program's text (a password manager, a sync tool) is not what the user selected: the user's
        // contents go back, and a copy of the target's that lands later is still undone.
        if (const common::OpenClipboardScope open(OpenClipboardWithRetry(clipboardOwner, kRestoreOpenWaitMs)); open) {
            snapshot.Restore();
        }
        WatchForLateCopy(std::move(snapshot), GetClipboardSequenceNumber(), false, clipboardOwner, target,
                         std::move(lock));
        return {};
    }
    const std::optional<CopiedText> copied = ReadCopiedText();
    CopyRead read;
    if (copied && !copied->wholeLine) {
        read.text = copied->text;
    }
    if (const common::OpenClipboardScope open(copied && OpenClipboardWithRetry(clipboardOwner, kRestoreOpenWaitMs));
        open) {
        if (StillTheCopy(target, copySequence)) {
            snapshot.Restore();
        }
    } else {
        // The reader left waiting still holds the clipboard, or another program does: retried from the timer and
        // before the client ends.
        WatchForLateCopy(std::move(snapshot), copySequence, true, clipboardOwner, target, std::move(lock));
    }
    return read;
}

void SettleClipboardBeforeExit() {
    (void)common::PollUntil(SettleLateCopy, kLateCopyGraceMs + kRestoreRetryMs, 20);
}

SelectionRead ReadSelection(HWND clipboardOwner) {
    // The window the user pressed the key in; by the time of the copy another may have come to the front.
    HWND startForeground = GetForegroundWindow();
    std::shared_ptr<SelectionOrigin> origin = OriginOf(startForeground);
    const auto fromWide = [](std::optional<std::wstring> text) -> std::optional<std::u16string> {
        return text ? std::optional(common::ToU16(*text)) : std::nullopt;
    };
    bool password = false;
    const auto automation = [&] {
        AutomationRead read = SelectionByAutomation(kAutomationWaitMs);
        password = read.password;
        return fromWide(std::move(read.text));
    };
    SelectionRefusal refusal = SelectionRefusal::NothingSelected;
    // A password box found by UI Automation is not copied from either.
    const auto copy = [&]() -> std::optional<std::u16string> {
        if (password) {
            return std::nullopt;
        }
        CopyRead read = SelectionByCopy(clipboardOwner, startForeground);
        refusal = read.refusal;
        return fromWide(std::move(read.text));
    };
    SelectionRead read;
    read.text = ChooseSelection(automation, copy);
    read.refusal = read.text ? SelectionRefusal::NothingSelected : refusal;
    read.origin = read.text ? std::move(origin) : nullptr;
    return read;
}

}  // namespace velmora
