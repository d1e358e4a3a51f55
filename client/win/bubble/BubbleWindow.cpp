#include "win/bubble/BubbleWindow.h"

#include <windowsx.h>

#include <algorithm>
#include <vector>

#include "common/Dpi.h"
#include "common/SystemFunction.h"
#include "core/Messages.h"
#include "core/bubble/Bubble.h"
#include "win/Failure.h"
#include "win/settings/ColorSettings.h"
#include "win/settings/VisualStyles.h"

namespace velmora {
namespace {

constexpr int kLabel3Id = 3;
constexpr int kBodyId = 1;
constexpr int kLabel1Id = 2;
constexpr int kEscapeHotKey = 1;
constexpr UINT_PTR kFrontTimer = 1;
constexpr UINT kFrontCheckMs = 250;

common::UniqueFont MakeFont(const wchar_t* face, int points, bool bold, UINT dpi) {
    return common::UniqueFont(CreateFontW(-MulDiv(points, static_cast<int>(dpi), 72), 0, 0, 0,
                                          bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                          DEFAULT_PITCH | FF_DONTCARE, face));
}

void MoveTo(HWND control, const Bounds& b) {
    MoveWindow(control, b.x, b.y, b.width, b.height, TRUE);
}

// A monitor's own DPI. With one monitor the window's DPI is that monitor's; with several, the system's DPI is only
// the primary's, and the monitor's comes from shcore (loaded only then: it costs start-up time).
UINT MonitorDpi(HMONITOR monitor, HWND window) {
    if (GetSystemMetrics(SM_CMONITORS) <= 1) {
        return common::DpiOf(window);
    }
    using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const auto getDpiForMonitor =
        common::SystemFunction<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
    UINT x = 0;
    UINT y = 0;
    constexpr int kEffectiveDpi = 0;
    if (getDpiForMonitor && SUCCEEDED(getDpiForMonitor(monitor, kEffectiveDpi, &x, &y)) && x > 0) {
        return x;
    }
    return common::DpiOf(window);
}

Rect ToRect(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

Rect WorkAreaOf(HMONITOR monitor) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(monitor, &info);
    return ToRect(info.rcWork);
}

struct MonitorList {
    HWND window;
    std::vector<Monitor> monitors;
};

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    auto& list = *reinterpret_cast<MonitorList*>(data);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info)) {
        list.monitors.push_back(
            {ToRect(info.rcMonitor), ToRect(info.rcWork), static_cast<int>(MonitorDpi(monitor, list.window))});
    }
    return TRUE;
}

std::vector<Monitor> Monitors(HWND window) {
    MonitorList list{window, {}};
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&list));
    return list.monitors;
}

}  // namespace

// The window goes first, while the fonts its controls use still exist.
BubbleWindow::~BubbleWindow() {
    ReleaseEscape();
    if (hwnd()) {
        DestroyWindow(hwnd());
    }
}

bool BubbleWindow::CreateBubble(const wchar_t* className, const wchar_t* caption) {
    // No border, no caption, no taskbar button; the size and place are set by LayOutAndPlace. Topmost from the
    // start: made so later, the hidden window would be activated and restacked once more on its way to the screen.
    if (!Create(className, caption, WS_POPUP | WS_CLIPCHILDREN, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, 0, 0, 0, 0,
                nullptr)) {
        return false;
    }
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const SystemControls systemControls;
    // Created in tab order: the title, the body, "Close".
    label3_ = CreateWindowExW(0, L"STATIC", kResultTitle, WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_LEFT, 0, 0, 0, 0,
                              hwnd(), reinterpret_cast<HMENU>(kLabel3Id), instance, nullptr);
    body_ = MakeBody(instance, kBodyId);
    label1_ = CreateWindowExW(0, L"STATIC", L"Close", WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_LEFT, 0, 0, 0, 0,
                              hwnd(), reinterpret_cast<HMENU>(kLabel1Id), instance, nullptr);
    // The labels' mouse messages come here first; the common-controls subclassing helpers are not used, so that
    // the client does not load that library at start-up (it costs a good part of the start-up time under Wine).
    for (HWND label : {label3_, label1_}) {
        SetWindowLongPtrW(label, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        staticProc_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LabelProc)));
    }
    return true;
}

