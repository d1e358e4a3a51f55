#include "win/bubble/Form2.h"

#include <windowsx.h>

#include <algorithm>

#include "common/Text.h"
#include "core/pages/DisplayText.h"
#include "win/Form1.h"

namespace velmora {

void Form2::Load(std::optional<POINT> topLeft) {
    if (!hwnd() && CreateBubble(L"VelmoraForm2", L"Form2")) {
        Form_Load(topLeft);
    }
}

// The text box gets its own procedure back before this object goes: the window outlives it by a moment.
Form2::~Form2() {
    if (body_ && editProc_) {
        SetWindowLongPtrW(body_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editProc_));
    }
}

bool Form2::Show() {
    Load();
    if (!hwnd()) {
        return false;
    }
    (void)ShowInFront(body_);
    return true;
}

HWND Form2::MakeBody(HINSTANCE instance, int id) {
    // The only control that takes the focus. No scroll bars, by design: the wheel and the caret scroll it.
    HWND text1 = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_MULTILINE |
                                 ES_AUTOVSCROLL | ES_WANTRETURN, 0, 0, 0, 0, hwnd(), reinterpret_cast<HMENU>(id),
                                 instance, nullptr);
    // Its keys and wheel come here first, subclassed the same way as the labels.
    SetWindowLongPtrW(text1, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    editProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(text1, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Text1Proc)));
    return text1;
}

// The text box itself, tried at each width: its own font, margins and line breaking decide, not an estimate.
// It shows whole lines only, each as high as its font.
TextHeight Form2::BodyTextHeight() {
    HWND text1 = body_;
    TEXTMETRICW metrics{};
    {
        const common::WindowDcWithFont dc(text1, reinterpret_cast<HGDIOBJ>(SendMessageW(text1, WM_GETFONT, 0, 0)));
        GetTextMetricsW(dc.get(), &metrics);
    }
    const int lineHeight = std::max<int>(1, metrics.tmHeight);
    return [text1, lineHeight](int width) {
        RECT client{};
        GetClientRect(text1, &client);
        SetWindowPos(text1, nullptr, 0, 0, width, std::max<int>(client.bottom, lineHeight),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
        RECT format{};
        SendMessageW(text1, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
        const auto lines = static_cast<int>(SendMessageW(text1, EM_GETLINECOUNT, 0, 0));
        return format.top + lines * lineHeight;
    };
}

void Form2::Form_Load(std::optional<POINT> topLeft) {
    LoadColors();
    SetWindowTextW(body_, form1_.PopupText().c_str());
    LayOutAndPlace(topLeft);
}

void Form2::Form_MouseDown(int button) {
    if (button == 2) {
        form1_.ShowPopupMenu(hwnd());
    } else {
        BubbleWindow::Form_MouseDown(button);
    }
}

void Form2::Label1_Click() {
    form1_.EndProgram();
}

// Shift+F10 or the context-menu key: the popup's own menu, at the bubble's top-left corner, where the keyboard
// user can see it (the pointer may be anywhere).
void Form2::Form_KeyMenu() {
    RECT r{};
    GetWindowRect(hwnd(), &r);
    form1_.ShowPopupMenu(hwnd(), POINT{r.left, r.top});
}

void Form2::Text1_MouseWheel(int delta) {
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    wheelRest_ += delta;
    const int notches = wheelRest_ / WHEEL_DELTA;
    wheelRest_ -= notches * WHEEL_DELTA;
    if (notches == 0 || lines == 0) {
        return;
    }
    if (lines == WHEEL_PAGESCROLL) {
        for (int i = 0; i < (notches < 0 ? -notches : notches); ++i) {
            SendMessageW(body_, EM_SCROLL, notches > 0 ? SB_PAGEUP : SB_PAGEDOWN, 0);
        }
        return;
    }
    SendMessageW(body_, EM_LINESCROLL, 0, -notches * static_cast<int>(lines));
}

LRESULT CALLBACK Form2::Text1Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* form = reinterpret_cast<Form2*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
        case WM_KEYDOWN:
            if (wp == VK_ESCAPE) {
                form->Label1_Click();
                return 0;
            }
            if (wp == VK_RETURN && (GetKeyState(VK_CONTROL) & 0x8000)) {
                form->form1_.ReplaceSelection();
                return 0;
            }
            break;
        case WM_CHAR:
            // The line feed is Ctrl+Enter's character: that key replaces, it types nothing.
            if (wp == VK_ESCAPE || wp == L'\n') {
                return 0;
            }
            break;
        case WM_CONTEXTMENU:
            // From the keyboard the position is -1; the mouse keeps the text box's own editing menu.
            if (lp == -1) {
                form->Form_KeyMenu();
                return 0;
            }
            break;
        case WM_MOUSEWHEEL:
            // Scrolled here, a few lines a notch as the system says, so that the text moves the same way with or
            // without a scroll bar (the design has none) on every system.
            form->Text1_MouseWheel(GET_WHEEL_DELTA_WPARAM(wp));
            return 0;
    }
    return CallWindowProcW(form->editProc_, hwnd, msg, wp, lp);
}

LRESULT Form2::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CONTEXTMENU:
            if (lp == -1) {
                Form_KeyMenu();
                return 0;
            }
            break;
        case WM_MOUSEWHEEL:
            Text1_MouseWheel(GET_WHEEL_DELTA_WPARAM(wp));
            return 0;
        case WM_DESTROY:
            // However the popup goes, the client goes with it: nothing else of it is visible.
            form1_.EndProgram();
            return 0;
    }
    return BubbleWindow::HandleMessage(msg, wp, lp);
}

}  // namespace velmora
