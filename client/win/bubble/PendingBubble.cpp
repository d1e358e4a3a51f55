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

POINT PendingBubble::TopLeft() const {
    RECT r{};
    GetWindowRect(hwnd(), &r);
    return POINT{r.left, r.top};
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
