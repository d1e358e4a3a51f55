#include "win/Form1.h"

#include "common/Dpi.h"
#include "common/Process.h"
#include "common/Text.h"
#include "core/Messages.h"
#include "win/Accounts.h"
#include "win/FileOps.h"

namespace installer {
namespace {

constexpr wchar_t kClassName[] = L"VelmoraInstallForm1";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;  // fixed single border, no minimise or maximise
constexpr int kCommandIdBase = 100;                                // Command n has the id 100 + n

// Designed in twips (1/1440 inch); frames stack at the left edge, their contents are placed relative to them.
constexpr int kClientWidth = 3060, kClientHeight = 5355;
constexpr int kFrameTops[] = {120, 1440, 2760, 4080};
constexpr RECT kFrame{0, 0, 3015, 1215};
constexpr RECT kLabel{120, 240, 120 + 2775, 240 + 375};
constexpr RECT kInstall{120, 720, 120 + 1215, 720 + 375};
constexpr RECT kUninstall{1440, 720, 1440 + 1455, 720 + 375};

HWND CreateControl(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int id) {
    return CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

void Place(HWND control, const RECT& twips, int frameTop, UINT dpi) {
    const int left = common::TwipsToPixels(twips.left, dpi);
    const int top = common::TwipsToPixels(frameTop + twips.top, dpi);
    MoveWindow(control, left, top, common::TwipsToPixels(twips.right, dpi) - left,
               common::TwipsToPixels(frameTop + twips.bottom, dpi) - top, FALSE);
}

}  // namespace

Form1::Form1() : flows_(registry_, files_, dialogs_, *this, startMenu_, common::ToU16(common::ProgramFolder())) {}

// The base class destroys a window that is still there only after this class's members are gone: the controls
// give the font back first, so that it is never deleted while one of them draws with it.
Form1::~Form1() {
    if (hwnd()) {
        SetControlsFont(nullptr);
    }
}

bool Form1::Create() {
    const UINT dpi = common::DpiOf(nullptr);
    const SIZE size = common::WindowSizeForClient(common::TwipsToPixels(kClientWidth, dpi),
                                                  common::TwipsToPixels(kClientHeight, dpi), kStyle, 0, dpi);
    if (!common::Window::Create(kClassName, L"Velmora", kStyle, 0, CW_USEDEFAULT, CW_USEDEFAULT, size.cx, size.cy,
                                nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1))) {
        return false;
    }
    // The default place may be on a monitor with another DPI than the primary one.
    if (const UINT actual = common::DpiOf(hwnd()); actual != dpi) {
        RECT r{};
        GetWindowRect(hwnd(), &r);
        Form_DpiChanged(actual, r);
    }
    dialogs_.SetOwner(hwnd());
    return true;
}

void Form1::Form_Load() {
    if (const auto warning = OtherUserWarning(ElevatedUser(), DesktopOwner())) {
        dialogs_.Show(*warning);
    }
    flows_.FormLoad();
}

void Form1::Show(int showCommand) {
    ShowWindow(hwnd(), showCommand);
}

LRESULT Form1::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE:
            Form_Create();
            return 0;
        case WM_COMMAND:
            if (HIWORD(wp) == BN_CLICKED) {
                Command_Click(LOWORD(wp));
            }
            return 0;
        case WM_ACTIVATE:
            Form_Activate(LOWORD(wp) != WA_INACTIVE);
            return 0;
        case WM_DPICHANGED:
            Form_DpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return common::Window::HandleMessage(msg, wp, lp);
    }
}

// Creation order is the tab order: in entry 1 the uninstall button comes first, in the others the install button.
void Form1::Form_Create() {
    for (int entry = 0; entry < 4; ++entry) {
        frames_[entry] = CreateControl(hwnd(), L"Button", kFrameCaptions[entry], BS_GROUPBOX, 0);
        labels_[entry] = CreateControl(hwnd(), L"Static", kLabelCaptions[entry], SS_LEFT, 0);
        const int install = 2 * entry, uninstall = 2 * entry + 1;
        for (int index : entry == 0 ? std::array{uninstall, install} : std::array{install, uninstall}) {
            commands_[index] = CreateControl(hwnd(), L"Button", index == install ? kInstallCaption : kUninstallCaption,
                                             WS_TABSTOP | BS_PUSHBUTTON, kCommandIdBase + index + 1);
        }
    }
    LayOut(common::DpiOf(hwnd()));
}

// A plain window, unlike a dialog, would take the focus itself on activation and strand the keyboard user.
void Form1::Form_Activate(bool active) {
    if (!active) {
        focused_ = GetFocus();
        return;
    }
    if (!focused_ || !IsChild(hwnd(), focused_) || !IsWindowEnabled(focused_)) {
        focused_ = GetNextDlgTabItem(hwnd(), nullptr, FALSE);
    }
    if (focused_) {
        SetFocus(focused_);
    }
}

void Form1::Form_DpiChanged(UINT dpi, const RECT& suggested) {
    LayOut(dpi);
    const SIZE size = common::WindowSizeForClient(common::TwipsToPixels(kClientWidth, dpi),
                                                  common::TwipsToPixels(kClientHeight, dpi), kStyle, 0, dpi);
    SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form1::LayOut(UINT dpi) {
    // 9-point ＭＳ Ｐゴシック, the look of Japanese forms of its time, at the window's real DPI.
    common::UniqueFont font(CreateFontW(-MulDiv(9, static_cast<int>(dpi), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                                        FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                        DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"ＭＳ Ｐゴシック"));
    for (int entry = 0; entry < 4; ++entry) {
        const int top = kFrameTops[entry];
        Place(frames_[entry], kFrame, top, dpi);
        Place(labels_[entry], kLabel, top, dpi);
        Place(commands_[2 * entry], kInstall, top, dpi);
        Place(commands_[2 * entry + 1], kUninstall, top, dpi);
    }
    SetControlsFont(font.get());
    // The old font goes only now that no control uses it any more.
    font_ = std::move(font);
    InvalidateRect(hwnd(), nullptr, TRUE);
}

void Form1::SetControlsFont(HFONT font) {
    for (HWND control :
         {frames_[0], frames_[1], frames_[2], frames_[3], labels_[0], labels_[1], labels_[2], labels_[3]}) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    for (HWND control : commands_) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
}

void Form1::Command_Click(int id) {
    switch (id - kCommandIdBase) {
        case 1:
            Command1_Click();
            break;
        case 2:
            Command2_Click();
            break;
        case 3:
            Command3_Click();
            break;
        case 4:
            Command4_Click();
            break;
        case 5:
            Command5_Click();
            break;
        case 6:
            Command6_Click();
            break;
        case 7:
            Command7_Click();
            break;
        case 8:
            Command8_Click();
            break;
        default:
            break;
    }
}

void Form1::SetEntryButtons(std::size_t entry, bool registered) {
    HWND install = commands_[2 * entry], uninstall = commands_[2 * entry + 1];
    // Keyboard focus must not stay on the button that is about to be disabled.
    HWND focused = GetFocus();
    EnableWindow(install, !registered);
    EnableWindow(uninstall, registered);
    if (focused == install && registered) {
        SetFocus(uninstall);
    } else if (focused == uninstall && !registered) {
        SetFocus(install);
    }
}

}  // namespace installer
