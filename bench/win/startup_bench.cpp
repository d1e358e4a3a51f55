// Start-up cost of velmora.exe under Wine against the floor of its job (baseline.exe: one blocking fetch, one
// popup), with the stand-in service answering at once. Both are measured the same way: from CreateProcess until a
// visible top-level window captioned "Form2" has an Edit that holds text, and the process's peak working set at
// that moment. Run by hand:
//   cmake/wine-run.sh build/windows/bench/win/startup_bench.exe [runs]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "standin/Standin.h"
#include "win/Automation.h"

namespace {

struct Run {
    double ms = 0;
    double peakMiB = 0;
};

// Whether the process shows its popup with the text in it. The caption is read without a message (the system
// keeps it for other processes); the Edit is asked, with a time limit, so a busy program answers when it can.
bool PopupReady(DWORD pid) {
    for (HWND hwnd : automation::TopLevelWindows(pid, true)) {
        wchar_t caption[16] = {};
        GetWindowTextW(hwnd, caption, 16);
        if (std::wstring(caption) != L"Form2") {
            continue;
        }
        for (HWND child : automation::Children(hwnd)) {
            DWORD_PTR length = 0;
            if (automation::ClassName(child) == L"Edit" &&
                SendMessageTimeoutW(child, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length) && length > 0) {
                return true;
            }
        }
    }
    return false;
}

Run Measure(const std::wstring& commandLine, const automation::EnvironmentOverrides& env) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    auto process = automation::Launch(commandLine, env);
    Run run;
    if (!process) {
        return run;
    }
    // Polled tightly: the figure is the time until the popup is ready, not the poll interval.
    while (!PopupReady(process->Pid())) {
        if (!process->Running()) {
            return run;
        }
        Sleep(1);
    }
    QueryPerformanceCounter(&end);
    PROCESS_MEMORY_COUNTERS counters{};
    if (GetProcessMemoryInfo(process->Handle(), &counters, sizeof counters)) {
        run.peakMiB = static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
    }
    run.ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    return run;  // the Process destructor ends the program
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    if (n == 0) {
        return 0;
    }
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = std::max(argc > 1 ? _wtoi(argv[1]) : 21, 1);
    standin::Server server;
    if (!server.Start()) {
        std::fprintf(stderr, "cannot start the stand-in service\n");
        return 1;
    }
    const std::wstring client = L"\"" + automation::WindowsPath(VELMORA_CLIENT_EXE) + L"\" EJhnAHello world";
    const std::wstring floor = L"\"" + automation::WindowsPath(VELMORA_BASELINE_EXE) + L"\"";
    const automation::EnvironmentOverrides env = {{L"VELMORA_EXCITE_HOST", server.HostW()}};
    // One of each first, not counted: the first start of a program under Wine loads files nobody else has.
    for (const std::wstring* line : {&floor, &client}) {
        if (Measure(*line, env).ms <= 0) {
            std::fprintf(stderr, "warm-up failed: %ls\n", line->c_str());
            return 1;
        }
    }
    std::vector<double> floorMs, clientMs, ratios, floorPeak, clientPeak, peakDifferences;
    for (int i = 0; i < runs; ++i) {
        // Alternating the two, and which goes first, keeps a slow moment of the machine from landing on one side.
        Run f, c;
        if (i % 2 == 0) {
            f = Measure(floor, env);
            c = Measure(client, env);
        } else {
            c = Measure(client, env);
            f = Measure(floor, env);
        }
        if (f.ms <= 0 || c.ms <= 0) {
            std::fprintf(stderr, "run %d failed\n", i);
            return 1;
        }
        floorMs.push_back(f.ms);
        clientMs.push_back(c.ms);
        ratios.push_back(c.ms / f.ms);
        floorPeak.push_back(f.peakMiB);
        clientPeak.push_back(c.peakMiB);
        peakDifferences.push_back(c.peakMiB - f.peakMiB);
    }
    std::printf("runs: %d each, alternating, after one warm-up each\n", runs);
    std::printf("floor median:   %6.1f ms   peak working set %5.2f MiB\n", Median(floorMs), Median(floorPeak));
    std::printf("velmora median: %6.1f ms   peak working set %5.2f MiB\n", Median(clientMs), Median(clientPeak));
    std::printf("median of the pairwise ratios velmora/floor: %.2f (target <= 1.15)\n", Median(ratios));
    std::printf("median of the pairwise peak differences: %+.2f MiB (target <= +2.00)\n", Median(peakDifferences));
    return 0;
}
