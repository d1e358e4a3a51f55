#include "win/Failure.h"

#include <windows.h>

namespace velmora {

void ReportFailureAndExit(const std::wstring& text) {
    MessageBoxW(nullptr, text.c_str(), L"Velmora", MB_OK | MB_ICONSTOP | MB_SETFOREGROUND);
    ExitProcess(1);
}

void ShowBox(const std::wstring& text, const wchar_t* title, UINT icon) {
    MessageBoxW(nullptr, text.c_str(), title, MB_OK | icon | MB_SETFOREGROUND);
}

}  // namespace velmora
