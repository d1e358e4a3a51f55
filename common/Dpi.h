// DPI: designs are in twips or 96-dpi pixels; the windows work in real pixels at the monitor's DPI.
#pragma once
#include <windows.h>

namespace common {

// The DPI of a window (or of the primary screen for nullptr); 96 where the system cannot say.
[[nodiscard]] UINT DpiOf(HWND hwnd);

[[nodiscard]] inline int ScaleFrom96(int pixels96, UINT dpi) {
    return MulDiv(pixels96, static_cast<int>(dpi), 96);
}
[[nodiscard]] inline int TwipsToPixels(int twips, UINT dpi) {
    return MulDiv(twips, static_cast<int>(dpi), 1440);
}

// Outer window size for a wanted client size, with the frame metrics of that DPI.
[[nodiscard]] SIZE WindowSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, UINT dpi);

}  // namespace common
