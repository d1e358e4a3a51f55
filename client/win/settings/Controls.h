// What the client's settings windows share: a control's text, their font at a DPI, their focus, and the box that
// reports a failed action while the window stays open.
#pragma once
#include <windows.h>

#include <string>

#include "common/Handles.h"

namespace velmora {

[[nodiscard]] std::wstring ControlText(HWND control);
// MS UI Gothic 9 pt, the Japanese system's dialog font, at the window's DPI.
[[nodiscard]] common::UniqueFont MakeUiFont(UINT dpi);
// The focus of a window with controls, kept as a dialog keeps it: the control that had it when the window was
// deactivated gets it back on activation (at first, `focus` as the window set it).
void KeepFocus(HWND window, bool active, HWND& focus);
// WM_NEXTDLGCTL as a dialog answers it (a label's access key sends it): the focus to the given control, or to the
// next or previous tab stop, a field's text then selected whole.
void MoveFocus(HWND window, WPARAM wp, LPARAM lp);
// A box with the sentence and the system's text for the error (title "Velmora", stop icon).
void ShowFailure(HWND owner, const wchar_t* sentence, DWORD error);

}  // namespace velmora
