#include "win/Failure.h"

#include "common/Process.h"

namespace velmora {
namespace {

// Windows lets a program take the foreground only in documented cases, among them that "the calling process
// received the last input event"; when the client shows a window, the last input (the shortcut key's release, our
// own Ctrl+C) went to the user's program. An input event of our own just before the call makes this thread the last
// to send input: an empty mouse event, which moves nothing. This is how PowerToys Run brings its window up
// (BringProcessToForeground in microsoft/PowerToys, for its issue #4270); AttachThreadInput, the other known way,
// ties our input to a program that may hang.
void SendOwnInput() {
    INPUT input{};
    input.type = INPUT_MOUSE;
    (void)SendInput(1, &input, sizeof input);
}

bool ForegroundRefusedForTest() {
    static const bool refused = common::EnvironmentValue(L"VELMORA_TEST_NO_FOREGROUND").has_value();
    return refused;
}

}  // namespace

int ShowBox(const std::wstring& text, const wchar_t* title, UINT icon, HWND owner) {
    // The box calls SetForegroundWindow itself, under the same rules.
    SendOwnInput();
    return MessageBoxW(owner, text.c_str(), title, MB_OK | icon | MB_TOPMOST | MB_SETFOREGROUND);
}

bool TakeForeground(HWND window) {
    if (ForegroundRefusedForTest()) {
        return false;
    }
    // SetForegroundWindow's answer is not enough: where it is refused, Windows may only flash the window and
    // still say it succeeded.
    if (SetForegroundWindow(window) && GetForegroundWindow() == window) {
        return true;
    }
    SendOwnInput();
    SetForegroundWindow(window);
    return GetForegroundWindow() == window;
}

void ReportFailureAndExit(const std::wstring& text) {
    ShowBox(text, L"Velmora", MB_ICONSTOP);
    ExitProcess(1);
}

}  // namespace velmora
