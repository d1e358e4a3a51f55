// Install.exe: places the client in its folder and adds or removes the browser's right-click menu entries.
#include <windows.h>
// commctrl.h needs the types of windows.h first.
#include <commctrl.h>

#include "win/Form1.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    // Before anything can load a library: only the system folder, never the download folder beside the installer.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    installer::Form1 form;
    if (!form.Create()) {
        return 1;
    }
    form.Form_Load();
    form.Show(showCommand);

    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!form.hwnd() || !IsDialogMessageW(form.hwnd(), &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}