bool BubbleWindow::ShowInFront(HWND focus) {
    focus_ = focus;
    // Shown without the activation, which comes with the foreground: shown active while another program keeps the
    // foreground, the bubble would hold a focus that no key reaches.
    ShowWindow(hwnd(), SW_SHOWNA);
    if (TakeForeground(hwnd())) {
        SetFocus(focus_);
        return true;
    }
    HoldEscape();
    return false;
}

// Without the foreground no key reaches the bubble, yet the user just asked for it and expects Esc to close it: Esc
// is its hot key until it is activated (it then has the keys itself) or the user moves to another window (their
// Esc is theirs again).
void BubbleWindow::HoldEscape() {
    frontWhenShown_ = GetForegroundWindow();
    escapeHeld_ = RegisterHotKey(hwnd(), kEscapeHotKey, MOD_NOREPEAT, VK_ESCAPE) != FALSE;
    if (escapeHeld_) {
        SetTimer(hwnd(), kFrontTimer, kFrontCheckMs, nullptr);
    }
}

void BubbleWindow::ReleaseEscape() {
    if (escapeHeld_) {
        escapeHeld_ = false;
        KillTimer(hwnd(), kFrontTimer);
        UnregisterHotKey(hwnd(), kEscapeHotKey);
    }
}

// Activated by a click, or by the system: the keys are the bubble's own again (Esc no longer its hot key) and go where
// the bubble wants them. Minimized, or with no control to take them, the system's handling stands.
bool BubbleWindow::Activated(bool active, bool minimized) {
    if (!active || minimized || !focus_) {
        return false;
    }
    ReleaseEscape();
    if (IsWindow(focus_)) {
        SetFocus(focus_);
    }
    return true;
}

void BubbleWindow::LoadColors() {
    if (const auto colors = LoadColorSettings()) {
        ApplyColors(colors->background, colors->text);
    } else {
        ApplyColors(kDesignBackColor, kDesignForeColor);
    }
}

void BubbleWindow::LayOutAndPlace(std::optional<POINT> topLeft) {
    if (topLeft) {
        moved_ = true;
        const HMONITOR monitor = MonitorFromPoint(*topLeft, MONITOR_DEFAULTTONEAREST);
        const UINT dpi = MonitorDpi(monitor, hwnd());
        const Rect workArea = WorkAreaOf(monitor);
        const BubbleLayout layout = LayOutAt(dpi, workArea);
        SetShape();
        const Point p = GrowInPlace(Point{topLeft->x, topLeft->y}, layout.client, workArea, static_cast<int>(dpi));
        SetWindowPos(hwnd(), nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    if (!GetCursorPos(&anchor_)) {
        anchor_ = POINT{0, 0};
    }
    PlaceAtAnchor();
}

POINT BubbleWindow::DesignedTopLeft() const {
    RECT r{};
    GetWindowRect(hwnd(), &r);
    return POINT{r.left, r.bottom - BubbleLayoutAt(static_cast<int>(dpi_)).client.height};
}

int BubbleWindow::BodyShownHeight() const {
    RECT client{};
    GetClientRect(hwnd(), &client);
    RECT body{};
    GetWindowRect(body_, &body);
    MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&body), 2);
    const BubbleRegion shape = BubbleRegionAt(Size{client.right, client.bottom}, static_cast<int>(dpi_));
    return std::max(0, std::min<int>(body.bottom, shape.body.bottom) - static_cast<int>(body.top));
}

