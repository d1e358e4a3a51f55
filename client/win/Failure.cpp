#include "win/Failure.h"

#include <windows.h>

namespace velmora {

void ReportFailureAndExit(const std::wstring& text) {
    MessageBoxW(nullptr, text.c_str(), L"Velmora", MB_OK | MB_ICONSTOP | MB_SETFOREGROUND);
    ExitProcess(1);
}

}  // namespace velmora
