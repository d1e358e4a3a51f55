// The program a selection start works in, seen from outside: whether keys sent to its window are safe and reach
// it, and the keys themselves. Both the copy of the selection and the paste of its translation ask the same.
#pragma once
#include <windows.h>

namespace velmora {

// Ctrl, Alt, Shift or a Windows key is down: keys sent now would reach the program as another shortcut.
[[nodiscard]] bool ModifierHeld();

// Ctrl held around one press of `key` ('C', 'V'); false when the system took none of it.
[[nodiscard]] bool SendCtrlKey(WORD key);

// A terminal, by its window class or its program file: Ctrl+C there interrupts the running program.
[[nodiscard]] bool IsTerminal(HWND window);

// The window's program runs at a higher integrity level than ours (elevated) and ignores our keys.
[[nodiscard]] bool RunsAboveUs(HWND window);

}  // namespace velmora
