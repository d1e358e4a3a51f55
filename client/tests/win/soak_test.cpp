// Soak: 100 real clients, each to its popup and its Close. One process per request, so "growth" has two faces:
// within one client's life (at the popup, after a while, after a drag, just before Close), and across the runs
// (each client at its popup, and this test process, which starts them all). Both must stay flat.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <tuple>

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

// Raises each count of `rise` to the rise of `now` over `base`.
void Track(ResourceCounts& rise, const ResourceCounts& base, const ResourceCounts& now) {
    rise = {std::max(rise.gdi, now.gdi - base.gdi), std::max(rise.user, now.user - base.user),
            std::max(rise.kernel, now.kernel - base.kernel)};
}

using Soak = uidriver::ClientTest;

TEST_F(Soak, AHundredClientsToThePopupAndCloseLeaveNothingGrowing) {
    ResourceCounts firstAtPopup, lastAtPopup, firstTester, lastTester;  // each client at its popup; this process
    ResourceCounts across, life, ours;  // largest rises: across the clients, within a client's life, this process
    for (int run = 0; run < 100; ++run) {
        HWND popup = OpenPopup({600, 500});
        ASSERT_TRUE(popup) << run;
        auto sample = [&] { return Sample(client_.Handle(), client_.Pid()); };
        lastAtPopup = sample();
        firstAtPopup = run == 0 ? lastAtPopup : firstAtPopup;
        Sleep(100);
        Track(life, lastAtPopup, sample());
        const RECT r = uidriver::PlaceOf(popup, nullptr);
        automation::Drag({r.left + 8, r.top + 40}, {r.left + 28, r.top + 50});
        Sleep(200);
        Track(life, lastAtPopup, sample());
        Track(across, firstAtPopup, lastAtPopup);
        automation::ClickAt(uidriver::Center(uidriver::ChildWithText(popup, L"Close")));
        DWORD code = 1;
        ASSERT_TRUE(client_.WaitExit(10000, &code)) << run;
        EXPECT_EQ(code, 0u) << run;
        lastTester = Sample(GetCurrentProcess(), GetCurrentProcessId());
        firstTester = run == 0 ? lastTester : firstTester;
        Track(ours, firstTester, lastTester);
    }
    Print("client at its popup, run 1", firstAtPopup);
    Print("client at its popup, run 100", lastAtPopup);
    Print("test process after run 1", firstTester);
    Print("test process after run 100", lastTester);
    // Noise: a handle or two that the system opens on its own at times; growth would be one or more per run.
    const std::tuple<const char*, ResourceCounts, ResourceCounts> limits[] = {
        {"client at its popup, largest rise", across, {4, 0, 4}},
        {"within a client's life, largest", life, {4, 0, 4}},
        {"test process, largest rise", ours, {4, 0, 10}},
    };
    for (const auto& [what, rise, limit] : limits) {
        Print(what, rise);
        EXPECT_LE(rise.gdi, limit.gdi) << what;
        EXPECT_LE(rise.user, limit.user) << what;
        EXPECT_LE(rise.kernel, limit.kernel) << what;
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
