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
    kChatOptionId,
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
    kChatFrameId,
    kChatUrlLabelId,
    kChatUrlId,
    kChatModelLabelId,
    kChatModelId,
    kChatKeyLabelId,
    kChatKeyId,
    kRemoveChatKeyId,
    kChatKeyStatusId,
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
constexpr int kClientHeight = 519;

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
    {kServiceFrameId, L"BUTTON", kServiceFrameText, kFrame, 0, 8, 6, 360, 109},
    {kPagesOptionId, L"BUTTON", kPagesOptionText, kRadio | WS_GROUP, 0, 20, 26, 336, 18},
    {kDeepLOptionId, L"BUTTON", kDeepLOptionText, kRadio, 0, 20, 47, 336, 18},
    {kLibreTranslateOptionId, L"BUTTON", kLibreTranslateOptionText, kRadio, 0, 20, 68, 336, 18},
    {kChatOptionId, L"BUTTON", kChatOptionText, kRadio, 0, 20, 89, 336, 18},
    {kDeepLFrameId, L"BUTTON", kDeepLFrameText, kFrame | WS_GROUP, 0, 8, 121, 360, 74},
    {kDeepLKeyLabelId, L"STATIC", kDeepLKeyLabelText, kAccessLabel, 0, 20, 144, 124, 16},
    {kDeepLKeyId, L"EDIT", L"", kKeyEdit, WS_EX_CLIENTEDGE, 148, 141, 120, 22},
    {kRemoveDeepLKeyId, L"BUTTON", kRemoveDeepLKeyText, kButton, 0, 276, 140, 84, 24},
    {kDeepLKeyStatusId, L"STATIC", L"", kLabel, 0, 20, 171, 340, 16},
    {kLibreTranslateFrameId, L"BUTTON", kLibreTranslateFrameText, kFrame, 0, 8, 201, 360, 102},
    {kLibreTranslateUrlLabelId, L"STATIC", kLibreTranslateUrlLabelText, kAccessLabel, 0, 20, 224, 124, 16},
    {kLibreTranslateUrlId, L"EDIT", L"", kEdit, WS_EX_CLIENTEDGE, 148, 221, 212, 22},
    {kLibreTranslateKeyLabelId, L"STATIC", kLibreTranslateKeyLabelText, kAccessLabel, 0, 20, 252, 124, 16},
    {kLibreTranslateKeyId, L"EDIT", L"", kKeyEdit, WS_EX_CLIENTEDGE, 148, 249, 120, 22},
    {kRemoveLibreTranslateKeyId, L"BUTTON", kRemoveLibreTranslateKeyText, kButton, 0, 276, 248, 84, 24},
    {kLibreTranslateKeyStatusId, L"STATIC", L"", kLabel, 0, 20, 279, 340, 16},
    {kChatFrameId, L"BUTTON", kChatFrameText, kFrame, 0, 8, 309, 360, 130},
    {kChatUrlLabelId, L"STATIC", kChatUrlLabelText, kAccessLabel, 0, 20, 332, 124, 16},
    {kChatUrlId, L"EDIT", L"", kEdit, WS_EX_CLIENTEDGE, 148, 329, 212, 22},
    {kChatModelLabelId, L"STATIC", kChatModelLabelText, kAccessLabel, 0, 20, 360, 124, 16},
    {kChatModelId, L"EDIT", L"", kEdit, WS_EX_CLIENTEDGE, 148, 357, 212, 22},
    {kChatKeyLabelId, L"STATIC", kChatKeyLabelText, kAccessLabel, 0, 20, 388, 124, 16},
    {kChatKeyId, L"EDIT", L"", kKeyEdit, WS_EX_CLIENTEDGE, 148, 385, 120, 22},
    {kRemoveChatKeyId, L"BUTTON", kRemoveChatKeyText, kButton, 0, 276, 384, 84, 24},
    {kChatKeyStatusId, L"STATIC", L"", kLabel, 0, 20, 415, 340, 16},
    {kTryButtonId, L"BUTTON", kTryText, kButton, 0, 8, 449, 72, 24},
    // Read-only: the whole of a long error can still be scrolled, selected and copied from the one line.
    {kTrialLineId, L"EDIT", L"", kEdit | ES_READONLY, 0, 88, 453, 280, 18},
    {kOkButtonId, L"BUTTON", kOkText, kButton | BS_DEFPUSHBUTTON, 0, 196, 485, 80, 26},
    {kCancelButtonId, L"BUTTON", kCancelText, kButton, 0, 284, 485, 84, 26},
};

