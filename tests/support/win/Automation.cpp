#include "win/Automation.h"

#include <algorithm>
#include <utility>

namespace automation {

Process::~Process() {
    End();
}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        End();
        handle_ = std::move(other.handle_);
        pid_ = std::exchange(other.pid_, 0);
    }
    return *this;
}

void Process::End() {
    if (handle_ && Running()) {
        TerminateProcess(handle_.get(), 99);
        WaitForSingleObject(handle_.get(), 5000);
    }
}

bool Process::WaitExit(DWORD timeoutMs, DWORD* exitCode) const {
    if (!handle_ || WaitForSingleObject(handle_.get(), timeoutMs) != WAIT_OBJECT_0) {
        return false;
    }
    if (exitCode) {
        GetExitCodeProcess(handle_.get(), exitCode);
    }
    return true;
}

namespace {

std::wstring EnvironmentBlock(const EnvironmentOverrides& overrides) {
    std::vector<std::wstring> entries;
    wchar_t* block = GetEnvironmentStringsW();
    for (const wchar_t* p = block; *p; p += wcslen(p) + 1) {
        entries.emplace_back(p);
    }
    FreeEnvironmentStringsW(block);
    for (const auto& [name, value] : overrides) {
        const std::wstring prefix = name + L"=";
        std::erase_if(entries, [&](const std::wstring& e) { return _wcsnicmp(e.c_str(), prefix.c_str(), prefix.size()) == 0; });
        entries.push_back(prefix + value);
    }
    std::wstring out;
    for (const auto& e : entries) {
        out += e;
        out += L'\0';
    }
    out += L'\0';
    return out;
}

}  // namespace

std::optional<Process> Launch(const std::wstring& commandLine, const EnvironmentOverrides& env) {
    std::wstring line = commandLine;
    std::wstring block = EnvironmentBlock(env);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT, block.data(),
                        nullptr, &si, &pi)) {
        return std::nullopt;
    }
    CloseHandle(pi.hThread);
    return Process(pi.hProcess, pi.dwProcessId);
}

std::wstring WindowsPath(const char* unixPath) {
    std::wstring out = L"Z:";
    for (const char* p = unixPath; *p; ++p) {
        out += *p == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*p));
    }
    return out;
}

std::wstring WindowText(HWND hwnd) {
    const auto n = SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    const auto got = SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(got));
    return text;
}

std::wstring ClassName(HWND hwnd) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return name;
}

namespace {

struct WindowQuery {
    DWORD pid;
    bool visibleOnly;
    std::vector<HWND> found;
};

// Enumeration callbacks are stdcall on 32-bit Windows, which a lambda cannot be.
BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM lp) {
    auto* q = reinterpret_cast<WindowQuery*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == q->pid && (!q->visibleOnly || IsWindowVisible(hwnd))) {
        q->found.push_back(hwnd);
    }
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
    return TRUE;
}

}  // namespace

