// The client's boxes and how its windows come to the front: a failed request is reported in a stop-icon box titled
// "Velmora", and then the process ends. The client is started by a key or a menu while the user's program is in
// front, so Windows' foreground rules apply to every window it shows.
#pragma once
#include <windows.h>

#include <string>

namespace velmora {

// Every box of the client, topmost and in the foreground (MB_TOPMOST | MB_SETFOREGROUND), so that it never opens
// behind the user's program; `icon` is one of the MB_ICON flags. Answers the button that closed it.
int ShowBox(const std::wstring& text, const wchar_t* title, UINT icon, HWND owner = nullptr);

// Brings a window of ours to the foreground, with the activation; true when the system let it. The test switch
// VELMORA_TEST_NO_FOREGROUND (any value) makes it fail as Windows may, to show what the windows do then.
[[nodiscard]] bool TakeForeground(HWND window);

// Shows the report and ends the process at once: a fetch worker may still be blocked in WinINet, and
// one process per request makes it safe not to wait for it.
[[noreturn]] void ReportFailureAndExit(const std::wstring& text);

}  // namespace velmora
