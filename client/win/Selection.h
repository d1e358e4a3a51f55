// Reads the text selected in the foreground program, for a selection start ("/selection CODE").
#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace velmora {

// UI Automation first, else a copy through the clipboard; the choice and the clean-up of the text are
// ChooseSelection's (core/Selection.h). Nothing when no visible text was selected. The owner is a window of ours
// that the clipboard can name while we put the user's contents back.
[[nodiscard]] std::optional<std::wstring> ReadSelection(HWND clipboardOwner);

struct AutomationRead {
    std::optional<std::wstring> text;
    bool password = false;  // the focused element is a password field, whose text is never read
};

// The first way: the focused element's text pattern, at most one unit longer than the client keeps. Leaves the
// clipboard alone. No text when UI Automation is missing, the element offers no text pattern, is a password field,
// or does not answer within the time.
[[nodiscard]] AutomationRead SelectionByAutomation(DWORD timeoutMs);

// The second way: waits (up to 1 s) until Ctrl, Alt, Shift and the Windows keys are up, sends Ctrl+C to the
// foreground window and reads the text that arrives within 600 ms. The clipboard holds what it held before
// afterwards, whether or not anything was copied. Nothing when no text arrived.
[[nodiscard]] std::optional<std::wstring> SelectionByCopy(HWND clipboardOwner);

}  // namespace velmora
