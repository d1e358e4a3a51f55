// Many install and uninstall commands of one entry through the real window: what the process holds must not grow.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "InstallerDriver.h"
#include "WinTestSupport.h"
#include "win/ResourceCounts.h"

namespace testsupport {
namespace {

class SharedState : public ::testing::Environment {
  public:
    void SetUp() override { SaveSharedState(); }
    void TearDown() override { RestoreSharedState(); }
};
const auto* const kSharedState = ::testing::AddGlobalTestEnvironment(new SharedState);

constexpr int kCycles = 200;
constexpr int kWarmUp = 10;  // caches, fonts and the first box's resources settle in the first cycles
constexpr int kWindow = 20;  // cycles compared at the start and the end
constexpr int kNoise = 2;    // objects the medians may differ by without a leak

int Median(std::vector<int> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

TEST(InstallerSoak, TwoHundredInstallUninstallCyclesHoldNoMoreHandles) {
    ClearInstallation();
    const std::wstring stage = ScratchFolder(L"soak");
    ASSERT_TRUE(CopyFileW(automation::WindowsPath(INSTALL_EXE).c_str(), (stage + L"\\Install.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(automation::WindowsPath(CLIENT_EXE).c_str(), (stage + L"\\velmora.exe").c_str(), FALSE));

    InstallerRun run(stage);
    ASSERT_NO_FATAL_FAILURE(run.Answer(L"Velmora", L"本体をインストールします", Box::Ok, IDOK));
    ASSERT_TRUE(run.WaitForForm());
    std::vector<int> series[3];  // GDI, USER, kernel
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        ASSERT_TRUE(run.InstallEntry(0)) << cycle;
        ASSERT_TRUE(run.UninstallEntry(0)) << cycle;
        const auto counts = automation::CountResources(run.Handle(), run.Pid());
        ASSERT_TRUE(counts) << cycle;
        series[0].push_back(counts->gdi);
        series[1].push_back(counts->user);
        series[2].push_back(counts->kernel);
    }
    EXPECT_TRUE(run.Close());
    RemoveTree(stage);

    const char* const names[] = {"GDI", "USER", "kernel"};
    for (int i = 0; i < 3; ++i) {
        const char* name = names[i];
        const std::vector<int>& values = series[i];
        const std::vector<int> early(values.begin() + kWarmUp, values.begin() + kWarmUp + kWindow);
        const std::vector<int> late(values.end() - kWindow, values.end());
        const auto [low, high] = std::minmax_element(values.begin(), values.end());
        std::printf("%-6s after cycle 1: %d, median of cycles %d-%d: %d, median of the last %d: %d, range %d-%d\n",
                    name, values.front(), kWarmUp + 1, kWarmUp + kWindow, Median(early), kWindow, Median(late),
                    *low, *high);
        EXPECT_LE(Median(late), Median(early) + kNoise) << name;
    }
}

}  // namespace
}  // namespace testsupport
