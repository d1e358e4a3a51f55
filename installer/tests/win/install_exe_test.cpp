#include <windows.h>

#include <gtest/gtest.h>

#include "InstallerDriver.h"
#include "WinTestSupport.h"
#include "common/Handles.h"
#include "common/Text.h"
#include "win/Module1.h"

namespace testsupport {
namespace {

const std::wstring kConfirmInstall = L"Velmora のｲﾝｽﾄｰﾙ";
const std::wstring kConfirmUninstall = L"Velmora のｱﾝｲﾝｽﾄｰﾙ";
const std::string kFakeControl = "fake transfer control";

class SharedState : public ::testing::Environment {
  public:
    void SetUp() override { SaveSharedState(); }
    void TearDown() override { RestoreSharedState(); }
};
const auto* const kSharedState = ::testing::AddGlobalTestEnvironment(new SharedState);

// Each test starts with no installation and a folder holding the installer, a client and the control file.
class InstallExeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearInstallation();
        for (const std::wstring& copy : kControlCopies) {
            DeleteFileW(copy.c_str());
        }
        stage_ = ScratchFolder(L"stage");
        ASSERT_TRUE(
            CopyFileW(automation::WindowsPath(INSTALL_EXE).c_str(), (stage_ + L"\\Install.exe").c_str(), FALSE));
        Stage(CLIENT_EXE);
        ASSERT_TRUE(WriteBytes(stage_ + L"\\MSINET.OCX", kFakeControl));
    }
    void TearDown() override { RemoveTree(stage_); }

    void Stage(const char* client) {
        ASSERT_TRUE(CopyFileW(automation::WindowsPath(client).c_str(), (stage_ + L"\\velmora.exe").c_str(), FALSE));
    }
    // Puts a client in the install folder: a stand-in, or else the same build that lies beside the installer.
    void Install(const char* stub = nullptr) {
        CreateDirectoryW(kInstallFolder.c_str(), nullptr);
        ASSERT_TRUE(CopyFileW(Source(stub).c_str(), kInstalledClient.c_str(), FALSE));
    }
    [[nodiscard]] std::wstring Source(const char* stub) const {
        return stub ? automation::WindowsPath(stub) : stage_ + L"\\velmora.exe";
    }
    // Compared as a whole, but reported briefly: these are executables.
    [[nodiscard]] bool InstalledIs(const char* stub = nullptr) const {
        const auto installed = ReadBytes(kInstalledClient);
        return installed && installed == ReadBytes(Source(stub));
    }

    std::wstring stage_;
};

