// Waiting on state that nobody signals: another program's clipboard, the keyboard, a window in front.
#pragma once
#include <windows.h>

namespace common {

// Asks `done` every `stepMs` until it holds or `limitMs` have passed; answers whether it held. It is asked once
// more at the limit, so a wait of 0 still looks once.
template <typename Condition>
[[nodiscard]] bool PollUntil(Condition done, DWORD limitMs, DWORD stepMs = 10) {
    const ULONGLONG end = GetTickCount64() + limitMs;
    for (;;) {
        if (done()) {
            return true;
        }
        if (GetTickCount64() >= end) {
            return false;
        }
        Sleep(stepMs);
    }
}

}  // namespace common
