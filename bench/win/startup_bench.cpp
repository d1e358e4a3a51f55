// Start-up cost of velmora.exe under Wine: from CreateProcess to the popup on screen, with the stand-in service
// answering at once, against a program that opens one plain window. Run by hand:
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
    SIZE_T peakWorkingSet = 0;
};

Run Measure(const std::wstring& commandLine, const wchar_t* windowClass, const automation::EnvironmentOverrides& env) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    auto process = automation::Launch(commandLine, env);
    Run run;
    if (!process) {
        return run;
    }
    // Polled tightly: the figure is the time until the window is visible, not the poll interval.
    HWND window = nullptr;
    while (!window) {
        for (HWND hwnd : automation::TopLevelWindows(process->Pid(), true)) {
            if (automation::ClassName(hwnd) == windowClass) {
                window = hwnd;
            }
        }
        if (!window && !process->Running()) {
            return run;
        }
        Sleep(1);
    }
    QueryPerformanceCounter(&end);
    run.ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    PROCESS_MEMORY_COUNTERS counters{};
    if (GetProcessMemoryInfo(process->Handle(), &counters, sizeof counters)) {
        run.peakWorkingSet = counters.PeakWorkingSetSize;
    }
    return run;  // the Process destructor ends the program
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? _wtoi(argv[1]) : 20;
    standin::Server server;
    if (!server.Start()) {
        std::fprintf(stderr, "cannot start the stand-in service\n");
        return 1;
    }
    const std::wstring client = L"\"" + automation::WindowsPath(VELMORA_CLIENT_EXE) + L"\" EJhnAHello world";
    const std::wstring baseline = L"\"" + automation::WindowsPath(VELMORA_BASELINE_EXE) + L"\"";
    const automation::EnvironmentOverrides env = {{L"VELMORA_EXCITE_HOST", server.HostW()}};
    std::vector<double> clientMs, baselineMs, ratios;
    SIZE_T peak = 0;
    for (int i = 0; i < runs; ++i) {
        // Alternating the two keeps a slow moment of the machine from landing on one side only.
        const Run b = Measure(baseline, L"BaselineWindow", env);
        const Run c = Measure(client, L"VelmoraForm2", env);
        if (b.ms <= 0 || c.ms <= 0) {
            std::fprintf(stderr, "run %d failed\n", i);
            return 1;
        }
        baselineMs.push_back(b.ms);
        clientMs.push_back(c.ms);
        ratios.push_back(c.ms / b.ms);
        peak = std::max(peak, c.peakWorkingSet);
    }
    std::printf("runs: %d\nbaseline median: %.1f ms\nvelmora median: %.1f ms\nmedian ratio: %.2f\n", runs,
                Median(baselineMs), Median(clientMs), Median(ratios));
    std::printf("velmora peak working set: %.1f MiB\n", static_cast<double>(peak) / (1024.0 * 1024.0));
    return 0;
}