// The first box is the install notice: the user who runs the installer here owns the desktop, so no warning about
// another account comes before it. The control file beside the installer stays out of the system folders. Neither
// the temporary copy a run cut short left behind nor a read-only client keeps the folder at the end.
TEST_F(InstallExeTest, FirstStartThenEntryOneInstalledAndUninstalled) {
    ASSERT_TRUE(CreateDirectoryW(kInstallFolder.c_str(), nullptr) && WriteBytes(kInstallFolder + L"\\vel3A7.tmp", "x"));
    InstallerRun run(stage_);
    ASSERT_NO_FATAL_FAILURE(run.Answer(L"Velmora", L"本体をインストールします", Box::Ok, IDOK));
    ASSERT_TRUE(run.WaitForForm());
    EXPECT_TRUE(InstalledIs());
    ASSERT_TRUE(SetFileAttributesW(kInstalledClient.c_str(), FILE_ATTRIBUTE_READONLY));  // as earlier releases copied
    for (const std::wstring& copy : kControlCopies) {
        EXPECT_FALSE(ReadBytes(copy)) << copy;
    }
    for (int entry = 0; entry < 4; ++entry) {
        EXPECT_EQ(run.Registered(entry), false) << entry;
    }

    run.Click(1);
    const std::wstring caption = kCaptions[0];
    run.Answer(kConfirmInstall, L"IE の右ｸﾘｯｸﾒﾆｭｰに「" + caption + L"」を追加しますか。", Box::YesNo, IDYES);
    run.Answer(L"ｲﾝｽﾄｰﾙ成功", caption + L" のｲﾝｽﾄｰﾙに成功しました。IE を再起動して下さい。", Box::Ok, IDOK);
    EXPECT_TRUE(automation::WaitUntil([&] { return run.Registered(0) == true; }, kWaitMs));
    EXPECT_TRUE(installer::MenuExtEntryExists(HKEY_CURRENT_USER, caption));
    wchar_t script[MAX_PATH] = {};
    DWORD size = sizeof script;
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, (std::wstring(installer::kMenuExtKey) + L"\\" + caption).c_str(), nullptr,
                           RRF_RT_REG_SZ, nullptr, script, &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(script, L"C:\\Program Files\\Velmora\\E_J.html");
    const auto bytes = ReadBytes(script);
    ASSERT_TRUE(bytes);
    EXPECT_NE(bytes->find("& \" EJhnA\" & url , 1\r\n</SCRIPT>\r\n"), std::string::npos);

    run.Click(2);
    run.Answer(kConfirmUninstall, L"IE の右ｸﾘｯｸﾒﾆｭｰから「" + caption + L"」を削除しますか。", Box::YesNo, IDYES);
    run.Answer(L"ｱﾝｲﾝｽﾄｰﾙ成功", caption + L" のｱﾝｲﾝｽﾄｰﾙに成功しました。IE を再起動して下さい。", Box::Ok, IDOK);
    EXPECT_TRUE(automation::WaitUntil([&] { return run.Registered(0) == false; }, kWaitMs));
    EXPECT_FALSE(MenuKeyExists(0));
    // The last entry took the client and its folder with it.
    EXPECT_EQ(GetFileAttributesW(kInstallFolder.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(run.Close());
}

TEST_F(InstallExeTest, InstallAnsweredNoWritesTheScriptButRegistersNothing) {
    Install();
    InstallerRun run(stage_);
    ASSERT_TRUE(run.WaitForForm());
    run.Click(3);
    run.Answer(kConfirmInstall, L"IE の右ｸﾘｯｸﾒﾆｭｰに「" + kCaptions[1] + L"」を追加しますか。", Box::YesNo, IDNO);
    EXPECT_TRUE(run.NoBoxFor(1500));
    EXPECT_FALSE(MenuKeyExists(1));
    EXPECT_TRUE(ReadBytes(kInstallFolder + L"\\J_E.html"));
    EXPECT_EQ(run.Registered(1), false);
    EXPECT_TRUE(run.Close());
}

// The second start finds the same client: nothing to say. The window shows the registry, not the script files.
TEST_F(InstallExeTest, ButtonsFollowTheRegistryAndTheClientStaysWhileAnEntryIsLeft) {
    Install();
    for (int entry : {1, 3}) {
        const std::wstring script = kInstallFolder + L"\\entry" + std::to_wstring(entry) + L".html";
        ASSERT_TRUE(WriteBytes(script, "x"));
        ASSERT_TRUE(installer::AddMenuExtEntry(HKEY_CURRENT_USER, kCaptions[entry], script));
    }
    DeleteFileW((kInstallFolder + L"\\entry3.html").c_str());
    InstallerRun run(stage_);
    ASSERT_TRUE(run.WaitForForm());
    EXPECT_TRUE(run.NoBoxFor(500));
    for (int entry = 0; entry < 4; ++entry) {
        EXPECT_EQ(run.Registered(entry), entry == 1 || entry == 3) << entry;
    }
    // Registered by a release without shortcuts: start-up gave them theirs, and the shared ones.
    EXPECT_EQ(FilesIn(ShortcutFolder()),
              (std::vector<std::wstring>{kLinkNames[5], kLinkNames[1], kLinkNames[3], kLinkNames[4]}));

    run.Click(8);
    run.Answer(kConfirmUninstall, L"IE の右ｸﾘｯｸﾒﾆｭｰから「" + kCaptions[3] + L"」を削除しますか。", Box::YesNo, IDYES);
    run.Answer(L"ｱﾝｲﾝｽﾄｰﾙ成功", kCaptions[3] + L" のｱﾝｲﾝｽﾄｰﾙに成功しました。IE を再起動して下さい。", Box::Ok, IDOK);
    EXPECT_TRUE(automation::WaitUntil([&] { return run.Registered(3) == false; }, kWaitMs));
    EXPECT_TRUE(InstalledIs());

    // Removed behind the window's back: the uninstall reports it and touches no file.
    DeleteMenuKey(1);
    run.Click(4);
    run.Answer(kConfirmUninstall, L"IE の右ｸﾘｯｸﾒﾆｭｰから「" + kCaptions[1] + L"」を削除しますか。", Box::YesNo, IDYES);
    run.Answer(L"ｱﾝｲﾝｽﾄｰﾙ失敗", L"「" + kCaptions[1] + L"」ｷｰが存在しません。", Box::OkWarning, IDOK);
    EXPECT_TRUE(automation::WaitUntil([&] { return run.Registered(1) == false; }, kWaitMs));
    EXPECT_TRUE(ReadBytes(kInstallFolder + L"\\entry1.html"));
    EXPECT_TRUE(InstalledIs());
    EXPECT_EQ(FilesIn(ShortcutFolder()), std::vector<std::wstring>{});  // its shortcut went, and the shared ones
    EXPECT_TRUE(run.Close());
}

// Also over a read-only client, as earlier releases copied it: the new one is writable.
TEST_F(InstallExeTest, UpdateTakesOnlyANewerVersion) {
    Install(STUB_OLD_CLIENT);  // older and larger
    ASSERT_TRUE(SetFileAttributesW(kInstalledClient.c_str(), FILE_ATTRIBUTE_READONLY));
    Stage(STUB_NEW_CLIENT);
    {
        InstallerRun run(stage_);
        ASSERT_NO_FATAL_FAILURE(run.Answer(L"Velmora", L"本体をアップデートします", Box::Ok, IDOK));
        ASSERT_TRUE(run.WaitForForm());
        EXPECT_TRUE(InstalledIs(STUB_NEW_CLIENT));
        EXPECT_FALSE(GetFileAttributesW(kInstalledClient.c_str()) & FILE_ATTRIBUTE_READONLY);
        EXPECT_TRUE(run.Close());
    }
    Stage(STUB_OLD_CLIENT);
    InstallerRun run(stage_);
    ASSERT_TRUE(run.WaitForForm());
    EXPECT_TRUE(run.NoBoxFor(500));
    EXPECT_TRUE(InstalledIs(STUB_NEW_CLIENT));
    EXPECT_TRUE(run.InstallEntry(0));  // nor does the install button
    EXPECT_TRUE(InstalledIs(STUB_NEW_CLIENT));
    EXPECT_TRUE(run.Close());
}

// An install of the 1.0 release (its client, an entry with its script and shortcut, the colours beside the client)
// updated in place: the new client, and the entry, script, shortcuts and old colours as they were (the client
// carries the colours over into the user's folder).
TEST_F(InstallExeTest, UpdateOverTheFirstReleaseKeepsItsEntriesScriptsShortcutsAndColours) {
    Install();
    {
        InstallerRun run(stage_);
        ASSERT_TRUE(run.WaitForForm());
        ASSERT_TRUE(run.InstallEntry(0));
        EXPECT_TRUE(run.Close());
    }
    Install(STUB_OLD_CLIENT);  // version 1.0.0.0
    ASSERT_TRUE(WriteBytes(kInstallFolder + L"\\velmora.ini", "&HFF\r\n&HFFFFFF\r\n"));
    const auto script = ReadBytes(kInstallFolder + L"\\E_J.html");
    const auto links = FilesIn(ShortcutFolder());
    ASSERT_TRUE(script && !links.empty());

    InstallerRun run(stage_);
    ASSERT_NO_FATAL_FAILURE(run.Answer(L"Velmora", L"本体をアップデートします", Box::Ok, IDOK));
    ASSERT_TRUE(run.WaitForForm());
    EXPECT_TRUE(InstalledIs());
    EXPECT_EQ(run.Registered(0), true);
    EXPECT_EQ(ReadBytes(kInstallFolder + L"\\E_J.html"), script);
    EXPECT_EQ(FilesIn(ShortcutFolder()), links);
    EXPECT_EQ(ReadBytes(kInstallFolder + L"\\velmora.ini"), "&HFF\r\n&HFFFFFF\r\n");
    EXPECT_TRUE(run.Close());
}

common::UniqueFile Hold(const std::wstring& path, DWORD share) {
    return common::UniqueFile(CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr));
}

// A client that cannot be replaced (held open, as a running program is) or copied: a stop box with the system's
// reason, the old client untouched, no temporary file left, and the window all the same.
TEST_F(InstallExeTest, ClientCopyThatFailsIsReportedAndLeavesTheOldClient) {
    const auto failsWith = [&](const wchar_t* notice, const std::wstring& failed) {
        InstallerRun run(stage_);
        ASSERT_NO_FATAL_FAILURE(run.Answer(L"Velmora", notice, Box::Ok, IDOK));
        ASSERT_NO_FATAL_FAILURE(run.Answer(L"Velmora", failed, Box::OkStop, IDOK));
        ASSERT_TRUE(run.WaitForForm());
        EXPECT_TRUE(run.Close());
    };
    Install(STUB_OLD_CLIENT);
    Stage(STUB_NEW_CLIENT);
    {
        const auto held = Hold(kInstalledClient, FILE_SHARE_READ);
        ASSERT_TRUE(held);
        failsWith(L"本体をアップデートします", L"本体のアップデートに失敗しました。これまでの本体をそのまま使います。\n\n" +
                                                   common::SystemErrorText(ERROR_ACCESS_DENIED));
    }
    EXPECT_TRUE(InstalledIs(STUB_OLD_CLIENT));
    EXPECT_EQ(FilesIn(kInstallFolder), std::vector<std::wstring>{L"velmora.exe"});

    ClearInstallation();
    const auto held = Hold(stage_ + L"\\velmora.exe", 0);
    ASSERT_TRUE(held);
    failsWith(L"本体をインストールします",
              L"本体のインストールに失敗しました。\n\n" + common::SystemErrorText(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(FilesIn(kInstallFolder), std::vector<std::wstring>{});
}

// The script cannot be put in place (an old one is held open, as a browser reading it would): the entry is not
// registered, the box for a missing script says so, and the old script goes too, leaving nothing of the entry.
TEST_F(InstallExeTest, ScriptThatCannotBeWrittenRegistersNothingAndLeavesNothing) {
    Install();
    const std::wstring script = kInstallFolder + L"\\E_J.html";
    ASSERT_TRUE(WriteBytes(script, "<script>cut sh"));
    InstallerRun run(stage_);
    ASSERT_TRUE(run.WaitForForm());
    {
        const auto held = Hold(script, FILE_SHARE_READ | FILE_SHARE_DELETE);
        ASSERT_TRUE(held);
        run.Click(1);
        run.Answer(kConfirmInstall, L"IE の右ｸﾘｯｸﾒﾆｭｰに「" + kCaptions[0] + L"」を追加しますか。", Box::YesNo, IDYES);
        run.Answer(L"ｲﾝｽﾄｰﾙ失敗", L"ｽｸﾘﾌﾟﾄﾌｧｲﾙ E_J.html が見つかりません。", Box::OkWarning, IDOK);
        EXPECT_TRUE(run.NoBoxFor(500));
    }
    EXPECT_FALSE(MenuKeyExists(0));
    EXPECT_EQ(run.Registered(0), false);
    EXPECT_EQ(FilesIn(kInstallFolder), std::vector<std::wstring>{L"velmora.exe"});
    EXPECT_TRUE(run.Close());
}

TEST_F(InstallExeTest, InstalledClientWithoutOneBesideTheInstallerStillOpensTheWindow) {
    Install();
    const auto before = ReadBytes(kInstalledClient);
    DeleteFileW((stage_ + L"\\velmora.exe").c_str());
    InstallerRun run(stage_);
    ASSERT_TRUE(run.WaitForForm());
    EXPECT_TRUE(run.NoBoxFor(500));
    EXPECT_TRUE(before && ReadBytes(kInstalledClient) == before);
    EXPECT_TRUE(run.Close());
}

// No client beside the installer and none installed (or a hidden one): the install button registers nothing that
// would start nothing.
TEST_F(InstallExeTest, WithoutAnyClientTheInstallButtonRegistersNothing) {
    DeleteFileW((stage_ + L"\\velmora.exe").c_str());
    const std::wstring failed =
        L"本体のインストールに失敗しました。\n\n" + common::SystemErrorText(ERROR_FILE_NOT_FOUND);
    InstallerRun run(stage_);
    ASSERT_NO_FATAL_FAILURE(run.Answer(L"Velmora", L"本体をインストールします", Box::Ok, IDOK));
    ASSERT_NO_FATAL_FAILURE(run.Answer(L"Velmora", failed, Box::OkStop, IDOK));
    ASSERT_TRUE(run.WaitForForm());
    run.Click(1);
    ASSERT_NO_FATAL_FAILURE(run.Answer(L"Velmora", failed, Box::OkStop, IDOK));
    EXPECT_TRUE(run.NoBoxFor(500));
    EXPECT_EQ(run.Registered(0), false);
    EXPECT_FALSE(MenuKeyExists(0));
    EXPECT_EQ(GetFileAttributesW(ShortcutFolder().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW(kInstallFolder.c_str()), INVALID_FILE_ATTRIBUTES);
    Install(CLIENT_EXE);
    ASSERT_TRUE(SetFileAttributesW(kInstalledClient.c_str(), FILE_ATTRIBUTE_HIDDEN));
    run.Click(1);
    ASSERT_NO_FATAL_FAILURE(run.Answer(L"Velmora", L"本体のインストールに失敗しました。\n\n", Box::OkStop, IDOK));
    EXPECT_TRUE(run.NoBoxFor(500));
    EXPECT_FALSE(MenuKeyExists(0));
    EXPECT_TRUE(run.Close());
}

TEST_F(InstallExeTest, WindowLayoutFollowsTheTwipsAtTheRealDpi) {
    Install();
    const wchar_t* captions[] = {L"選択範囲を英日翻訳(Excite)", L"選択範囲を日英翻訳(Excite)",
                                 L"選択範囲を英日翻訳(infoseek)", L"選択範囲を日英翻訳(infoseek)"};
    const int tops[] = {120, 1440, 2760, 4080};
    for (DWORD dpi : {96u, 144u}) {
        const automation::SystemDpi systemDpi(dpi);
        InstallerRun run(stage_);
        ASSERT_TRUE(run.WaitForForm());
        const auto px = [dpi](int twips) { return MulDiv(twips, static_cast<int>(dpi), 1440); };
        RECT client{};
        GetClientRect(run.Form(), &client);
        EXPECT_EQ(client.right, px(3060)) << dpi;
        EXPECT_EQ(client.bottom, px(5355)) << dpi;
        EXPECT_EQ(GetWindowLongW(run.Form(), GWL_STYLE) & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
        int entry = 0;
        for (HWND child : automation::Children(run.Form())) {
            if ((GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX && entry < 4) {
                EXPECT_EQ(automation::WindowText(child), captions[entry]);
                RECT frame{};
                GetWindowRect(child, &frame);
                MapWindowPoints(nullptr, run.Form(), reinterpret_cast<POINT*>(&frame), 2);
                EXPECT_EQ(frame.top, px(tops[entry])) << dpi;
                EXPECT_EQ(frame.right - frame.left, px(3015)) << dpi;
                ++entry;
            }
        }
        EXPECT_EQ(entry, 4);
        for (int command = 1; command <= 8; ++command) {
            EXPECT_EQ(automation::WindowText(run.Command(command)),
                      command % 2 ? L"インストール" : L"アンインストール");
        }
        EXPECT_TRUE(run.Close());
    }
}

}  // namespace
}  // namespace testsupport
