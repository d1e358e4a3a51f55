// The small window base: binds the C++ object to its HWND at WM_NCCREATE and forwards messages to it.
#pragma once
#include <windows.h>

namespace common {

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    [[nodiscard]] HWND hwnd() const { return hwnd_; }

protected:
    // Registers the class once per process and creates the window; answers false when either fails.
    [[nodiscard]] bool Create(const wchar_t* className, const wchar_t* caption, DWORD style, DWORD exStyle, int x,
                              int y, int width, int height, HWND parent, HBRUSH background = nullptr);
    virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

private:
    static LRESULT CALLBACK Thunk(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    HWND hwnd_ = nullptr;
};

}  // namespace common
