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
    const std::wstring caption = kCaptions[0];
    std::vector<int> gdi, user, kernel;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        run.Click(1);
        ASSERT_NO_FATAL_FAILURE(run.Answer(L"Velmora のｲﾝｽﾄｰﾙ", L"IE の右ｸﾘｯｸﾒﾆｭｰに「" + caption + L"」を追加しますか。",
                                           Box::YesNo, IDYES));
        ASSERT_NO_FATAL_FAILURE(run.Answer(
            L"ｲﾝｽﾄｰﾙ成功", caption + L" のｲﾝｽﾄｰﾙに成功しました。IE を再起動して下さい。", Box::Ok, IDOK));
        ASSERT_TRUE(automation::WaitUntil([&] { return run.Registered(0) == true; }, kWaitMs)) << cycle;
        run.Click(2);
        ASSERT_NO_FATAL_FAILURE(run.Answer(L"Velmora のｱﾝｲﾝｽﾄｰﾙ",
                                           L"IE の右ｸﾘｯｸﾒﾆｭｰから「" + caption + L"」を削除しますか。", Box::YesNo,
                                           IDYES));
        ASSERT_NO_FATAL_FAILURE(run.Answer(
            L"ｱﾝｲﾝｽﾄｰﾙ成功", caption + L" のｱﾝｲﾝｽﾄｰﾙに成功しました。IE を再起動して下さい。", Box::Ok, IDOK));
        ASSERT_TRUE(automation::WaitUntil([&] { return run.Registered(0) == false; }, kWaitMs)) << cycle;
        const auto counts = automation::CountResources(run.Handle(), run.Pid());
        ASSERT_TRUE(counts) << cycle;
        gdi.push_back(counts->gdi);
        user.push_back(counts->user);
        kernel.push_back(counts->kernel);
    }
    EXPECT_TRUE(run.Close());
    RemoveTree(stage);

    struct Series {
        const char* name;
        const std::vector<int>& values;
    };
    for (const Series& s : {Series{"GDI", gdi}, Series{"USER", user}, Series{"kernel", kernel}}) {
        const std::vector<int> early(s.values.begin() + kWarmUp, s.values.begin() + kWarmUp + kWindow);
        const std::vector<int> late(s.values.end() - kWindow, s.values.end());
        const auto [low, high] = std::minmax_element(s.values.begin(), s.values.end());
        std::printf("%-6s after cycle 1: %d, median of cycles %d-%d: %d, median of the last %d: %d, range %d-%d\n",
                    s.name, s.values.front(), kWarmUp + 1, kWarmUp + kWindow, Median(early), kWindow, Median(late),
                    *low, *high);
        EXPECT_LE(Median(late), Median(early) + kNoise) << s.name;
    }
}

}  // namespace
}  // namespace testsupport