constexpr std::pair<int, ServiceKind> kOptions[] = {{kPagesOptionId, ServiceKind::Page},
                                                    {kDeepLOptionId, ServiceKind::DeepL},
                                                    {kLibreTranslateOptionId, ServiceKind::LibreTranslate},
                                                    {kChatOptionId, ServiceKind::Chat}};

// The three keys: each its field, its Credential Manager entry, the frame's name for reports, and the field that
// names the server it goes to (none for DeepL, whose hosts are fixed).
struct KeyDesign {
    int textId;
    const wchar_t* target;
    const wchar_t* service;
    int urlId;
    FormField field;
};
// In the order of ServiceWindow::keys_.
constexpr KeyDesign kKeys[] = {
    {kDeepLKeyId, kDeepLCredential, kDeepLName, 0, FormField::DeepLKey},
    {kLibreTranslateKeyId, kLibreTranslateCredential, kLibreTranslateFrameText, kLibreTranslateUrlId,
     FormField::LibreTranslateKey},
    {kChatKeyId, kChatCredential, kChatFrameText, kChatUrlId, FormField::ChatKey},
};
constexpr size_t kDeepL = 0, kLibreTranslate = 1, kChat = 2;

// The status line under each key field.
constexpr int kKeyStatusIds[] = {kDeepLKeyStatusId, kLibreTranslateKeyStatusId, kChatKeyStatusId};
constexpr int kRemoveKeyIds[] = {kRemoveDeepLKeyId, kRemoveLibreTranslateKeyId, kRemoveChatKeyId};

constexpr std::pair<FormField, int> kFieldControls[] = {
    {FormField::DeepLKey, kDeepLKeyId},
    {FormField::Url, kLibreTranslateUrlId},
    {FormField::LibreTranslateKey, kLibreTranslateKeyId},
    {FormField::ChatUrl, kChatUrlId},
    {FormField::ChatModel, kChatModelId},
    {FormField::ChatKey, kChatKeyId},
};

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

    // Only whether a key is stored: the key itself never comes back into the window. A key saved before its server
    // was recorded with it was saved together with the URL stored now.
    const ServiceChoice choice = LoadServiceChoice();
    const std::wstring storedUrls[] = {L"", choice.libreTranslateUrl, choice.chatUrl};
    for (size_t i = 0; i < std::size(kKeys); ++i) {
        keys_[i] = {store_.Read(kKeys[i].target).has_value(), false, false};
        savedFor_[i] = store_.Origin(kKeys[i].target);
        if (savedFor_[i].empty() && IsValidServiceUrl(storedUrls[i])) {
            savedFor_[i] = UrlOrigin(storedUrls[i]);
        }
    }
    SetWindowTextW(GetDlgItem(hwnd(), kLibreTranslateUrlId), choice.libreTranslateUrl.c_str());
    SetWindowTextW(GetDlgItem(hwnd(), kChatUrlId), choice.chatUrl.c_str());
    SetWindowTextW(GetDlgItem(hwnd(), kChatModelId), choice.chatModel.c_str());
    stored_ = choice;
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
    for (const KeyDesign& key : kKeys) {
        SendMessageW(GetDlgItem(hwnd(), key.textId), EM_LIMITTEXT, 1024, 0);
    }
    SendMessageW(GetDlgItem(hwnd(), kLibreTranslateUrlId), EM_LIMITTEXT, 2048, 0);
    SendMessageW(GetDlgItem(hwnd(), kChatUrlId), EM_LIMITTEXT, 2048, 0);
    SendMessageW(GetDlgItem(hwnd(), kChatModelId), EM_LIMITTEXT, 256, 0);
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
    // A stored service without an option here stays chosen: OK must not switch it to another.
    return stored_.kind;
}

