// Reads the text selected in the foreground program, for a selection start ("/selection CODE").
#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "core/selection/Selection.h"

namespace velmora {

// UI Automation first, else a copy through the clipboard; the choice and the clean-up of the text are
// ChooseSelection's (core/Selection.h). No text, and why, when no visible text was read. The owner is a window of
// ours that the clipboard can name while we put the user's contents back.
[[nodiscard]] SelectionRead ReadSelection(HWND clipboardOwner);

struct AutomationRead {
    std::optional<std::wstring> text;
    bool password = false;  // the focused element is a password field, whose text is never read
};

// The first way: the focused element's text pattern, at most one unit longer than the client keeps. Leaves the
// clipboard alone. No text when UI Automation is missing, the element offers no text pattern, is a password field,
// or does not answer within the time; an empty text only when an edit or document control showed empty ranges.
[[nodiscard]] AutomationRead SelectionByAutomation(DWORD timeoutMs);

struct CopyRead {
    std::optional<std::wstring> text;
    SelectionRefusal refusal = SelectionRefusal::NothingSelected;
};

// The second way, one start of this user at a time: waits (up to 1 s) until Ctrl, Alt, Shift and the Windows keys
// are up, saves the user's clipboard, and sends Ctrl+C only when `startForeground` is still in front, is no
// terminal, does not run above us and no key is held; then reads the text that the target's program (no other)
// puts there within 600 ms and puts the user's contents back. Another program's change is undone and read as
// nothing; so is an editor's copy of its whole line for nothing selected. A copy that lands later is still put
// right (see SettleClipboardBeforeExit).
[[nodiscard]] CopyRead SelectionByCopy(HWND clipboardOwner, HWND startForeground);

// A copy may land after the client has given up waiting for it; until a grace period has passed, the client puts
// the user's contents back whenever it does (from a timer while a box is up, and here before the process ends),
// and retries for a while where the clipboard could not be opened to do so. The first change by another program
// ends the watch: that change is the user's or that program's to keep.
void SettleClipboardBeforeExit();

}  // namespace velmora
