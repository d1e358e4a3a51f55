#include "Window.h"

namespace common {

Window::~Window() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

bool Window::Create(const wchar_t* className, const wchar_t* caption, DWORD style, DWORD exStyle, int x, int y,
                    int width, int height, HWND parent, HBRUSH background) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    if (!GetClassInfoExW(instance, className, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = Thunk;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        // A tool window without a window menu shows its icon nowhere (no caption, no taskbar button, not among
        // the windows Alt+Tab offers). Loading it, and the small copy the system makes of it, costs milliseconds
        // on the way to a popup, so such windows go without.
        if (!(exStyle & WS_EX_TOOLWINDOW) || (style & WS_SYSMENU)) {
            wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
        }
        wc.hbrBackground = background;
        wc.lpszClassName = className;
        if (!RegisterClassExW(&wc)) {
            return false;
        }
    }
    return CreateWindowExW(exStyle, className, caption, style, x, y, width, height, parent, nullptr, instance,
                           this) != nullptr;
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT CALLBACK Window::Thunk(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self) {
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        LRESULT r = self->HandleMessage(msg, wp, lp);
        self->hwnd_ = nullptr;
        return r;
    }
    return self->HandleMessage(msg, wp, lp);
}

}  // namespace common
