#include "win/Form2.h"

#include "win/Form1.h"

namespace velmora {

void Form2::Show() {
    if (!hwnd()) {
        if (!Create(L"VelmoraForm2", L"Form2", WS_OVERLAPPEDWINDOW, 0, CW_USEDEFAULT, CW_USEDEFAULT, 320, 140,
                    nullptr)) {
            return;
        }
        Form_Load();
    }
    ShowWindow(hwnd(), SW_SHOWNORMAL);
}

void Form2::Form_Load() {
    text1_ = CreateWindowExW(0, L"EDIT", form1_.Text3.c_str(), WS_CHILD | WS_VISIBLE | ES_MULTILINE, 8, 8, 290, 90,
                             hwnd(), reinterpret_cast<HMENU>(1), GetModuleHandleW(nullptr), nullptr);
}

LRESULT Form2::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        form1_.EndProgram();
        return 0;
    }
    return common::Window::HandleMessage(msg, wp, lp);
}

}  // namespace velmora
