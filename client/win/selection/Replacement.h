// Putting the popup's text in place of the selection that a selection start read, in the program it came from.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "common/Handles.h"
#include "core/selection/Selection.h"

namespace velmora {

// Where a selection start read its text.
struct SelectionOrigin {
    HWND window = nullptr;  // the window in front when the client started
    HWND focus = nullptr;   // the control that had the keyboard focus in it (none when the system did not say)
    DWORD processId = 0;
    // Held open, so that the program's number cannot pass to another program while the popup is up.
    common::UniqueHandle process;
};

// The window and the control with the focus in it, as they are now.
[[nodiscard]] std::shared_ptr<SelectionOrigin> OriginOf(HWND window);

// With the keys released and the user's clipboard saved whole, brings the window back with its control, hides the
// popup, pastes `text` by Ctrl+V (from the clipboard, rendered only when the program asks for it, so that the
// moment it has taken it is known) and puts the user's clipboard back. True once the program took the text;
// otherwise a box (title "注意") has said why, and nothing was pasted.
[[nodiscard]] bool PutInPlaceOfSelection(const SelectionOrigin& origin, HWND popup, const std::wstring& text);

}  // namespace velmora