std::vector<HWND> TopLevelWindows(DWORD pid, bool visibleOnly) {
    WindowQuery query{pid, visibleOnly, {}};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> found;
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND WaitForWindow(DWORD pid, const wchar_t* className, const wchar_t* caption, DWORD timeoutMs) {
    HWND match = nullptr;
    WaitUntil(
        [&] {
            for (HWND hwnd : TopLevelWindows(pid, true)) {
                if (ClassName(hwnd) == className && (!caption || WindowText(hwnd) == caption)) {
                    match = hwnd;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return match;
}

HWND WaitForAnyWindow(DWORD pid, const wchar_t* className, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        for (HWND hwnd : TopLevelWindows(pid, false)) {
            if (ClassName(hwnd) == className) {
                return hwnd;
            }
        }
        if (GetTickCount64() >= end) {
            return nullptr;
        }
        Sleep(2);
    }
}

std::optional<MessageBoxInfo> WaitForMessageBox(DWORD pid, DWORD timeoutMs) {
    HWND box = WaitForWindow(pid, L"#32770", nullptr, timeoutMs);
    if (!box) {
        return std::nullopt;
    }
    MessageBoxInfo info;
    info.hwnd = box;
    info.title = WindowText(box);
    for (HWND child : Children(box)) {
        const int id = GetDlgCtrlID(child);
        const std::wstring cls = ClassName(child);
        if (cls == L"Static" && (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            info.iconControl = child;
        } else if (cls == L"Static" && id == 0xFFFF) {
            info.text = WindowText(child);
        } else if (cls == L"Button") {
            info.buttons.push_back(WindowText(child));
        }
    }
    return info;
}

bool PressButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    return button && PostMessageW(button, BM_CLICK, 0, 0);
}

namespace {

// Pixels of a screen area, or of the icon drawn over a background of one colour.
std::vector<COLORREF> Pixels(HDC source, int width, int height, int x, int y, HICON icon, COLORREF background) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(dc, bitmap);
    if (source) {
        BitBlt(dc, 0, 0, width, height, source, x, y, SRCCOPY);
    } else {
        HBRUSH brush = CreateSolidBrush(background);
        RECT all{0, 0, width, height};
        FillRect(dc, &all, brush);
        DeleteObject(brush);
        DrawIconEx(dc, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
    }
    std::vector<COLORREF> pixels;
    for (int py = 0; py < height; ++py) {
        for (int px = 0; px < width; ++px) {
            pixels.push_back(GetPixel(dc, px, py));
        }
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixels;
}

}  // namespace

bool ShowsIcon(HWND iconControl, HICON expected) {
    RECT r{};
    if (!iconControl || !GetWindowRect(iconControl, &r)) {
        return false;
    }
    Sleep(300);  // let the box paint
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    const auto shown = Pixels(screen, w, h, r.left, r.top, nullptr, 0);
    ReleaseDC(nullptr, screen);
    const auto drawn = Pixels(nullptr, w, h, 0, 0, expected, shown.front());
    size_t differ = 0;
    for (size_t i = 0; i < shown.size(); ++i) {
        differ += shown[i] != drawn[i];
    }
    return !shown.empty() && differ * 20 < shown.size();
}

namespace {

void SendMouse(DWORD flags, POINT screen) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    // Absolute coordinates are in 0..65535 over the primary screen.
    in.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof in);
    Sleep(60);
}

}  // namespace

void Press(POINT screen, Button button) {
    SendMouse(MOUSEEVENTF_MOVE, screen);
    SendMouse(button == Button::Left    ? MOUSEEVENTF_LEFTDOWN
              : button == Button::Right ? MOUSEEVENTF_RIGHTDOWN
                                        : MOUSEEVENTF_MIDDLEDOWN,
              screen);
}

void MoveMouse(POINT screen) {
    SendMouse(MOUSEEVENTF_MOVE, screen);
}

void Release(POINT screen, Button button) {
    SendMouse(button == Button::Left    ? MOUSEEVENTF_LEFTUP
              : button == Button::Right ? MOUSEEVENTF_RIGHTUP
                                        : MOUSEEVENTF_MIDDLEUP,
              screen);
}

void ClickAt(POINT screen, bool right) {
    Press(screen, right ? Button::Right : Button::Left);
    Release(screen, right ? Button::Right : Button::Left);
}

void Drag(POINT from, POINT to) {
    SendMouse(MOUSEEVENTF_MOVE, from);
    SendMouse(MOUSEEVENTF_LEFTDOWN, from);
    for (int step = 1; step <= 5; ++step) {
        SendMouse(MOUSEEVENTF_MOVE, POINT{from.x + (to.x - from.x) * step / 5, from.y + (to.y - from.y) * step / 5});
    }
    SendMouse(MOUSEEVENTF_LEFTUP, to);
}

namespace {
constexpr const wchar_t* kDesktopKey = L"Control Panel\\Desktop";
}  // namespace

SystemDpi::SystemDpi(DWORD dpi) {
    DWORD size = sizeof old_;
    had_ = RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", RRF_RT_REG_DWORD, nullptr, &old_, &size) ==
           ERROR_SUCCESS;
    RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
}

SystemDpi::~SystemDpi() {
    if (had_) {
        RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &old_, sizeof old_);
    } else {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels");
    }
}

}  // namespace automation
