// UI-automation helpers for the Windows tests: start a program with an exact command line, find its windows,
// read them, answer message boxes and click like a user.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/Handles.h"

namespace automation {

class Process {
public:
    Process() = default;
    Process(HANDLE process, DWORD pid) : handle_(process), pid_(pid) {}
    Process(Process&&) = default;
    Process& operator=(Process&& other) noexcept;  // ends the program held before, as the destructor does
    ~Process();  // a test that failed half-way must not leave its program running

    [[nodiscard]] DWORD Pid() const { return pid_; }
    [[nodiscard]] HANDLE Handle() const { return handle_.get(); }
    // True when the process ended within the time; its exit code is then in *exitCode.
    [[nodiscard]] bool WaitExit(DWORD timeoutMs, DWORD* exitCode = nullptr) const;
    [[nodiscard]] bool Running() const { return !WaitExit(0); }

private:
    void End();

    common::UniqueHandle handle_;
    DWORD pid_ = 0;
};

using EnvironmentOverrides = std::vector<std::pair<std::wstring, std::wstring>>;

// Starts the command line exactly as given, with the test's environment plus the overrides.
[[nodiscard]] std::optional<Process> Launch(const std::wstring& commandLine, const EnvironmentOverrides& env = {});

// A Unix path turned into the path Windows programs see under Wine (drive Z: is the Unix root).
[[nodiscard]] std::wstring WindowsPath(const char* unixPath);

[[nodiscard]] std::wstring WindowText(HWND hwnd);
[[nodiscard]] std::wstring ClassName(HWND hwnd);
[[nodiscard]] std::vector<HWND> TopLevelWindows(DWORD pid, bool visibleOnly);
[[nodiscard]] std::vector<HWND> Children(HWND parent);

// Waits for a visible top-level window of the process with this class (and caption, when given).
[[nodiscard]] HWND WaitForWindow(DWORD pid, const wchar_t* className, const wchar_t* caption, DWORD timeoutMs);
// The same for hidden windows too, looked for every few milliseconds (to time the moment one comes into being).
[[nodiscard]] HWND WaitForAnyWindow(DWORD pid, const wchar_t* className, DWORD timeoutMs);

struct MessageBoxInfo {
    HWND hwnd = nullptr;
    std::wstring title;
    std::wstring text;
    HWND iconControl = nullptr;  // the Static that shows the box's icon
    std::vector<std::wstring> buttons;
};
[[nodiscard]] std::optional<MessageBoxInfo> WaitForMessageBox(DWORD pid, DWORD timeoutMs);
// Presses the button of a dialog the way a click does.
bool PressButton(HWND dialog, int id);
// Whether a visible icon control shows this icon. Icon handles of another process are not usable here under
// Wine, so the screen is compared with the icon drawn on the same background.
[[nodiscard]] bool ShowsIcon(HWND iconControl, HICON expected);

// Real input through the system: a click at a screen point, or a drag from one point to another.
enum class Button { Left, Right, Middle };
void ClickAt(POINT screen, bool right = false);
void Press(POINT screen, Button button);
void Release(POINT screen, Button button);
void MoveMouse(POINT screen);
void Drag(POINT from, POINT to);

// Sets the system DPI that new processes start with (Wine reads it at each process start), and puts the old
// value back at the end.
class SystemDpi {
public:
    explicit SystemDpi(DWORD dpi);
    ~SystemDpi();
    SystemDpi(const SystemDpi&) = delete;
    SystemDpi& operator=(const SystemDpi&) = delete;

private:
    DWORD old_ = 96;
    bool had_ = false;
};

// Polls until the condition holds or the time runs out; answers the condition's last value.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount64() >= end) {
            return false;
        }
        Sleep(50);
    }
}

// Runs this thread's messages, as a program's loop would, until the condition holds or the time is up: for windows
// of the program under test made in the test's own process.
template <typename Done>
void PumpUntil(Done done, DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    MSG msg;
    while (!done() && GetTickCount64() < end) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
    }
}

}  // namespace automation