void BubbleWindow::GrowToText() {
    RECT before{};
    GetWindowRect(hwnd(), &before);
    const Rect workArea = WorkAreaOf(MonitorFromRect(&before, MONITOR_DEFAULTTONEAREST));
    const BubbleLayout wanted = BubbleLayoutFor(static_cast<int>(dpi_), workArea, BodyTextHeight());
    if (wanted.client.width <= before.right - before.left && wanted.client.height <= before.bottom - before.top) {
        return;
    }
    const POINT designed = DesignedTopLeft();
    const BubbleLayout layout = LayOutAt(dpi_, workArea);
    SetShape();
    const Point p = GrowInPlace(Point{designed.x, designed.y}, layout.client, workArea, static_cast<int>(dpi_));
    SetWindowPos(hwnd(), nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void BubbleWindow::PlaceAtAnchor() {
    const std::vector<Monitor> monitors = Monitors(hwnd());
    const BubblePlacement placement =
        PlaceBubbleOn(Point{anchor_.x, anchor_.y}, monitors, [this](const Monitor& monitor) {
            return LayOutAt(static_cast<UINT>(monitor.dpi), monitor.workArea).client;
        });
    SetShape();
    SetWindowPos(hwnd(), nullptr, placement.topLeft.x, placement.topLeft.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The bubble came onto a monitor of another DPI, or its monitor's scale changed. Laid out again at the new DPI; a
// bubble the user has not moved points at its place again (the system's suggestion keeps the old offset from the
// pointer), one that was moved goes where the system suggests.
void BubbleWindow::DpiChanged(UINT dpi, const RECT& suggested) {
    const Rect workArea = WorkAreaOf(moved_ ? MonitorFromRect(&suggested, MONITOR_DEFAULTTONEAREST)
                                            : MonitorFromPoint(anchor_, MONITOR_DEFAULTTONEAREST));
    const BubbleLayout layout = LayOutAt(dpi, workArea);
    SetShape();
    POINT place{suggested.left, suggested.top};
    if (!moved_) {
        const Point p = PlaceBubble(Point{anchor_.x, anchor_.y}, layout.client, workArea, static_cast<int>(dpi));
        place = POINT{p.x, p.y};
    }
    SetWindowPos(hwnd(), nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BubbleLayout BubbleWindow::LayOutAt(UINT dpi, const Rect& workArea) {
    dpi_ = dpi;
    // The fonts first: the body's text is measured with its own. The new fonts are set before the old ones are
    // deleted: a control must never hold a deleted font.
    common::UniqueFont uiFont = MakeFont(L"MS UI Gothic", 9, false, dpi);
    common::UniqueFont closeFont = MakeFont(L"ＭＳ Ｐゴシック", 9, true, dpi);
    SendMessageW(label3_, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont.get()), TRUE);
    SendMessageW(body_, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont.get()), TRUE);
    SendMessageW(label1_, WM_SETFONT, reinterpret_cast<WPARAM>(closeFont.get()), TRUE);
    uiFont_ = std::move(uiFont);
    closeFont_ = std::move(closeFont);
    const BubbleLayout layout = BubbleLayoutFor(static_cast<int>(dpi), workArea, BodyTextHeight());
    SetWindowPos(hwnd(), nullptr, 0, 0, layout.client.width, layout.client.height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    MoveTo(label3_, layout.label3);
    MoveTo(body_, layout.text1);
    MoveTo(label1_, layout.label1);
    return layout;
}

void BubbleWindow::SetShape() {
    RECT client{};
    GetClientRect(hwnd(), &client);
    const BubbleRegion shape = BubbleRegionAt(Size{client.right, client.bottom}, static_cast<int>(dpi_));
    // An empty working region first, then the rounded body joined and the tail XORed in: where the tail's top
    // row meets the body, the overlap is cut out.
    HRGN working = CreateRectRgn(0, 0, client.right, client.bottom);
    {
        common::UniqueRgn second(CreateRectRgn(0, 0, client.right, client.bottom));
        CombineRgn(working, working, second.get(), RGN_XOR);
    }
    {
        common::UniqueRgn body(CreateRoundRectRgn(shape.body.left, shape.body.top, shape.body.right,
                                                  shape.body.bottom, shape.corner, shape.corner));
        CombineRgn(working, working, body.get(), RGN_OR);
    }
    const POINT tail[3] = {{shape.tail[0].x, shape.tail[0].y},
                           {shape.tail[1].x, shape.tail[1].y},
                           {shape.tail[2].x, shape.tail[2].y}};
    common::UniqueRgn tailRegion(CreatePolygonRgn(tail, 3, ALTERNATE));
    CombineRgn(working, working, tailRegion.get(), RGN_XOR);
    // The window owns the region from here on.
    if (!SetWindowRgn(hwnd(), working, TRUE)) {
        DeleteObject(working);
    }
}

void BubbleWindow::ApplyColors(COLORREF background, COLORREF text) {
    backColor_ = background;
    backBrush_ = common::UniqueBrush(CreateSolidBrush(background));
    text1BackColor_ = background;
    text1Brush_ = common::UniqueBrush(CreateSolidBrush(background));
    foreColor_ = text;
    text1ForeColor_ = text;
    label3ForeColor_ = text;
    if (hwnd()) {
        InvalidateRect(hwnd(), nullptr, TRUE);
        RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
}

void BubbleWindow::Drag() {
    // The system then moves the window with the mouse as if its title bar had been pressed.
    dragging_ = true;
    moved_ = true;
    ReleaseCapture();
    SendMessageW(hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
    dragging_ = false;
    DragEnded();
}

void BubbleWindow::Form_MouseDown(int button) {
    if (button == 1) {
        Drag();
    }
}

void BubbleWindow::Label3_MouseDown(int button) {
    if (button == 1) {
        Drag();
    }
}

void BubbleWindow::Label1_MouseDown() {
    label1ForeColor_ = 0;
    InvalidateRect(label1_, nullptr, TRUE);
}

void BubbleWindow::Label1_MouseUp() {
    label1ForeColor_ = kCloseGrey;
    InvalidateRect(label1_, nullptr, TRUE);
}

HBRUSH BubbleWindow::ColorFor(HWND control, HDC dc) {
    if (control == body_) {
        SetTextColor(dc, text1ForeColor_);
        SetBkColor(dc, text1BackColor_);
        return text1Brush_.get();
    }
    // The labels are see-through: they draw on the bubble's own background.
    SetTextColor(dc, control == label1_ ? label1ForeColor_ : label3ForeColor_);
    SetBkMode(dc, TRANSPARENT);
    return backBrush_.get();
}

LRESULT CALLBACK BubbleWindow::LabelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* form = reinterpret_cast<BubbleWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    const int id = GetDlgCtrlID(hwnd);
    // The Static class asks for double clicks: a quick second press comes as a double click and is a press too.
    const int button = msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK   ? 1
                       : msg == WM_RBUTTONDOWN || msg == WM_RBUTTONDBLCLK ? 2
                       : msg == WM_MBUTTONDOWN || msg == WM_MBUTTONDBLCLK ? 4
                                                                          : 0;
    if (id == kLabel3Id && button) {
        form->Label3_MouseDown(button);
        return 0;
    }
    if (id == kLabel1Id) {
        if (button) {
            SetCapture(hwnd);
            form->closePressed_ = button == 1;
            form->Label1_MouseDown();
            return 0;
        }
        if (msg == WM_LBUTTONUP || msg == WM_RBUTTONUP || msg == WM_MBUTTONUP) {
            const bool click = msg == WM_LBUTTONUP && form->closePressed_;
            form->closePressed_ = false;
            ReleaseCapture();
            form->Label1_MouseUp();
            RECT r{};
            GetClientRect(hwnd, &r);
            if (click && PtInRect(&r, POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)})) {
                form->Label1_Click();
            }
            return 0;
        }
    }
    return CallWindowProcW(form->staticProc_, hwnd, msg, wp, lp);
}

LRESULT BubbleWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_LBUTTONDOWN:
            Form_MouseDown(1);
            return 0;
        case WM_RBUTTONDOWN:
            Form_MouseDown(2);
            return 0;
        case WM_KEYDOWN:
            // Esc on either bubble does what a click on "Close" does.
            if (wp == VK_ESCAPE) {
                Label1_Click();
                return 0;
            }
            break;
        case WM_HOTKEY:
            if (wp == kEscapeHotKey) {
                ReleaseEscape();
                Label1_Click();
            }
            return 0;
        case WM_TIMER:
            if (wp == kFrontTimer) {
                const HWND front = GetForegroundWindow();
                if (front != frontWhenShown_ && front != hwnd()) {
                    ReleaseEscape();
                }
                return 0;
            }
            break;
        case WM_ERASEBKGND: {
            RECT r{};
            GetClientRect(hwnd(), &r);
            FillRect(reinterpret_cast<HDC>(wp), &r, backBrush_.get());
            return 1;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
            return reinterpret_cast<LRESULT>(ColorFor(reinterpret_cast<HWND>(lp), reinterpret_cast<HDC>(wp)));
    }
    return ControlWindow::HandleMessage(msg, wp, lp);
}

}  // namespace velmora
