#include "win/selection/Replacement.h"

#include <cstdint>
#include <optional>
#include <string_view>

#include "common/Poll.h"
#include "common/Text.h"
#include "common/Window.h"
#include "core/Messages.h"
#include "core/selection/Replacement.h"
#include "win/selection/Clipboard.h"
#include "win/selection/Selection.h"
#include "win/selection/TargetWindow.h"

namespace velmora {
namespace {

// The key that asked for the paste (Ctrl+Enter, or R in the menu) is usually still down.
constexpr DWORD kKeysWaitMs = 1000;
// A window that comes back gives the focus to its own control, as a rule within this; after it the focus is set.
constexpr DWORD kOwnFocusWaitMs = 300;
constexpr DWORD kBackWaitMs = 1000;
constexpr DWORD kTakeWaitMs = 2000;
// The program holds the clipboard open while it reads the text; the user's contents go back once it has let go.
constexpr DWORD kPutBackOpenWaitMs = 5000;
constexpr DWORD kOpenWaitMs = 1000;

HWND FocusIn(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    return thread && GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

// The program that asks for the text holds the clipboard open (with a window of its own, as a rule). Only the
// target, still in front, gets it: keys that reached another window at the last moment paste nothing there.
bool AskedByTarget(const SelectionOrigin& origin) {
    if (GetForegroundWindow() != origin.window) {
        return false;
    }
    HWND opener = GetOpenClipboardWindow();
    DWORD asking = 0, focus = 0;
    if (!opener || !GetWindowThreadProcessId(opener, &asking)) {
        return true;  // opened without a window: nothing more to tell by
    }
    if (origin.focus) {
        GetWindowThreadProcessId(origin.focus, &focus);  // a frame's content may be another process's
    }
    return asking == origin.processId || asking == focus;
}

// Our contents while the paste goes: the translation, handed over only when the target asks for it.
class PasteOwner : public common::Window {
  public:
    PasteOwner(const SelectionOrigin& origin, const std::wstring& text) : origin_(origin), text_(text) {}
    [[nodiscard]] bool Create() {
        return common::Window::Create(L"VelmoraPasteOwner", L"", 0, WS_EX_TOOLWINDOW, 0, 0, 0, 0, HWND_MESSAGE);
    }
    [[nodiscard]] bool Taken() const { return taken_; }

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        switch (msg) {
            case WM_RENDERFORMAT:
                // Called with the asking program holding the clipboard open; it gets the text as this returns.
                if (wp == CF_UNICODETEXT && AskedByTarget(origin_) &&
                    PutOnClipboard(CF_UNICODETEXT, text_.c_str(), (text_.size() + 1) * sizeof(wchar_t))) {
                    taken_ = true;
                }
                return 0;
            case WM_RENDERALLFORMATS:
                return 0;  // the translation does not outlive the paste
        }
        return common::Window::HandleMessage(msg, wp, lp);
    }

  private:
    const SelectionOrigin& origin_;
    const std::wstring& text_;
    bool taken_ = false;
};

bool KeysHeld() {
    return ModifierHeld() || (GetAsyncKeyState(VK_RETURN) & 0x8000) != 0;
}

bool Gone(const SelectionOrigin& origin) {
    DWORD pid = 0;
    if (!IsWindow(origin.window) || !GetWindowThreadProcessId(origin.window, &pid) || pid != origin.processId) {
        return true;  // closed, or its handle already names another program's window
    }
    return origin.process && WaitForSingleObject(origin.process.get(), 0) == WAIT_OBJECT_0;
}

bool IsPasswordBox(HWND control) {
    wchar_t name[64] = {};
    const int length = control ? GetClassNameW(control, name, 64) : 0;
    return length > 0 && HidesItsText(common::ToU16(std::wstring_view(name, length)),
                                      static_cast<std::uint32_t>(GetWindowLongW(control, GWL_STYLE)));
}

bool InFrontWithFocus(const SelectionOrigin& origin) {
    return GetForegroundWindow() == origin.window && (!origin.focus || FocusIn(origin.window) == origin.focus);
}

// Asked while the popup is still in front, since only the program in front may hand the front to another; the
// popup goes once it has. A window that keeps the focus on itself gets its control's back, through our thread
// joined to its input for that moment (not when it hangs: the focus change would wait for it).
bool BringBack(const SelectionOrigin& origin, HWND popup) {
    SetForegroundWindow(origin.window);
    ShowWindow(popup, SW_HIDE);
    if (common::PollUntil([&] { return InFrontWithFocus(origin); }, kOwnFocusWaitMs)) {
        return true;
    }
    if (GetForegroundWindow() == origin.window && origin.focus && IsChild(origin.window, origin.focus) &&
        !IsHungAppWindow(origin.window)) {
        const DWORD theirs = GetWindowThreadProcessId(origin.window, nullptr);
        if (AttachThreadInput(GetCurrentThreadId(), theirs, TRUE)) {
            SetFocus(origin.focus);
            AttachThreadInput(GetCurrentThreadId(), theirs, FALSE);
        }
    }
    return common::PollUntil([&] { return InFrontWithFocus(origin); }, kBackWaitMs);
}

// The program asks for the text from its own thread, which the clipboard's owner, ours, answers: only sent messages
// are handled meanwhile, the rest waits for the message loop.
bool WaitUntilTaken(const PasteOwner& owner) {
    const ULONGLONG end = GetTickCount64() + kTakeWaitMs;
    for (ULONGLONG now = GetTickCount64(); !owner.Taken() && now < end; now = GetTickCount64()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_SENDMESSAGE);
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    return owner.Taken();
}

// A change by anyone else since ours (the user's own copy elsewhere) is theirs to keep.
void PutBack(const PasteOwner& owner, ClipboardSnapshot& users) {
    if (const common::OpenClipboardScope open(OpenClipboardWithRetry(owner.hwnd(), kPutBackOpenWaitMs)); open) {
        if (GetClipboardOwner() == owner.hwnd()) {
            users.Restore();
        }
    }
}

std::optional<ReplaceRefusal> Paste(const SelectionOrigin& origin, HWND popup, const std::wstring& text) {
    // A copy of the selection that landed late is undone first: what is saved now must be the user's.
    SettleClipboardBeforeExit();
    ReplaceTarget target;
    target.gone = Gone(origin);
    target.terminal = !target.gone && IsTerminal(origin.window);
    target.higherIntegrity = !target.gone && RunsAboveUs(origin.window);
    (void)common::PollUntil([] { return !KeysHeld(); }, kKeysWaitMs);
    target.keysHeld = KeysHeld();
    if (const auto refusal = RefuseReplacement(target)) {
        return refusal;
    }
    CopyLock lock = TakeCopyLock(kCopyLockWaitMs);
    if (!lock) {
        return ReplaceRefusal::OtherStartBusy;
    }
    ClipboardSnapshot users;
    if (ClipboardSnapshot::Take(users, kSnapshotBudgetMs, kSnapshotBudgetBytes) != ClipboardSnapshot::Status::Whole) {
        return ReplaceRefusal::ClipboardNotSaved;
    }
    target.inFront = BringBack(origin, popup);
    target.password = IsPasswordBox(origin.focus ? origin.focus : origin.window);
    target.keysHeld = KeysHeld();
    if (const auto refusal = RefuseReplacement(target)) {
        return refusal;
    }
    PasteOwner owner(origin, text);
    if (!owner.Create()) {
        return ReplaceRefusal::ClipboardNotSaved;
    }
    {
        const common::OpenClipboardScope open(OpenClipboardWithRetry(owner.hwnd(), kOpenWaitMs));
        if (!open || !EmptyClipboard()) {
            return ReplaceRefusal::ClipboardNotSaved;
        }
        SetClipboardData(CF_UNICODETEXT, nullptr);
        KeepOutOfHistory();
    }
    // Right before the keys go: they go to whatever window is in front now.
    target.inFront = InFrontWithFocus(origin);
    target.keysHeld = KeysHeld();
    std::optional<ReplaceRefusal> refusal = RefuseReplacement(target);
    if (!refusal) {
        target.taken = SendCtrlKey('V') && WaitUntilTaken(owner);
        target.inFront = InFrontWithFocus(origin);  // another window that came first is why nothing was taken
        refusal = RefuseReplacement(target);
    }
    PutBack(owner, users);
    return refusal;
}

}  // namespace

std::shared_ptr<SelectionOrigin> OriginOf(HWND window) {
    auto origin = std::make_shared<SelectionOrigin>();
    origin->window = window;
    if (window && GetWindowThreadProcessId(window, &origin->processId)) {
        origin->process.reset(OpenProcess(SYNCHRONIZE, FALSE, origin->processId));
        origin->focus = FocusIn(window);
    }
    return origin;
}

bool PutInPlaceOfSelection(const SelectionOrigin& origin, HWND popup, const std::wstring& text) {
    const auto refusal = Paste(origin, popup, text);
    if (refusal) {
        // The window brought back holds the front now; the box takes it, as the program that had the last input.
        const std::wstring sentence = common::ToWide(ReplaceRefusalText(*refusal));
        MessageBoxW(nullptr, sentence.c_str(), kCautionTitle, MB_OK | MB_ICONEXCLAMATION | MB_SETFOREGROUND);
    }
    return !refusal;
}

}  // namespace velmora
