// Soak: 100 real clients, each to its popup and its Close. One process per request, so "growth" has two faces:
// within one client's life (at the popup, after a while, after a drag, just before Close), and across the runs
// (each client at its popup, and this test process, which starts them all). Both must stay flat.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "UiDriver.h"
#include "win/Automation.h"
#include "win/ResourceCounts.h"

namespace {

using automation::ResourceCounts;

ResourceCounts Sample(HANDLE process, DWORD pid) {
    const auto counts = automation::CountResources(process, pid);
    EXPECT_TRUE(counts.has_value());
    return counts.value_or(ResourceCounts{});
}

void Print(const char* what, const ResourceCounts& c) {
    std::printf("%-34s GDI %4d  USER %4d  kernel %4d\n", what, c.gdi, c.user, c.kernel);
}

// The largest rise of each count over the first sample.
ResourceCounts Growth(const std::vector<ResourceCounts>& samples) {
    ResourceCounts g;
    for (const ResourceCounts& s : samples) {
        g.gdi = std::max(g.gdi, s.gdi - samples[0].gdi);
        g.user = std::max(g.user, s.user - samples[0].user);
        g.kernel = std::max(g.kernel, s.kernel - samples[0].kernel);
    }
    return g;
}

using Soak = uidriver::ClientTest;

TEST_F(Soak, AHundredClientsToThePopupAndCloseLeaveNothingGrowing) {
    constexpr int kRuns = 100;
    const DWORD self = GetCurrentProcessId();
    std::vector<ResourceCounts> atPopup;    // each client when its popup is up
    std::vector<ResourceCounts> lifeGrowth;  // each client's rise over its life
    std::vector<ResourceCounts> tester;      // this process after each run
    for (int run = 0; run < kRuns; ++run) {
        HWND popup = OpenPopup({600, 500});
        ASSERT_TRUE(popup) << run;
        const HANDLE process = client_.Handle();
        std::vector<ResourceCounts> life{Sample(process, client_.Pid())};
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
    ResourceCounts life;
    for (const ResourceCounts& g : lifeGrowth) {
        life = {std::max(life.gdi, g.gdi), std::max(life.user, g.user), std::max(life.kernel, g.kernel)};
    }
    Print("within a client's life, largest", life);
    Print("test process after run 1", tester.front());
    Print("test process after run 100", tester.back());
    Print("test process, largest rise", Growth(tester));

    // Noise: a handle or two that the system opens on its own at times; growth would be one or more per run.
    const ResourceCounts across = Growth(atPopup);
    EXPECT_LE(across.gdi, 4);
    EXPECT_LE(across.user, 0);
    EXPECT_LE(across.kernel, 4);
    EXPECT_LE(life.gdi, 4);
    EXPECT_LE(life.user, 0);
    EXPECT_LE(life.kernel, 4);
    const ResourceCounts ours = Growth(tester);
    EXPECT_LE(ours.gdi, 4);
    EXPECT_LE(ours.user, 0);
    EXPECT_LE(ours.kernel, 10);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
