// What the client's settings windows share: a control's text, their font at a DPI, and the box that reports a
// failed action while the window stays open.
#pragma once
#include <windows.h>

#include <string>

#include "common/Handles.h"

namespace velmora {

[[nodiscard]] std::wstring ControlText(HWND control);
// MS UI Gothic 9 pt, the Japanese system's dialog font, at the window's DPI.
[[nodiscard]] common::UniqueFont MakeUiFont(UINT dpi);
// A box with the sentence and the system's text for the error (title "Velmora", stop icon).
void ShowFailure(HWND owner, const wchar_t* sentence, DWORD error);

}  // namespace velmora
