#include "win/bubble/PendingBubble.h"

#include "core/Messages.h"
#include "win/Form1.h"

namespace velmora {

bool PendingBubble::Show() {
    if (!CreateBubble(L"VelmoraPending", L"Velmora")) {
        return false;
    }
    LoadColors();
    LayOutAndPlace(std::nullopt);
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
    // The bubble itself holds the focus (its text takes none), so that Esc reaches it.
    SetFocus(hwnd());
    return true;
}

void PendingBubble::ShowText(const std::wstring& text) {
    hasText_ = true;
    SetWindowTextW(body_, text.c_str());
    GrowToText();
}

// The label's own font and line breaking (a static control breaks lines as DrawText does).
TextHeight PendingBubble::BodyTextHeight() {
    if (!hasText_) {
        return nullptr;
    }
    HWND body = body_;
    return [body](int width) {
        const int length = GetWindowTextLengthW(body);
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        text.resize(static_cast<size_t>(GetWindowTextW(body, text.data(), length + 1)));
        HDC dc = GetDC(body);
        const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(body, WM_GETFONT, 0, 0)));
        RECT r{0, 0, width, 0};
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
                  DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_EDITCONTROL);
        SelectObject(dc, old);
        ReleaseDC(body, dc);
        return static_cast<int>(r.bottom);
    };
}

// ShowWindow(SW_HIDE) would activate some other window, maybe another program's, at once; hidden through
// SetWindowPos the window stays active until the next one is.
void PendingBubble::HideKeepingActivation() {
    SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND PendingBubble::MakeBody(HINSTANCE instance, int id) {
    return CreateWindowExW(0, L"STATIC", kPendingText, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0,
                           hwnd(), reinterpret_cast<HMENU>(id), instance, nullptr);
}

void PendingBubble::Label1_Click() {
    // The request is abandoned with the process; nothing is reported.
    form1_.EndProgram();
}

void PendingBubble::DragEnded() {
    form1_.PendingReleased();
}

LRESULT PendingBubble::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CLOSE:
            // Alt+F4, or a close from the task list: the same as "Close".
            Label1_Click();
            return 0;
    }
    return BubbleWindow::HandleMessage(msg, wp, lp);
}

}  // namespace velmora
