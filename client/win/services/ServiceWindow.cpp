#include "win/services/ServiceWindow.h"

#include <algorithm>
#include <string>
#include <utility>

#include "common/Dpi.h"
#include "core/Messages.h"
#include "win/Failure.h"
#include "win/WindowMessages.h"
#include "win/services/PasswordField.h"
#include "win/services/ServiceStore.h"
#include "win/settings/Controls.h"

namespace velmora {
namespace {

// Away from IDOK and IDCANCEL, which the dialog keys send for Enter and Escape: a click on a button always means
// that button, whichever control has the focus.
enum : int {
    kServiceFrameId = 90,
    kTryButtonId,
    kTrialLineId,  // the trial's one line
    kOkButtonId,
    kCancelButtonId,
};
// Each row of the table of services has its controls' identifiers from kRowIdBase + row * kRowIds on.
constexpr int kRowIdBase = 100, kRowIds = 16;
enum Part : int {
    kOption, kFrame, kUrlLabel, kUrl, kModelLabel, kModel, kKeyLabel, kKey, kRemoveKey, kKeyStatus, kRegionLabel, kRegion
};
constexpr int IdOf(size_t row, Part part) {
    return kRowIdBase + static_cast<int>(row) * kRowIds + part;
}

using service_window::kTrialCompleteMessage;

// Fixed size, title bar and close box. WS_EX_CONTROLPARENT gives it the dialog keys of the message loop.
// No WS_CLIPCHILDREN: a group box leaves its inside to the window's background, which would then stay unpainted.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
constexpr int kClientWidth = 376;  // 96-dpi pixels

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kRadio = kChild | BS_AUTORADIOBUTTON;
constexpr DWORD kFrameStyle = kChild | BS_GROUPBOX;
constexpr DWORD kLabel = kChild | SS_LEFT | SS_NOPREFIX;
constexpr DWORD kAccessLabel = kChild | SS_LEFT;  // its access key moves to the field after it
constexpr DWORD kButton = kChild | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kEdit = kChild | WS_TABSTOP | ES_AUTOHSCROLL;
// The system keeps a password field's text from other programs; the key is only ever typed into one.
constexpr DWORD kKeyEdit = kEdit | ES_PASSWORD;

// A server address is short; a key is far shorter than Credential Manager's limit of 1,280 characters.
constexpr int kUrlLimit = 2048, kModelLimit = 256, kKeyLimit = 1024;

// The window's controls in tab order, laid out from the table: the options in a frame, then a frame for each service
// with fields, its lines kLinePitch apart (a text field, or a key with its removal button and status line), then the
// trial and the buttons. A radio group ends at the next control with WS_GROUP; only the chosen option is a tab stop.
// Close enough that the window with every service fits a 1024-pixel screen at 150 % (144 dpi).
constexpr int kOptionPitch = 19, kLinePitch = 26, kFrameGap = 2;

struct Design {
    std::vector<ControlDesign> controls;
    int clientHeight = 0;
};

void AddFrame(std::vector<ControlDesign>& out, size_t index, const ServiceRow& row, int& top, bool first) {
    const int frameAt = top;
    const size_t frame = out.size();
    out.push_back({IdOf(index, kFrame), L"BUTTON", row.frame, kFrameStyle | (first ? WS_GROUP : 0), 0, 8, top, 360, 0});
    int line = top + 23;
    auto textLine = [&](Part label, Part edit, const wchar_t* text, int limit) {
        out.push_back({IdOf(index, label), L"STATIC", text, kAccessLabel, 0, 20, line, 124, 16});
        out.push_back({IdOf(index, edit), L"EDIT", L"", kEdit, WS_EX_CLIENTEDGE, 148, line - 3, 212, 22, limit});
        line += kLinePitch;
    };
    if (row.url) {
        textLine(kUrlLabel, kUrl, row.urlLabel, kUrlLimit);
    }
    if (row.model) {
        textLine(kModelLabel, kModel, row.modelLabel, kModelLimit);
    }
    if (row.region) {
        textLine(kRegionLabel, kRegion, row.regionLabel, kModelLimit);
    }
    int bottom = line - kLinePitch + 22;
    if (row.credential) {
        out.push_back({IdOf(index, kKeyLabel), L"STATIC", row.keyLabel, kAccessLabel, 0, 20, line, 124, 16});
        out.push_back({IdOf(index, kKey), L"EDIT", L"", kKeyEdit, WS_EX_CLIENTEDGE, 148, line - 3, 120, 22, kKeyLimit});
        out.push_back({IdOf(index, kRemoveKey), L"BUTTON", row.removeKeyText, kButton, 0, 276, line - 4, 84, 24});
        out.push_back({IdOf(index, kKeyStatus), L"STATIC", L"", kLabel, 0, 20, line + 27, 340, 16});
        bottom = line + 27 + 16;
    }
    out[frame].height = bottom + 8 - frameAt;
    top = bottom + 8 + kFrameGap;
}

Design MakeDesign() {
    Design design;
    auto& out = design.controls;
    const auto services = AllServices();
    const int optionsHeight = 20 + kOptionPitch * static_cast<int>(services.size()) + 5;
    out.push_back({kServiceFrameId, L"BUTTON", kServiceFrameText, kFrameStyle, 0, 8, 6, 360, optionsHeight});
    for (size_t i = 0; i < services.size(); ++i) {
        out.push_back({IdOf(i, kOption), L"BUTTON", services[i].option, kRadio | (i == 0 ? WS_GROUP : 0), 0, 20,
                       26 + kOptionPitch * static_cast<int>(i), 336, 18});
    }
    int top = 6 + optionsHeight + kFrameGap;
    bool first = true;
    for (size_t i = 0; i < services.size(); ++i) {
        if (services[i].frame) {
            AddFrame(out, i, services[i], top, std::exchange(first, false));
        }
    }
    const int trial = top + 4;
    out.push_back({kTryButtonId, L"BUTTON", kTryText, kButton, 0, 8, trial, 72, 24});
    // Read-only: the whole of a long error can still be scrolled, selected and copied from the one line.
    out.push_back({kTrialLineId, L"EDIT", L"", kEdit | ES_READONLY, 0, 88, trial + 4, 280, 18});
    out.push_back({kOkButtonId, L"BUTTON", kOkText, kButton | BS_DEFPUSHBUTTON, 0, 196, trial + 36, 80, 26});
    out.push_back({kCancelButtonId, L"BUTTON", kCancelText, kButton, 0, 284, trial + 36, 84, 26});
    design.clientHeight = trial + 36 + 26 + 8;
    return design;
}

const Design& WindowDesign() {
    static const Design design = MakeDesign();
    return design;
}

// The control of a field that a refusal names.
int ControlOf(const FormProblem& problem) {
    return IdOf(IndexOf(problem.service), problem.field == Field::Url      ? kUrl
                                          : problem.field == Field::Model  ? kModel
                                          : problem.field == Field::Region ? kRegion
                                                                           : kKey);
}

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
    CreateControls(WindowDesign().controls);
    const UINT dpi = common::DpiOf(hwnd());
    LayOut(dpi);
    const SIZE size = common::WindowSizeForClient(common::ScaleFrom96(kClientWidth, dpi),
                                                  common::ScaleFrom96(WindowDesign().clientHeight, dpi), kStyle,
                                                  kExStyle, dpi);
    SetWindowPos(hwnd(), nullptr, work.left + std::max(0L, (work.right - work.left - size.cx) / 2),
                 work.top + std::max(0L, (work.bottom - work.top - size.cy) / 2), size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    LoadValues();
    return true;
}

// Only whether a key is stored: the key itself never comes back into the window. A key saved before its server was
// recorded with it was saved together with the URL stored now.
void ServiceWindow::LoadValues() {
    const ServiceChoice choice = LoadServiceChoice();
    const auto services = AllServices();
    keys_.assign(services.size(), {});
    savedFor_.assign(services.size(), {});
    for (size_t i = 0; i < services.size(); ++i) {
        const ServiceRow& row = services[i];
        if (row.url) {
            SetWindowTextW(GetDlgItem(hwnd(), IdOf(i, kUrl)), (choice.*row.url).c_str());
        }
        if (row.model) {
            SetWindowTextW(GetDlgItem(hwnd(), IdOf(i, kModel)), (choice.*row.model).c_str());
        }
        if (row.region) {
            SetWindowTextW(GetDlgItem(hwnd(), IdOf(i, kRegion)), (choice.*row.region).c_str());
        }
        if (!row.credential) {
            continue;
        }
        keys_[i] = {store_.Read(row.credential).has_value(), false, false};
        savedFor_[i] = store_.Origin(row.credential);
        if (savedFor_[i].empty() && row.url && IsValidServiceUrl(choice.*row.url)) {
            savedFor_[i] = UrlOrigin(choice.*row.url);
        }
    }
    SetChoice(choice.kind);
    ShowKeyState();
}

void ServiceWindow::LayOut(UINT dpi) {
    PlaceControls(WindowDesign().controls, dpi, common::ScaleFrom96);
}

ServiceKind ServiceWindow::Choice() const {
    const auto services = AllServices();
    for (size_t i = 0; i < services.size(); ++i) {
        if (IsDlgButtonChecked(hwnd(), IdOf(i, kOption)) == BST_CHECKED) {
            return services[i].kind;
        }
    }
    return ServiceKind::Page;
}

void ServiceWindow::SetChoice(ServiceKind kind) {
    const auto services = AllServices();
    for (size_t i = 0; i < services.size(); ++i) {
        CheckDlgButton(hwnd(), IdOf(i, kOption), services[i].kind == kind ? BST_CHECKED : BST_UNCHECKED);
        if (services[i].kind == kind) {
            focus_ = GetDlgItem(hwnd(), IdOf(i, kOption));
        }
    }
    ServiceOption_Click();
}

// Tab comes into the options on the chosen one, as in a dialog.
void ServiceWindow::ServiceOption_Click() {
    for (size_t i = 0; i < AllServices().size(); ++i) {
        HWND option = GetDlgItem(hwnd(), IdOf(i, kOption));
        const LONG style = GetWindowLongW(option, GWL_STYLE);
        const bool chosen = IsDlgButtonChecked(hwnd(), IdOf(i, kOption)) == BST_CHECKED;
        SetWindowLongW(option, GWL_STYLE, chosen ? style | WS_TABSTOP : style & ~WS_TABSTOP);
    }
}

KeyField ServiceWindow::FieldOf(size_t row) const {
    KeyField field = keys_[row];
    field.typed = !ReadPasswordField(GetDlgItem(hwnd(), IdOf(row, kKey))).Empty();
    return field;
}

std::optional<SecretText> ServiceWindow::KeyFor(size_t row) {
    const KeyField field = FieldOf(row);
    if (field.typed) {
        return ReadPasswordField(GetDlgItem(hwnd(), IdOf(row, kKey)));
    }
    return field.stored && !field.removing ? store_.Read(AllServices()[row].credential) : std::nullopt;
}

std::wstring ServiceWindow::TextOf(int id) const {
    return std::wstring(TrimBlanks(ControlText(GetDlgItem(hwnd(), id))));
}

ServiceSettings ServiceWindow::Settings() const {
    ServiceSettings settings;
    settings.kind = Choice();
    const auto services = AllServices();
    for (size_t i = 0; i < services.size(); ++i) {
        if (services[i].url) {
            settings.*services[i].url = TextOf(IdOf(i, kUrl));
        }
        if (services[i].model) {
            settings.*services[i].model = TextOf(IdOf(i, kModel));
        }
        if (services[i].region) {
            settings.*services[i].region = TextOf(IdOf(i, kRegion));
        }
    }
    return settings;
}

void ServiceWindow::ShowKeyState() {
    const auto services = AllServices();
    for (size_t i = 0; i < services.size(); ++i) {
        if (!services[i].credential) {
            continue;
        }
        const KeyField field = FieldOf(i);
        SetWindowTextW(GetDlgItem(hwnd(), IdOf(i, kKeyStatus)), std::wstring(KeyStatusText(field)).c_str());
        // The button does something only while there is a key to take back: typed, or stored and not yet removed.
        EnableWindow(GetDlgItem(hwnd(), IdOf(i, kRemoveKey)), HasKeyAfterSave(field));
    }
}

void ServiceWindow::Key_Change() {
    ShowKeyState();
}

// "キーを削除": the typed key goes, and the stored one is removed on OK. The button then has nothing left to do and
// is disabled, so the focus goes to the field, ready for another key.
void ServiceWindow::RemoveKey_Click(size_t row) {
    keys_[row].removing = keys_[row].stored;
    HWND edit = GetDlgItem(hwnd(), IdOf(row, kKey));
    SetWindowTextW(edit, L"");
    MoveFocus(hwnd(), reinterpret_cast<WPARAM>(edit), TRUE);
    ShowKeyState();
}

std::optional<FormProblem> ServiceWindow::CheckForm(ServiceKind kind, bool allKeys) const {
    ServiceSettings settings = Settings();
    settings.kind = kind;
    const auto services = AllServices();
    auto keyAfterSave = [&](ServiceKind of) { return RowOf(of).credential && HasKeyAfterSave(FieldOf(IndexOf(of))); };
    if (auto problem = CheckServiceForm({settings, keyAfterSave})) {
        return problem;
    }
    // Each key that will be kept (OK) or sent (試す): characters an API can take, and a server it may go to.
    for (size_t i = 0; i < services.size(); ++i) {
        const ServiceRow& row = services[i];
        if (!row.credential || (!allKeys && row.kind != kind) || !HasKeyAfterSave(FieldOf(i))) {
            continue;
        }
        const KeyField field = FieldOf(i);
        if (field.typed && !IsUsableKey(ReadPasswordField(GetDlgItem(hwnd(), IdOf(i, kKey))).Get())) {
            return FormProblem{row.kind, Field::Key, kUnusableKeyText};
        }
        if (row.url && !(settings.*row.url).empty()) {
            if (auto problem = KeyDestinationProblem(settings.*row.url, field.typed ? L"" : savedFor_[i])) {
                return FormProblem{row.kind, Field::Key, *problem};
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
    const size_t row = IndexOf(kind);
    const bool keyed = AllServices()[row].credential != nullptr;
    ServiceTrial trial{Settings(), keyed ? KeyFor(row) : std::nullopt};
    trial.keyOrigin = keyed && !FieldOf(row).typed ? savedFor_[row] : std::wstring();
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
    ShowBox(std::wstring(problem.text), L"Velmora", MB_ICONEXCLAMATION, hwnd());
    if (HWND field = GetDlgItem(hwnd(), ControlOf(problem))) {
        MoveFocus(hwnd(), reinterpret_cast<WPARAM>(field), TRUE);
    }
}

// The new keys, each bound to the server it has just been checked for. Returns the reports of those not saved.
std::wstring ServiceWindow::SaveKeys(const ServiceSettings& settings, DWORD& error) {
    std::wstring failed;
    const auto services = AllServices();
    for (size_t i = 0; i < services.size(); ++i) {
        const ServiceRow& row = services[i];
        if (!row.credential) {
            continue;
        }
        const std::wstring origin = row.url && IsValidServiceUrl(settings.*row.url) ? UrlOrigin(settings.*row.url) : L"";
        const KeyField field = FieldOf(i);
        if (ChooseKeyAction(field) == KeyAction::Keep && field.stored && !origin.empty() &&
            store_.Origin(row.credential).empty()) {
            // A key kept from before servers were recorded (or added in the Control Panel) is bound now to the
            // server it has just been checked for. Should that fail it stays as it was, usable as before.
            if (std::optional<SecretText> kept = store_.Read(row.credential)) {
                (void)store_.Write(row.credential, *kept, origin);
            }
        }
        if (ChooseKeyAction(field) != KeyAction::Replace) {
            continue;
        }
        if (store_.Write(row.credential, ReadPasswordField(GetDlgItem(hwnd(), IdOf(i, kKey))), origin)) {
            keys_[i] = {true, false, false};
            savedFor_[i] = origin;
            SetWindowTextW(GetDlgItem(hwnd(), IdOf(i, kKey)), L"");
        } else {
            error = GetLastError();
            failed += (failed.empty() ? L"" : L"\n") + KeyNotSavedText(row.name);
        }
    }
    return failed;
}

// The keys whose removal was asked for. Returns the reports of those not removed.
std::wstring ServiceWindow::RemoveKeys(DWORD& error) {
    std::wstring failed;
    const auto services = AllServices();
    for (size_t i = 0; i < services.size(); ++i) {
        if (!services[i].credential || ChooseKeyAction(FieldOf(i)) != KeyAction::Remove) {
            continue;
        }
        if (store_.Remove(services[i].credential)) {
            keys_[i] = {};
        } else {
            error = GetLastError();
            failed += (failed.empty() ? L"" : L"\n") + KeyNotRemovedText(services[i].name);
        }
    }
    return failed;
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
    const ServiceSettings settings = Settings();
    DWORD error = ERROR_SUCCESS;
    std::wstring failed = SaveKeys(settings, error);
    if (!failed.empty()) {
        ShowKeyState();
        ShowFailure(hwnd(), failed.c_str(), error);
        return;
    }
    if (!SaveServiceChoice(settings)) {
        ShowFailure(hwnd(), kChoiceNotSavedText, GetLastError());
        return;
    }
    failed = RemoveKeys(error);
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
    for (size_t i = 0; i < AllServices().size(); ++i) {
        if (AllServices()[i].credential) {
            WipePasswordField(GetDlgItem(hwnd(), IdOf(i, kKey)));
        }
    }
    trialOutcome_.reset();
    if (closed_) {
        closed_();
    }
}

void ServiceWindow::OnCommand(int id, int code) {
    if (id >= kRowIdBase) {
        const size_t row = static_cast<size_t>((id - kRowIdBase) / kRowIds);
        const int part = (id - kRowIdBase) % kRowIds;
        if (part == kOption && code == BN_CLICKED) {
            ServiceOption_Click();
        } else if (part == kKey && code == EN_CHANGE) {
            Key_Change();
        } else if (part == kRemoveKey) {
            RemoveKey_Click(row);
        }
        return;
    }
    switch (id) {
        case kTryButtonId:
            TryButton_Click();
            break;
        case kOkButtonId:
            OkButton_Click();
            break;
        case kCancelButtonId:
            CancelButton_Click();
            break;
    }
}

// Enter: on a button it presses that button, as in a dialog; anywhere else it is OK.
void ServiceWindow::Enter() {
    if (!PressFocusedButton()) {
        OkButton_Click();
    }
}

void ServiceWindow::Escape() {
    CancelButton_Click();
}

LRESULT ServiceWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case kTrialCompleteMessage:
            Trial_Complete();
            return 0;
        case WM_CLOSE:
            CancelButton_Click();
            return 0;
        case WM_DESTROY:
            Window_Unload();
            return 0;
    }
    return ControlWindow::HandleMessage(msg, wp, lp);
}

}  // namespace velmora
