// velmora.exe: one translation request per run, taken from the command line.
#include <windows.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "common/Process.h"
#include "common/Text.h"
#include "core/services/ServiceForm.h"
#include "win/Failure.h"
#include "win/Form1.h"
#include "win/selection/Selection.h"
#include "win/services/ServiceWindow.h"
#include "win/settings/VisualStyles.h"

namespace {

// The dialog keys for the windows that ask for them (the settings and service windows): Tab and Shift+Tab between
// controls, Enter and Escape.
int RunMessageLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        if (root && (GetWindowLongW(root, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) && IsDialogMessageW(root, &msg)) {
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace

// The C++ runtime's default handler for an exception nobody catches prints the exception's demangled type to the
// standard error, which a windowed program does not have; its demangler alone would be a tenth of the program.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
}  // namespace __gnu_cxx

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);  // libraries from the system folder only
    velmora::UseVisualStyles();
    // The argument text is taken from the raw command line: the C runtime's splitting would drop quotes
    // and fold blanks of the selected text.
    const std::u16string commandLine = common::ToU16(GetCommandLineW());
    const std::wstring argumentText = common::ToWide(velmora::ArgumentText(commandLine));
    if (velmora::IsServiceWindowStart(argumentText)) {
        // The service window alone; the program ends when it closes.
        velmora::ServiceWindow serviceWindow(velmora::SystemCredentials(), velmora::TryService,
                                             [] { PostQuitMessage(0); });
        return serviceWindow.Show(false) ? RunMessageLoop() : 1;
    }
    velmora::ClientOptions options;
    options.requestLimitMs = 60000;
    options.hosts =
        velmora::HostsWithOverrides(velmora::LoopbackHostOnly(common::EnvironmentValue(L"VELMORA_EXCITE_HOST")),
                                    velmora::LoopbackHostOnly(common::EnvironmentValue(L"VELMORA_INFOSEEK_HOST")));
    options.reportFailure = [](const std::wstring& text) { velmora::ReportFailureAndExit(text); };
    options.endProgram = [](UINT code) {
        velmora::SettleClipboardBeforeExit();
        ExitProcess(code);
    };
    options.readSelection = velmora::ReadSelection;
    options.service = velmora::LoadServiceChoice();
    options.credentials = &velmora::SystemCredentials();

    velmora::Form1 form1(std::move(options));
    if (!form1.Create()) {
        return 1;
    }
    form1.Form_Load(argumentText);
    const int exitCode = RunMessageLoop();
    velmora::SettleClipboardBeforeExit();
    return exitCode;
}
