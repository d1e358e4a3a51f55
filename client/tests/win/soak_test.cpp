// Soak: 100 real clients, each to its popup and its Close. One process per request, so "growth" has two faces:
// within one client's life (at the popup, after a while, after a drag, just before Close), and across the runs
// (each client at its popup, and this test process, which starts them all). Both must stay flat. Under Wine 8
// GetGuiResources answers 0: there the windows stand for the USER objects, and the GDI objects of the popup are
// watched in-process by the popup window test (client_fetch_tests).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "UiDriver.h"
#include "win/Automation.h"

namespace {

struct Counts {
    DWORD gdi = 0;
    DWORD user = 0;
    DWORD kernel = 0;
    DWORD windows = 0;  // the process's windows, top-level and children: its USER objects that Wine can show
};

// The process's kernel handles. Wine 8 answers GetProcessHandleCount (and GetGuiResources) with 0, so there the
// handle values are tried one by one: Wine hands out the lowest free value, so a leak shows as more of them.
DWORD KernelHandles(HANDLE process) {
    DWORD count = 0;
    if (GetProcessHandleCount(process, &count) && count > 0) {
        return count;
    }
    for (ULONG_PTR value = 4; value < 0x1000; value += 4) {
        HANDLE copy = nullptr;
        if (DuplicateHandle(process, reinterpret_cast<HANDLE>(value), GetCurrentProcess(), &copy, 0, FALSE,
                            DUPLICATE_SAME_ACCESS)) {
            ++count;
            CloseHandle(copy);
        }
    }
    return count;
}

Counts Sample(HANDLE process, DWORD pid) {
    Counts c;
    c.gdi = GetGuiResources(process, GR_GDIOBJECTS);
    c.user = GetGuiResources(process, GR_USEROBJECTS);
    c.kernel = KernelHandles(process);
    for (HWND top : automation::TopLevelWindows(pid, false)) {
        c.windows += 1 + static_cast<DWORD>(automation::Children(top).size());
    }
    return c;
}

void Print(const char* what, const Counts& c) {
    std::printf("%-34s GDI %4lu  USER %4lu  kernel %4lu  windows %3lu\n", what, c.gdi, c.user, c.kernel, c.windows);
}

// The largest rise of each count over the first sample.
Counts Growth(const std::vector<Counts>& samples) {
    Counts g;
    for (const Counts& s : samples) {
        g.gdi = std::max<DWORD>(g.gdi, s.gdi > samples[0].gdi ? s.gdi - samples[0].gdi : 0);
        g.user = std::max<DWORD>(g.user, s.user > samples[0].user ? s.user - samples[0].user : 0);
        g.kernel = std::max<DWORD>(g.kernel, s.kernel > samples[0].kernel ? s.kernel - samples[0].kernel : 0);
        g.windows = std::max<DWORD>(g.windows, s.windows > samples[0].windows ? s.windows - samples[0].windows : 0);
    }
    return g;
}

using Soak = uidriver::ClientTest;

TEST_F(Soak, AHundredClientsToThePopupAndCloseLeaveNothingGrowing) {
    constexpr int kRuns = 100;
    const DWORD self = GetCurrentProcessId();
    std::vector<Counts> atPopup;    // each client when its popup is up
    std::vector<Counts> lifeGrowth;  // each client's rise over its life
    std::vector<Counts> tester;      // this process after each run
    for (int run = 0; run < kRuns; ++run) {
        HWND popup = OpenPopup({600, 500});
        ASSERT_TRUE(popup) << run;
        const HANDLE process = client_.Handle();
        std::vector<Counts> life{Sample(process, client_.Pid())};
        Sleep(100);
        life.push_back(Sample(process, client_.Pid()));
        RECT r{};
        GetWindowRect(popup, &r);
        automation::Drag({r.left + 8, r.top + 40}, {r.left + 28, r.top + 50});
        Sleep(200);
        life.push_back(Sample(process, client_.Pid()));
        HWND close = uidriver::ChildWithText(popup, L"Close");
        ASSERT_TRUE(close) << run;
        life.push_back(Sample(process, client_.Pid()));
        automation::ClickAt(uidriver::Center(close));
        DWORD code = 1;
        ASSERT_TRUE(client_.WaitExit(10000, &code)) << run;
        EXPECT_EQ(code, 0u) << run;
        atPopup.push_back(life[0]);
        lifeGrowth.push_back(Growth(life));
        tester.push_back(Sample(GetCurrentProcess(), self));
    }
    Print("client at its popup, run 1", atPopup.front());
    Print("client at its popup, run 100", atPopup.back());
    Print("client at its popup, largest rise", Growth(atPopup));
    Print("within a client's life, largest", *std::max_element(lifeGrowth.begin(), lifeGrowth.end(),
                                                                 [](const Counts& a, const Counts& b) {
                                                                     return a.gdi + a.user + a.kernel + a.windows <
                                                                            b.gdi + b.user + b.kernel + b.windows;
                                                                 }));
    Print("test process after run 1", tester.front());
    Print("test process after run 100", tester.back());
    Print("test process, largest rise", Growth(tester));

    // Noise: a handle or two that the system opens on its own at times; growth would be one or more per run.
    const Counts across = Growth(atPopup);
    EXPECT_LE(across.gdi, 4u);
    EXPECT_LE(across.user, 4u);
    EXPECT_LE(across.kernel, 4u);
    EXPECT_EQ(across.windows, 0u);
    for (const Counts& g : lifeGrowth) {
        EXPECT_LE(g.gdi, 4u);
        EXPECT_LE(g.user, 4u);
        EXPECT_LE(g.kernel, 4u);
        EXPECT_EQ(g.windows, 0u);
    }
    const Counts ours = Growth(tester);
    EXPECT_LE(ours.gdi, 4u);
    EXPECT_LE(ours.user, 4u);
    EXPECT_LE(ours.kernel, 10u);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
