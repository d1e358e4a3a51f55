#include "win/settings/Controls.h"

#include "win/Failure.h"

#include "common/Text.h"

namespace velmora {

std::wstring ControlText(HWND control) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

common::UniqueFont MakeUiFont(UINT dpi) {
    return common::UniqueFont(CreateFontW(-MulDiv(9, static_cast<int>(dpi), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                                          FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                          DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"MS UI Gothic"));
}

void KeepFocus(HWND window, bool active, HWND& focus) {
    if (!active) {
        HWND current = GetFocus();
        if (current && IsChild(window, current)) {
            focus = current;
        }
    } else if (focus && IsWindow(focus)) {
        SetFocus(focus);
    }
}

void MoveFocus(HWND window, WPARAM wp, LPARAM lp) {
    HWND next = LOWORD(lp) ? reinterpret_cast<HWND>(wp) : GetNextDlgTabItem(window, GetFocus(), wp != 0);
    if (!next) {
        return;
    }
    SetFocus(next);
    if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) {
        SendMessageW(next, EM_SETSEL, 0, -1);
    }
}

void ShowFailure(HWND owner, const wchar_t* sentence, DWORD error) {
    const std::wstring text = std::wstring(sentence) + L"\r\n" + common::SystemErrorText(error);
    ShowBox(text, L"Velmora", MB_ICONSTOP, owner);
}

}  // namespace velmora
