#include "win/settings/Form3.h"

#include <cstring>

#include "common/Dpi.h"
#include "common/Text.h"
#include "core/Messages.h"
#include "core/settings/Colors.h"
#include "win/Form1.h"
#include "win/bubble/Form2.h"
#include "win/selection/Clipboard.h"
#include "win/services/ServiceWindow.h"
#include "win/settings/ColorSettings.h"
#include "win/settings/Controls.h"

namespace velmora {
namespace {

// Away from IDOK and IDCANCEL: the dialog keyboard handling sends those for Enter and Escape, and neither button
// is the window's default or cancel button.
enum : int {
    kCommand1Id = 101,
    kCommand2Id,
    kLabel1Id,
    kCombo1Id,
    kLabel2Id,
    kCombo2Id,
    kCopyId = 201,
    kConfId,
    kCloseId,
    kServiceId,  // between "設定" and "閉じる" in the menu; the older items keep their ids
    kReplaceId,  // after the copy, for a selection start only
};

// Fixed size, title bar and close box only. WS_EX_CONTROLPARENT marks it for the dialog keyboard handling of
// the message loop (Tab between the controls).
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;

// The client area, and its top-left corner on the screen, in twips.
constexpr int kClientWidth = 3075;
constexpr int kClientHeight = 2040;
constexpr int kClientLeft = 5550;
constexpr int kClientTop = 2790;

// In tab order: the buttons first, so that OK holds the focus when the window opens.
constexpr DWORD kButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kLabel = WS_CHILD | WS_VISIBLE | SS_LEFT;
constexpr DWORD kCombo = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL;
// Places in twips.
constexpr ControlDesign kControls[] = {
    {kCommand1Id, L"BUTTON", kOkText, kButton, 0, 120, 1560, 1335, 375},
    {kCommand2Id, L"BUTTON", kCancelText, kButton, 0, 1560, 1560, 1335, 375},
    {kLabel1Id, L"STATIC", kBackgroundColorText, kLabel, 0, 120, 120, 2295, 255},
    {kCombo1Id, L"COMBOBOX", L"Default", kCombo, 0, 120, 360, 2895, 300},
    {kLabel2Id, L"STATIC", kTextColorText, kLabel, 0, 120, 840, 2295, 255},
    {kCombo2Id, L"COMBOBOX", L"Default", kCombo, 0, 120, 1080, 2895, 300},
};
// The two colour lists: their open list is fitted to the names (LayOut).
constexpr const ControlDesign* kColorLists[] = {&kControls[3], &kControls[5]};

std::wstring SelectedItemText(HWND combo) {
    const auto index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    const auto length = SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
    if (index == CB_ERR || length == CB_ERR) {
        return ControlText(combo);
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

// A closed drop-down combo box takes its height from its font; its edit field is grown or shrunk until the
// closed box is as high as designed. Wine reads the field's height back 2 pixels higher than it was set, so the
// result is measured rather than computed.
void FitClosedHeight(HWND combo, int height) {
    auto closedHeight = [combo] {
        RECT r{};
        GetWindowRect(combo, &r);
        return static_cast<int>(r.bottom - r.top);
    };
    auto field = static_cast<int>(SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    for (int attempt = 0; attempt < 3 && field != CB_ERR && closedHeight() != height; ++attempt) {
        field += height - closedHeight();
        if (field <= 0 || SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field) == CB_ERR) {
            return;
        }
    }
}

[[nodiscard]] bool PutTextOnClipboard(HWND owner, const std::wstring& text) {
    common::OpenClipboardScope open(OpenClipboardWithRetry(owner, 1000));
    if (!open) {
        return false;
    }
    const bool done =
        EmptyClipboard() && PutOnClipboard(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    const DWORD error = GetLastError();
    open.Close();
    SetLastError(error);
    return done;
}

}  // namespace

Form3::Form3(Form1& owner) : form1_(owner), menu_(CreatePopupMenu()) {
    AppendMenuW(menu_.get(), MF_STRING, kCopyId, kCopyMenuText);
    if (owner.CanReplaceSelection()) {
        AppendMenuW(menu_.get(), MF_STRING, kReplaceId, kReplaceMenuText);
    }
    AppendMenuW(menu_.get(), MF_STRING, kConfId, kSettingsText);
    AppendMenuW(menu_.get(), MF_STRING, kServiceId, kServiceMenuText);
    AppendMenuW(menu_.get(), MF_STRING, kCloseId, kCloseMenuText);
}

void Form3::ShowMenu(HWND popup, std::optional<POINT> place) {
    if (!hwnd()) {
        Form_Load();
    }
    POINT at{0, 0};
    if (place) {
        at = *place;
    } else {
        GetCursorPos(&at);
    }
    // The menu closes on a click elsewhere only when its owner is in the foreground.
    SetForegroundWindow(popup);
    const int item = static_cast<int>(
        TrackPopupMenu(menu_.get(), TPM_LEFTALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD, at.x, at.y, 0, popup, nullptr));
    PostMessageW(popup, WM_NULL, 0, 0);
    switch (item) {
        case kCopyId:
            copy_Click();
            break;
        case kReplaceId:
            replace_Click();
            break;
        case kConfId:
            conf_Click();
            break;
        case kServiceId:
            service_Click();
            break;
        case kCloseId:
            close_Click();
            break;
    }
}

Form3::~Form3() = default;

void Form3::copy_Click() {
    Form2* popup = form1_.Popup();
    if (!popup) {
        return;
    }
    // Whatever the text box shows now, the user's own edits included.
    if (!PutTextOnClipboard(popup->hwnd(), ControlText(popup->Text1()))) {
        ShowFailure(popup->hwnd(), kCopyFailedText, GetLastError());
    }
}

void Form3::replace_Click() {
    form1_.ReplaceSelection();
}

void Form3::conf_Click() {
    if (!hwnd()) {
        Form_Load();
    }
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
}

// Topmost, as the popup is, so that the popup does not hide it.
void Form3::service_Click() {
    if (!serviceWindow_) {
        serviceWindow_ = std::make_unique<ServiceWindow>();
    }
    if (!serviceWindow_->Show(true)) {
        ShowFailure(nullptr, kServiceWindowFailedText, GetLastError());
    }
}

void Form3::close_Click() {
    form1_.EndProgram();
}

void Form3::Form_Load() {
    // Created on the screen where it will open, so that it starts at that screen's DPI.
    const UINT screenDpi = common::DpiOf(nullptr);
    const SIZE size =
        common::WindowSizeForClient(common::TwipsToPixels(kClientWidth, screenDpi),
                                    common::TwipsToPixels(kClientHeight, screenDpi), kStyle, kExStyle, screenDpi);
    if (!Create(L"VelmoraForm3", kSettingsText, kStyle, kExStyle, common::TwipsToPixels(kClientLeft, screenDpi),
                common::TwipsToPixels(kClientTop, screenDpi), size.cx, size.cy, nullptr,
                reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1))) {
        return;
    }
    CreateControls(kControls);
    FillColorLists();
    const UINT dpi = common::DpiOf(hwnd());
    LayOut(dpi);
    PlaceAtDesign(dpi);
    SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    background_ = ColorNameField(common::ToU16(ControlText(combo1_)));
    text_ = ColorNameField(common::ToU16(ControlText(combo2_)));
    focus_ = command1_;
}

void Form3::FillColorLists() {
    for (const ControlDesign* c : kColorLists) {
        HWND list = GetDlgItem(hwnd(), c->id);
        for (const ColorName& name : kColorNames) {
            SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(common::ToWide(name.name).c_str()));
        }
        SetWindowTextW(list, c->text);
    }
    command1_ = GetDlgItem(hwnd(), kCommand1Id);
    combo1_ = GetDlgItem(hwnd(), kCombo1Id);
    combo2_ = GetDlgItem(hwnd(), kCombo2Id);
}

void Form3::LayOut(UINT dpi) {
    PlaceControls(kControls, dpi, common::TwipsToPixels);
    // A combo box's height is that of its open list; the closed box is then fitted to the designed height.
    for (const ControlDesign* c : kColorLists) {
        HWND list = GetDlgItem(hwnd(), c->id);
        const int height = common::TwipsToPixels(c->height, dpi);
        const int listHeight = static_cast<int>(kColorNames.size() + 1) *
                               static_cast<int>(SendMessageW(list, CB_GETITEMHEIGHT, 0, 0));
        MoveWindow(list, common::TwipsToPixels(c->left, dpi), common::TwipsToPixels(c->top, dpi),
                   common::TwipsToPixels(c->width, dpi), height + listHeight, TRUE);
        FitClosedHeight(list, height);
    }
}

void Form3::PlaceAtDesign(UINT dpi) {
    const SIZE size = common::WindowSizeForClient(common::TwipsToPixels(kClientWidth, dpi),
                                                  common::TwipsToPixels(kClientHeight, dpi), kStyle, kExStyle, dpi);
    SetWindowPos(hwnd(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The design gives the client area's corner; the frame around it is whatever the system draws.
    POINT corner{0, 0};
    ClientToScreen(hwnd(), &corner);
    RECT window{};
    GetWindowRect(hwnd(), &window);
    SetWindowPos(hwnd(), nullptr, window.left + common::TwipsToPixels(kClientLeft, dpi) - corner.x,
                 window.top + common::TwipsToPixels(kClientTop, dpi) - corner.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form3::Validate(HWND combo, ColorNameField& field, const std::wstring& text) {
    if (const auto restored = field.Validate(common::ToU16(text))) {
        // This raises the change once more, which then accepts the restored name.
        SetWindowTextW(combo, common::ToWide(*restored).c_str());
    }
}

void Form3::Combo1_Change() {
    Validate(combo1_, background_, ControlText(combo1_));
}

// On a selection from the list the text field still holds the old text; the new one is the item's.
void Form3::Combo1_Click() {
    Validate(combo1_, background_, SelectedItemText(combo1_));
}

void Form3::Combo2_Change() {
    Validate(combo2_, text_, ControlText(combo2_));
}

void Form3::Combo2_Click() {
    Validate(combo2_, text_, SelectedItemText(combo2_));
}

void Form3::Command1_Click() {
    const auto texts = ChooseColorTexts(common::ToU16(ControlText(combo1_)), common::ToU16(ControlText(combo2_)));
    if (!texts) {
        return;  // the validation lets no other text stand in the lists
    }
    if (!SaveColorSettings(texts->background, texts->text)) {
        // The popup keeps its colours and the window stays open, so that the user can try again or cancel.
        ShowFailure(hwnd(), kColorsNotSavedText, GetLastError());
        return;
    }
    if (Form2* popup = form1_.Popup()) {
        popup->ApplyColors(ParseColorText(texts->background).value_or(Form2::kDesignBackColor),
                           ParseColorText(texts->text).value_or(Form2::kDesignForeColor));
    }
    DestroyWindow(hwnd());
}

void Form3::Command2_Click() {
    DestroyWindow(hwnd());
}

void Form3::OnCommand(int id, int code) {
    switch (id) {
        case kCombo1Id:
            if (code == CBN_EDITCHANGE) {
                Combo1_Change();
            } else if (code == CBN_SELCHANGE) {
                Combo1_Click();
            }
            break;
        case kCombo2Id:
            if (code == CBN_EDITCHANGE) {
                Combo2_Change();
            } else if (code == CBN_SELCHANGE) {
                Combo2_Click();
            }
            break;
        case kCommand1Id:
            if (code == BN_CLICKED) {
                Command1_Click();
            }
            break;
        case kCommand2Id:
            if (code == BN_CLICKED) {
                Command2_Click();
            }
            break;
    }
}

// Enter: no button is the default one, so Enter presses the button that has the focus, as a push button does, and
// nothing else.
void Form3::Enter() {
    (void)PressFocusedButton();
}

// Escape closes the window like Cancel.
void Form3::Escape() {
    Command2_Click();
}

}  // namespace velmora
