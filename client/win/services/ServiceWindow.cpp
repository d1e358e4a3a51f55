#include "win/services/ServiceWindow.h"

#include <algorithm>
#include <string>
#include <utility>

#include "common/Dpi.h"
#include "core/Messages.h"
#include "win/services/PasswordField.h"
#include "win/services/ServiceStore.h"
#include "win/settings/Controls.h"

namespace velmora {
namespace {

// Away from IDOK and IDCANCEL, which the dialog keys send for Enter and Escape: a click on a button always means
// that button, whichever control has the focus.
enum : int {
    kPagesOptionId = 101,
    kDeepLOptionId,
    kLibreTranslateOptionId,
    kServiceFrameId,
    kDeepLFrameId,
    kDeepLKeyLabelId,
    kDeepLKeyId,
    kRemoveDeepLKeyId,
    kDeepLKeyStatusId,
    kLibreTranslateFrameId,
    kLibreTranslateUrlLabelId,
    kLibreTranslateUrlId,
    kLibreTranslateKeyLabelId,
    kLibreTranslateKeyId,
    kRemoveLibreTranslateKeyId,
    kLibreTranslateKeyStatusId,
    kTryButtonId,
    kTrialLineId,  // the trial's one line
    kOkButtonId,
    kCancelButtonId,
};

constexpr UINT kTrialCompleteMessage = WM_APP + 4;

// Fixed size, title bar and close box. WS_EX_CONTROLPARENT gives it the dialog keys of the message loop.
// No WS_CLIPCHILDREN: a group box leaves its inside to the window's background, which would then stay unpainted.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
constexpr int kClientWidth = 376;  // 96-dpi pixels
constexpr int kClientHeight = 362;

struct ControlDesign {
    int id;
    const wchar_t* className;
    const wchar_t* text;
    DWORD style;
    DWORD exStyle;
    int left, top, width, height;  // 96-dpi pixels
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kRadio = kChild | BS_AUTORADIOBUTTON;
constexpr DWORD kFrame = kChild | BS_GROUPBOX;
constexpr DWORD kLabel = kChild | SS_LEFT | SS_NOPREFIX;
constexpr DWORD kAccessLabel = kChild | SS_LEFT;  // its access key moves to the field after it
constexpr DWORD kButton = kChild | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kEdit = kChild | WS_TABSTOP | ES_AUTOHSCROLL;
// The system keeps a password field's text from other programs; the key is only ever typed into one.
constexpr DWORD kKeyEdit = kEdit | ES_PASSWORD;

// In tab order. A radio group ends at the next control with WS_GROUP; only the chosen option is a tab stop.
constexpr ControlDesign kControls[] = {
    {kServiceFrameId, L"BUTTON", kServiceFrameText, kFrame, 0, 8, 6, 360, 88},
    {kPagesOptionId, L"BUTTON", kPagesOptionText, kRadio | WS_GROUP, 0, 20, 26, 336, 18},
    {kDeepLOptionId, L"BUTTON", kDeepLOptionText, kRadio, 0, 20, 47, 336, 18},
    {kLibreTranslateOptionId, L"BUTTON", kLibreTranslateOptionText, kRadio, 0, 20, 68, 336, 18},
    {kDeepLFrameId, L"BUTTON", kDeepLFrameText, kFrame | WS_GROUP, 0, 8, 100, 360, 74},
    {kDeepLKeyLabelId, L"STATIC", kDeepLKeyLabelText, kAccessLabel, 0, 20, 123, 124, 16},
    {kDeepLKeyId, L"EDIT", L"", kKeyEdit, WS_EX_CLIENTEDGE, 148, 120, 120, 22},
    {kRemoveDeepLKeyId, L"BUTTON", kRemoveDeepLKeyText, kButton, 0, 276, 119, 84, 24},
    {kDeepLKeyStatusId, L"STATIC", L"", kLabel, 0, 20, 150, 340, 16},
    {kLibreTranslateFrameId, L"BUTTON", kLibreTranslateFrameText, kFrame, 0, 8, 180, 360, 102},
    {kLibreTranslateUrlLabelId, L"STATIC", kLibreTranslateUrlLabelText, kAccessLabel, 0, 20, 203, 124, 16},
    {kLibreTranslateUrlId, L"EDIT", L"", kEdit, WS_EX_CLIENTEDGE, 148, 200, 212, 22},
    {kLibreTranslateKeyLabelId, L"STATIC", kLibreTranslateKeyLabelText, kAccessLabel, 0, 20, 231, 124, 16},
    {kLibreTranslateKeyId, L"EDIT", L"", kKeyEdit, WS_EX_CLIENTEDGE, 148, 228, 120, 22},
    {kRemoveLibreTranslateKeyId, L"BUTTON", kRemoveLibreTranslateKeyText, kButton, 0, 276, 227, 84, 24},
    {kLibreTranslateKeyStatusId, L"STATIC", L"", kLabel, 0, 20, 258, 340, 16},
    {kTryButtonId, L"BUTTON", kTryText, kButton, 0, 8, 292, 72, 24},
    // Read-only: the whole of a long error can still be scrolled, selected and copied from the one line.
    {kTrialLineId, L"EDIT", L"", kEdit | ES_READONLY, 0, 88, 296, 280, 18},
    {kOkButtonId, L"BUTTON", kOkText, kButton | BS_DEFPUSHBUTTON, 0, 196, 328, 80, 26},
    {kCancelButtonId, L"BUTTON", kCancelText, kButton, 0, 284, 328, 84, 26},
};

constexpr std::pair<int, ServiceKind> kOptions[] = {{kPagesOptionId, ServiceKind::Page},
                                                    {kDeepLOptionId, ServiceKind::DeepL},
                                                    {kLibreTranslateOptionId, ServiceKind::LibreTranslate}};

// A line of the window shows one line: the error texts may hold line breaks.
std::wstring OneLine(std::wstring text) {
    std::replace_if(
        text.begin(), text.end(), [](wchar_t c) { return c == L'\r' || c == L'\n'; }, L' ');
    return text;
}

}  // namespace

ServiceWindow::ServiceWindow(CredentialStore& store, TrialFunction trial, std::function<void()> closed)
    : store_(store), trial_(std::move(trial)), closed_(std::move(closed)) {}

bool ServiceWindow::Show(bool topmost) {
    if (!hwnd() && !Window_Load(topmost)) {
        return false;
    }
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
    return true;
}

bool ServiceWindow::Window_Load(bool topmost) {
    // Centred on the screen of the pointer, and created there, so that it starts at that screen's DPI.
    POINT cursor{0, 0};
    GetCursorPos(&cursor);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromPoint(cursor, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    // The window class keeps its first name: other programs and the tests find the window by it.
    if (!Create(L"VelmoraForm4", kServiceWindowTitle, kStyle, kExStyle | (topmost ? WS_EX_TOPMOST : 0), work.left,
                work.top, 0, 0, nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1))) {
        return false;
    }
    CreateControls();
    const UINT dpi = common::DpiOf(hwnd());
    LayOut(dpi);
    const SIZE size = common::WindowSizeForClient(common::ScaleFrom96(kClientWidth, dpi),
                                                  common::ScaleFrom96(kClientHeight, dpi), kStyle, kExStyle, dpi);
    SetWindowPos(hwnd(), nullptr, work.left + std::max(0L, (work.right - work.left - size.cx) / 2),
                 work.top + std::max(0L, (work.bottom - work.top - size.cy) / 2), size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);

    // Only whether a key is stored: the key itself never comes back into the window.
    deepL_ = {store_.Read(kDeepLCredential).has_value(), false, false};
    libre_ = {store_.Read(kLibreTranslateCredential).has_value(), false, false};
    const ServiceChoice choice = LoadServiceChoice();
    SetWindowTextW(GetDlgItem(hwnd(), kLibreTranslateUrlId), choice.libreTranslateUrl.c_str());
    SetChoice(choice.kind);
    ShowKeyState();
    return true;
}

void ServiceWindow::CreateControls() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const ControlDesign& c : kControls) {
        CreateWindowExW(c.exStyle, c.className, c.text, c.style, 0, 0, 0, 0, hwnd(),
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
    }
    // A server address is short; a key is far shorter than Credential Manager's limit of 1,280 characters.
    SendMessageW(GetDlgItem(hwnd(), kDeepLKeyId), EM_LIMITTEXT, 1024, 0);
    SendMessageW(GetDlgItem(hwnd(), kLibreTranslateKeyId), EM_LIMITTEXT, 1024, 0);
    SendMessageW(GetDlgItem(hwnd(), kLibreTranslateUrlId), EM_LIMITTEXT, 2048, 0);
}

void ServiceWindow::LayOut(UINT dpi) {
    // The new font goes to the controls before the old one is deleted.
    common::UniqueFont font = MakeUiFont(dpi);
    for (const ControlDesign& c : kControls) {
        HWND control = GetDlgItem(hwnd(), c.id);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
        MoveWindow(control, common::ScaleFrom96(c.left, dpi), common::ScaleFrom96(c.top, dpi),
                   common::ScaleFrom96(c.width, dpi), common::ScaleFrom96(c.height, dpi), TRUE);
    }
    font_ = std::move(font);
}

ServiceKind ServiceWindow::Choice() const {
    for (const auto& [id, kind] : kOptions) {
        if (IsDlgButtonChecked(hwnd(), id) == BST_CHECKED) {
            return kind;
        }
    }
    return ServiceKind::Page;
}

void ServiceWindow::SetChoice(ServiceKind kind) {
    for (const auto& [id, optionKind] : kOptions) {
        CheckDlgButton(hwnd(), id, optionKind == kind ? BST_CHECKED : BST_UNCHECKED);
    }
    ServiceOption_Click();
    focus_ = GetDlgItem(hwnd(), kOptions[static_cast<int>(kind)].first);
}

// Tab comes into the options on the chosen one, as in a dialog.
void ServiceWindow::ServiceOption_Click() {
    const ServiceKind chosen = Choice();
    for (const auto& [id, kind] : kOptions) {
        HWND option = GetDlgItem(hwnd(), id);
        const LONG style = GetWindowLongW(option, GWL_STYLE);
        SetWindowLongW(option, GWL_STYLE, kind == chosen ? style | WS_TABSTOP : style & ~WS_TABSTOP);
    }
}

KeyField ServiceWindow::FieldOf(int textId, const KeyField& remembered) const {
    KeyField field = remembered;
    field.typed = !ReadPasswordField(GetDlgItem(hwnd(), textId)).Empty();
    return field;
}

std::optional<SecretText> ServiceWindow::KeyFor(int textId, const KeyField& field, const wchar_t* target) {
    if (field.typed) {
        return ReadPasswordField(GetDlgItem(hwnd(), textId));
    }
    return field.stored && !field.removing ? store_.Read(target) : std::nullopt;
}

void ServiceWindow::ShowKeyState() {
    const KeyField deepL = FieldOf(kDeepLKeyId, deepL_);
    const KeyField libre = FieldOf(kLibreTranslateKeyId, libre_);
    SetWindowTextW(GetDlgItem(hwnd(), kDeepLKeyStatusId), std::wstring(KeyStatusText(deepL)).c_str());
    SetWindowTextW(GetDlgItem(hwnd(), kLibreTranslateKeyStatusId), std::wstring(KeyStatusText(libre)).c_str());
    // The button does something only while there is a key to take back: typed, or stored and not yet removed.
    EnableWindow(GetDlgItem(hwnd(), kRemoveDeepLKeyId), HasKeyAfterSave(deepL));
    EnableWindow(GetDlgItem(hwnd(), kRemoveLibreTranslateKeyId), HasKeyAfterSave(libre));
}

void ServiceWindow::DeepLKey_Change() {
    ShowKeyState();
}

void ServiceWindow::LibreTranslateKey_Change() {
    ShowKeyState();
}

// "キーを削除": the typed key goes, and the stored one is removed on OK. The button then has nothing left to do and
// is disabled, so the focus goes to the field, ready for another key.
void ServiceWindow::RemoveKey(int textId, KeyField& field) {
    field.removing = field.stored;
    HWND edit = GetDlgItem(hwnd(), textId);
    SetWindowTextW(edit, L"");
    MoveFocus(hwnd(), reinterpret_cast<WPARAM>(edit), TRUE);
    ShowKeyState();
}

void ServiceWindow::RemoveDeepLKey_Click() {
    RemoveKey(kDeepLKeyId, deepL_);
}

void ServiceWindow::RemoveLibreTranslateKey_Click() {
    RemoveKey(kLibreTranslateKeyId, libre_);
}

void ServiceWindow::TryButton_Click() {
    HWND line = GetDlgItem(hwnd(), kTrialLineId);
    const ServiceKind kind = Choice();
    if (kind == ServiceKind::Page) {
        SetWindowTextW(line, kPagesNotTriedText);
        return;
    }
    const KeyField deepL = FieldOf(kDeepLKeyId, deepL_);
    const std::wstring url(TrimBlanks(ControlText(GetDlgItem(hwnd(), kLibreTranslateUrlId))));
    if (const auto problem = CheckServiceForm(kind, url, HasKeyAfterSave(deepL))) {
        SetWindowTextW(line, std::wstring(problem->text).c_str());
        return;
    }
    ServiceTrial trial{kind, url, std::nullopt};
    trial.key = kind == ServiceKind::DeepL
                    ? KeyFor(kDeepLKeyId, deepL, kDeepLCredential)
                    : KeyFor(kLibreTranslateKeyId, FieldOf(kLibreTranslateKeyId, libre_), kLibreTranslateCredential);
    auto mailbox = std::make_shared<Mailbox<TrialOutcome>>();
    if (!StartTrial(trial_, std::move(trial), mailbox, hwnd(), kTrialCompleteMessage)) {
        SetWindowTextW(line, kTrialNotStartedText);
        return;
    }
    trialOutcome_ = std::move(mailbox);
    SetWindowTextW(line, kTrialRunningText);
    // One trial at a time; the button comes back with its outcome.
    if (GetFocus() == GetDlgItem(hwnd(), kTryButtonId)) {
        MoveFocus(hwnd(), reinterpret_cast<WPARAM>(line), TRUE);
    }
    EnableWindow(GetDlgItem(hwnd(), kTryButtonId), FALSE);
}

void ServiceWindow::Trial_Complete() {
    // Only our own worker leaves an outcome; the same message from anywhere else finds none.
    const std::optional<TrialOutcome> outcome = trialOutcome_ ? trialOutcome_->Take() : std::nullopt;
    if (!outcome) {
        return;
    }
    trialOutcome_.reset();
    EnableWindow(GetDlgItem(hwnd(), kTryButtonId), TRUE);
    const std::wstring text = outcome->ok ? kTrialAnswerPrefix + outcome->text : outcome->text;
    SetWindowTextW(GetDlgItem(hwnd(), kTrialLineId), OneLine(text).c_str());
}

void ServiceWindow::ShowProblem(const FormProblem& problem) {
    MessageBoxW(hwnd(), std::wstring(problem.text).c_str(), L"Velmora", MB_OK | MB_ICONEXCLAMATION);
    HWND field = GetDlgItem(hwnd(), problem.field == FormField::Url ? kLibreTranslateUrlId : kDeepLKeyId);
    MoveFocus(hwnd(), reinterpret_cast<WPARAM>(field), TRUE);
}

bool ServiceWindow::ApplyKey(int textId, const KeyField& field, const wchar_t* target) {
    switch (ChooseKeyAction(field)) {
        case KeyAction::Replace:
            return store_.Write(target, ReadPasswordField(GetDlgItem(hwnd(), textId)));
        case KeyAction::Remove:
            return store_.Remove(target);
        case KeyAction::Keep:
            break;
    }
    return true;
}

// Checks first, then the keys, then the choice: a service is never chosen before its key is in place.
void ServiceWindow::OkButton_Click() {
    const ServiceKind kind = Choice();
    const std::wstring url(TrimBlanks(ControlText(GetDlgItem(hwnd(), kLibreTranslateUrlId))));
    const KeyField deepL = FieldOf(kDeepLKeyId, deepL_);
    const KeyField libre = FieldOf(kLibreTranslateKeyId, libre_);
    if (const auto problem = CheckServiceForm(kind, url, HasKeyAfterSave(deepL))) {
        ShowProblem(*problem);
        return;
    }
    if (!ApplyKey(kDeepLKeyId, deepL, kDeepLCredential) ||
        !ApplyKey(kLibreTranslateKeyId, libre, kLibreTranslateCredential)) {
        ShowFailure(hwnd(), kKeyNotSavedText, GetLastError());
        return;
    }
    if (!SaveServiceChoice({kind, url})) {
        ShowFailure(hwnd(), kChoiceNotSavedText, GetLastError());
        return;
    }
    DestroyWindow(hwnd());
}

void ServiceWindow::CancelButton_Click() {
    DestroyWindow(hwnd());
}

void ServiceWindow::Window_Unload() {
    WipePasswordField(GetDlgItem(hwnd(), kDeepLKeyId));
    WipePasswordField(GetDlgItem(hwnd(), kLibreTranslateKeyId));
    trialOutcome_.reset();
    if (closed_) {
        closed_();
    }
}

void ServiceWindow::OnCommand(int id, int code) {
    switch (id) {
        case kPagesOptionId:
        case kDeepLOptionId:
        case kLibreTranslateOptionId:
            if (code == BN_CLICKED) {
                ServiceOption_Click();
            }
            break;
        case kDeepLKeyId:
            if (code == EN_CHANGE) {
                DeepLKey_Change();
            }
            break;
        case kLibreTranslateKeyId:
            if (code == EN_CHANGE) {
                LibreTranslateKey_Change();
            }
            break;
        case kRemoveDeepLKeyId:
            RemoveDeepLKey_Click();
            break;
        case kRemoveLibreTranslateKeyId:
            RemoveLibreTranslateKey_Click();
            break;
        case kTryButtonId:
            TryButton_Click();
            break;
        case kOkButtonId:
            OkButton_Click();
            break;
        case kCancelButtonId:
            CancelButton_Click();
            break;
        case IDOK:
            // Enter: on a button it presses that button, as in a dialog; anywhere else it is OK.
            if (HWND focus = GetFocus();
                focus && IsChild(hwnd(), focus) && (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON)) {
                SendMessageW(focus, BM_CLICK, 0, 0);
            } else {
                OkButton_Click();
            }
            break;
        case IDCANCEL:
            CancelButton_Click();
            break;
    }
}

LRESULT ServiceWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND:
            OnCommand(LOWORD(wp), HIWORD(wp));
            return 0;
        case WM_ACTIVATE:
            KeepFocus(hwnd(), LOWORD(wp) != WA_INACTIVE, focus_);
            return 0;
        case WM_NEXTDLGCTL:
            MoveFocus(hwnd(), wp, lp);
            return 0;
        case kTrialCompleteMessage:
            Trial_Complete();
            return 0;
        case WM_CLOSE:
            CancelButton_Click();
            return 0;
        case WM_DESTROY:
            Window_Unload();
            return 0;
        case WM_DPICHANGED: {
            const RECT* suggested = reinterpret_cast<const RECT*>(lp);
            LayOut(HIWORD(wp));
            SetWindowPos(hwnd(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                         suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
    }
    return common::Window::HandleMessage(msg, wp, lp);
}

}  // namespace velmora