void ServiceWindow::SetChoice(ServiceKind kind) {
    for (const auto& [id, optionKind] : kOptions) {
        CheckDlgButton(hwnd(), id, optionKind == kind ? BST_CHECKED : BST_UNCHECKED);
    }
    ServiceOption_Click();
    focus_ = GetDlgItem(hwnd(), kOptions[0].first);
    for (const auto& [id, optionKind] : kOptions) {
        focus_ = optionKind == kind ? GetDlgItem(hwnd(), id) : focus_;
    }
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

KeyField ServiceWindow::FieldOf(size_t key) const {
    KeyField field = keys_[key];
    field.typed = !ReadPasswordField(GetDlgItem(hwnd(), kKeys[key].textId)).Empty();
    return field;
}

std::optional<SecretText> ServiceWindow::KeyFor(size_t key) {
    const KeyField field = FieldOf(key);
    if (field.typed) {
        return ReadPasswordField(GetDlgItem(hwnd(), kKeys[key].textId));
    }
    return field.stored && !field.removing ? store_.Read(kKeys[key].target) : std::nullopt;
}

std::wstring ServiceWindow::TextOf(int id) const {
    return std::wstring(TrimBlanks(ControlText(GetDlgItem(hwnd(), id))));
}

void ServiceWindow::ShowKeyState() {
    for (size_t i = 0; i < std::size(kKeys); ++i) {
        const KeyField field = FieldOf(i);
        SetWindowTextW(GetDlgItem(hwnd(), kKeyStatusIds[i]), std::wstring(KeyStatusText(field)).c_str());
        // The button does something only while there is a key to take back: typed, or stored and not yet removed.
        EnableWindow(GetDlgItem(hwnd(), kRemoveKeyIds[i]), HasKeyAfterSave(field));
    }
}

void ServiceWindow::Key_Change() {
    ShowKeyState();
}

// "キーを削除": the typed key goes, and the stored one is removed on OK. The button then has nothing left to do and
// is disabled, so the focus goes to the field, ready for another key.
void ServiceWindow::RemoveKey_Click(size_t key) {
    keys_[key].removing = keys_[key].stored;
    HWND edit = GetDlgItem(hwnd(), kKeys[key].textId);
    SetWindowTextW(edit, L"");
    MoveFocus(hwnd(), reinterpret_cast<WPARAM>(edit), TRUE);
    ShowKeyState();
}

std::optional<FormProblem> ServiceWindow::CheckForm(ServiceKind kind, bool allKeys) const {
    const std::wstring url = TextOf(kLibreTranslateUrlId), chatUrl = TextOf(kChatUrlId), model = TextOf(kChatModelId);
    if (auto problem = CheckServiceForm({kind, url, chatUrl, model, HasKeyAfterSave(FieldOf(kDeepL))})) {
        return problem;
    }
    // Each key that will be kept (OK) or sent (試す): characters an API can take, and a server it may go to.
    const std::wstring urls[] = {L"", url, chatUrl};
    for (size_t i = 0; i < std::size(kKeys); ++i) {
        const bool used = kind == (i == kDeepL            ? ServiceKind::DeepL
                                   : i == kLibreTranslate ? ServiceKind::LibreTranslate
                                                          : ServiceKind::Chat);
        const KeyField field = FieldOf(i);
        if ((!allKeys && !used) || !HasKeyAfterSave(field)) {
            continue;
        }
        if (field.typed && !IsUsableKey(ReadPasswordField(GetDlgItem(hwnd(), kKeys[i].textId)).Get())) {
            return FormProblem{kKeys[i].field, kUnusableKeyText};
        }
        if (kKeys[i].urlId && !urls[i].empty()) {
            if (auto problem = KeyDestinationProblem(urls[i], field.typed ? L"" : savedFor_[i])) {
                return FormProblem{kKeys[i].field, *problem};
            }
        }
    }
    return std::nullopt;
}

void ServiceWindow::TryButton_Click() {
    HWND line = GetDlgItem(hwnd(), kTrialLineId);
    const ServiceKind kind = Choice();
    if (kind == ServiceKind::Page) {
        SetWindowTextW(line, kPagesNotTriedText);
        return;
    }
    if (const auto problem = CheckForm(kind, false)) {
        SetWindowTextW(line, std::wstring(problem->text).c_str());
        return;
    }
    const size_t key = kind == ServiceKind::DeepL            ? kDeepL
                       : kind == ServiceKind::LibreTranslate ? kLibreTranslate
                                                             : kChat;
    ServiceTrial trial{kind, TextOf(kind == ServiceKind::Chat ? kChatUrlId : kLibreTranslateUrlId), KeyFor(key)};
    trial.keyOrigin = FieldOf(key).typed ? std::wstring() : savedFor_[key];
    trial.model = TextOf(kChatModelId);
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
    for (const auto& [field, id] : kFieldControls) {
        if (field == problem.field) {
            MoveFocus(hwnd(), reinterpret_cast<WPARAM>(GetDlgItem(hwnd(), id)), TRUE);
        }
    }
}

// Checks first, then the new keys, then the choice, then the removals: a service is never chosen before its key
// is in place, and a key is never gone while the choice that needs it is still unsaved. Each report names exactly
// what was not saved; the window stays open to try again.
void ServiceWindow::OkButton_Click() {
    const ServiceKind kind = Choice();
    if (const auto problem = CheckForm(kind, true)) {
        ShowProblem(*problem);
        return;
    }
    const std::wstring url = TextOf(kLibreTranslateUrlId), chatUrl = TextOf(kChatUrlId);
    auto originOf = [](const std::wstring& address) { return IsValidServiceUrl(address) ? UrlOrigin(address) : L""; };
    const std::wstring origins[] = {L"", originOf(url), originOf(chatUrl)};
    std::wstring failed;
    DWORD error = ERROR_SUCCESS;
    for (size_t i = 0; i < std::size(kKeys); ++i) {
        const KeyField field = FieldOf(i);
        if (ChooseKeyAction(field) == KeyAction::Keep && field.stored && !origins[i].empty() &&
            store_.Origin(kKeys[i].target).empty()) {
            // A key kept from before servers were recorded (or added in the Control Panel) is bound now to the
            // server it has just been checked for. Should that fail it stays as it was, usable as before.
            if (std::optional<SecretText> kept = store_.Read(kKeys[i].target)) {
                (void)store_.Write(kKeys[i].target, *kept, origins[i]);
            }
        }
        if (ChooseKeyAction(field) != KeyAction::Replace) {
            continue;
        }
        if (store_.Write(kKeys[i].target, ReadPasswordField(GetDlgItem(hwnd(), kKeys[i].textId)), origins[i])) {
            keys_[i] = {true, false, false};
            savedFor_[i] = origins[i];
            SetWindowTextW(GetDlgItem(hwnd(), kKeys[i].textId), L"");
        } else {
            error = GetLastError();
            failed += (failed.empty() ? L"" : L"\n") + KeyNotSavedText(kKeys[i].service);
        }
    }
    if (!failed.empty()) {
        ShowKeyState();
        ShowFailure(hwnd(), failed.c_str(), error);
        return;
    }
    ServiceChoice saved{kind, url, chatUrl, TextOf(kChatModelId)};
    saved.azureRegion = stored_.azureRegion;  // no field of this window changes it
    if (!SaveServiceChoice(saved)) {
        ShowFailure(hwnd(), kChoiceNotSavedText, GetLastError());
        return;
    }
    for (size_t i = 0; i < std::size(kKeys); ++i) {
        if (ChooseKeyAction(FieldOf(i)) != KeyAction::Remove) {
            continue;
        }
        if (store_.Remove(kKeys[i].target)) {
            keys_[i] = {};
        } else {
            error = GetLastError();
            failed += (failed.empty() ? L"" : L"\n") + KeyNotRemovedText(kKeys[i].service);
        }
    }
    if (!failed.empty()) {
        ShowKeyState();
        ShowFailure(hwnd(), failed.c_str(), error);
        return;
    }
    DestroyWindow(hwnd());
}

void ServiceWindow::CancelButton_Click() {
    DestroyWindow(hwnd());
}

void ServiceWindow::Window_Unload() {
    for (const KeyDesign& key : kKeys) {
        WipePasswordField(GetDlgItem(hwnd(), key.textId));
    }
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
        case kChatOptionId:
            if (code == BN_CLICKED) {
                ServiceOption_Click();
            }
            break;
        case kDeepLKeyId:
        case kLibreTranslateKeyId:
        case kChatKeyId:
            if (code == EN_CHANGE) {
                Key_Change();
            }
            break;
        case kRemoveDeepLKeyId:
            RemoveKey_Click(kDeepL);
            break;
        case kRemoveLibreTranslateKeyId:
            RemoveKey_Click(kLibreTranslate);
            break;
        case kRemoveChatKeyId:
            RemoveKey_Click(kChat);
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
