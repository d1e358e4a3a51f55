// The one way the client reports a failed request: a stop-icon box titled "Velmora", then the end of the process.
#pragma once
#include <windows.h>

#include <string>

namespace velmora {

// Shows the report and ends the process at once: a fetch worker may still be blocked in WinINet, and
// one process per request makes it safe not to wait for it.
[[noreturn]] void ReportFailureAndExit(const std::wstring& text);

// A box of the client's (a refusal or a caution) that the user sees in front of the program they are working in.
void ShowBox(const std::wstring& text, const wchar_t* title, UINT icon);

}  // namespace velmora
