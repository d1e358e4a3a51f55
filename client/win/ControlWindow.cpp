#include "win/ControlWindow.h"

#include "win/settings/Controls.h"

namespace velmora {

void ControlWindow::CreateControls(std::span<const ControlDesign> controls) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const ControlDesign& c : controls) {
        HWND control = CreateWindowExW(c.exStyle, c.className, c.text, c.style, 0, 0, 0, 0, hwnd(),
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
        if (c.limit) {
            SendMessageW(control, EM_LIMITTEXT, c.limit, 0);
        }
    }
}

void ControlWindow::PlaceControls(std::span<const ControlDesign> controls, UINT dpi, Scale scale) {
    common::UniqueFont font = MakeUiFont(dpi);
    for (const ControlDesign& c : controls) {
        HWND control = GetDlgItem(hwnd(), c.id);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
        MoveWindow(control, scale(c.left, dpi), scale(c.top, dpi), scale(c.width, dpi), scale(c.height, dpi), TRUE);
    }
    font_ = std::move(font);
}

void ControlWindow::DpiChanged(UINT dpi, const RECT& suggested) {
    LayOut(dpi);
    SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool ControlWindow::Activated(bool active, bool /*minimized*/) {
    KeepFocus(hwnd(), active, focus_);
    return true;
}

bool ControlWindow::PressFocusedButton() {
    HWND focus = GetFocus();
    const auto code = focus && IsChild(hwnd(), focus) ? SendMessageW(focus, WM_GETDLGCODE, 0, 0) : 0;
    if (!(code & (DLGC_UNDEFPUSHBUTTON | DLGC_DEFPUSHBUTTON))) {
        return false;
    }
    SendMessageW(focus, BM_CLICK, 0, 0);
    return true;
}

LRESULT ControlWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND:
            // The dialog keys' IDOK and IDCANCEL come from no control; a control's notice carries its window (a
            // bubble's controls have those numbers as identifiers).
            if (!lp && LOWORD(wp) == IDOK) {
                Enter();
            } else if (!lp && LOWORD(wp) == IDCANCEL) {
                Escape();
            } else {
                OnCommand(LOWORD(wp), HIWORD(wp));
            }
            return 0;
        case WM_ACTIVATE:
            if (Activated(LOWORD(wp) != WA_INACTIVE, HIWORD(wp) != 0)) {
                return 0;
            }
            break;
        case WM_NEXTDLGCTL:
            MoveFocus(hwnd(), wp, lp);
            return 0;
        case WM_DPICHANGED:
            DpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
            return 0;
        case WM_SETHOTKEY:
            return 0;  // the shortcut key that started the client stays the shortcut's (see Form1)
    }
    return common::Window::HandleMessage(msg, wp, lp);
}

}  // namespace velmora
