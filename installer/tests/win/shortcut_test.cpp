// The real Install.exe makes and removes the entries' Start Menu shortcuts; read back through the shell, as
// Windows' own shell reads them to start them by their keys.
#include <windows.h>
#include <objbase.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include "InstallerDriver.h"
#include "WinTestSupport.h"

namespace testsupport {
namespace {

struct Link {
    std::wstring path, arguments, workingFolder;
    WORD hotKey = 0;
};

std::optional<Link> ReadLink(const std::wstring& file) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        return std::nullopt;
    }
    std::optional<Link> result;
    IShellLinkW* link = nullptr;
    IPersistFile* persist = nullptr;
    wchar_t path[MAX_PATH] = {}, arguments[1024] = {}, folder[MAX_PATH] = {};
    Link read;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
        SUCCEEDED(persist->Load(file.c_str(), STGM_READ)) &&
        SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
        SUCCEEDED(link->GetArguments(arguments, 1024)) && SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH)) &&
        SUCCEEDED(link->GetHotkey(&read.hotKey))) {
        read.path = path;
        read.arguments = arguments;
        read.workingFolder = folder;
        result = read;
    }
    if (persist) {
        persist->Release();
    }
    if (link) {
        link->Release();
    }
    CoUninitialize();
    return result;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

const std::wstring kConfirmInstall = L"Velmora のｲﾝｽﾄｰﾙ";
const std::wstring kConfirmUninstall = L"Velmora のｱﾝｲﾝｽﾄｰﾙ";

// The suite's shared state (install folder, menu keys, shortcut folder) is saved and put back by the environment
// of install_exe_test.cpp, which runs in the same program.
class ShortcutTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearInstallation();
        stage_ = ScratchFolder(L"stage");
        ASSERT_TRUE(
            CopyFileW(automation::WindowsPath(INSTALL_EXE).c_str(), (stage_ + L"\\Install.exe").c_str(), FALSE));
        ASSERT_TRUE(
            CopyFileW(automation::WindowsPath(CLIENT_EXE).c_str(), (stage_ + L"\\velmora.exe").c_str(), FALSE));
        folder_ = ShortcutFolder();
    }
    void TearDown() override {
        ClearInstallation();
        RemoveTree(stage_);
    }

    // Starts Install.exe on a fresh machine: the client is installed first.
    void StartInstaller(std::optional<InstallerRun>& run) {
        run.emplace(stage_);
        ASSERT_NO_FATAL_FAILURE(run->Answer(L"Velmora", L"本体をインストールします", Box::Ok, IDOK));
        ASSERT_TRUE(run->WaitForForm());
    }
    void InstallEntry(InstallerRun& run, int entry, const std::wstring& extra = L"") {
        run.Click(2 * entry + 1);
        run.Answer(kConfirmInstall, L"IE の右ｸﾘｯｸﾒﾆｭｰに「" + kCaptions[entry] + L"」を追加しますか。", Box::YesNo,
                   IDYES);
        run.Answer(L"ｲﾝｽﾄｰﾙ成功", kCaptions[entry] + L" のｲﾝｽﾄｰﾙに成功しました。IE を再起動して下さい。" + extra,
                   Box::Ok, IDOK);
        EXPECT_TRUE(automation::WaitUntil([&] { return run.Registered(entry) == true; }, kWaitMs)) << entry;
    }
    void UninstallEntry(InstallerRun& run, int entry, const std::wstring& extra = L"") {
        run.Click(2 * entry + 2);
        run.Answer(kConfirmUninstall, L"IE の右ｸﾘｯｸﾒﾆｭｰから「" + kCaptions[entry] + L"」を削除しますか。",
                   Box::YesNo, IDYES);
        run.Answer(L"ｱﾝｲﾝｽﾄｰﾙ成功",
                   kCaptions[entry] + L" のｱﾝｲﾝｽﾄｰﾙに成功しました。IE を再起動して下さい。" + extra, Box::Ok, IDOK);
        EXPECT_TRUE(automation::WaitUntil([&] { return run.Registered(entry) == false; }, kWaitMs)) << entry;
    }

    std::wstring stage_, folder_;
};

const wchar_t* const kLinkNames[4] = {L"選択範囲を英日翻訳(Excite).lnk", L"選択範囲を日英翻訳(Excite).lnk",
                                      L"選択範囲を英日翻訳(infoseek).lnk", L"選択範囲を日英翻訳(infoseek).lnk"};

TEST_F(ShortcutTest, EachInstalledEntryHasItsShortcutKeyUntilItsUninstallAndTheLastTakesTheFolder) {
    const struct {
        const wchar_t* arguments;
        WORD hotKey;
    } expected[4] = {
        {L"/selection EJhnA", MAKEWORD('E', HOTKEYF_CONTROL | HOTKEYF_ALT)},
        {L"/selection JEhnA", MAKEWORD('J', HOTKEYF_CONTROL | HOTKEYF_ALT)},
        {L"/selection EJIFA", MAKEWORD('E', HOTKEYF_CONTROL | HOTKEYF_SHIFT | HOTKEYF_ALT)},
        {L"/selection JEIFA", MAKEWORD('J', HOTKEYF_CONTROL | HOTKEYF_SHIFT | HOTKEYF_ALT)},
    };
    std::optional<InstallerRun> run;
    ASSERT_NO_FATAL_FAILURE(StartInstaller(run));
    for (int entry = 0; entry < 4; ++entry) {
        InstallEntry(*run, entry);
        const auto link = ReadLink(folder_ + L"\\" + kLinkNames[entry]);
        ASSERT_TRUE(link.has_value()) << entry;
        EXPECT_EQ(link->path, L"C:\\Program Files\\Velmora\\velmora.exe");
        EXPECT_EQ(link->arguments, expected[entry].arguments);
        EXPECT_EQ(link->workingFolder, L"C:\\Program Files\\Velmora");
        EXPECT_EQ(link->hotKey, expected[entry].hotKey) << entry;
    }
    for (int entry = 0; entry < 4; ++entry) {
        UninstallEntry(*run, entry);
        EXPECT_FALSE(Exists(folder_ + L"\\" + kLinkNames[entry])) << entry;
        EXPECT_EQ(Exists(folder_), entry < 3) << entry;
    }
    EXPECT_TRUE(run->Close());
}

TEST_F(ShortcutTest, AShortcutThatCannotBeMadeOrRemovedLeavesTheEntryAsItWouldBeAndAddsASentence) {
    // A file where the folder should be.
    ASSERT_TRUE(WriteBytes(folder_, "not a folder"));
    std::optional<InstallerRun> run;
    ASSERT_NO_FATAL_FAILURE(StartInstaller(run));
    InstallEntry(*run, 1, L"ｼｮｰﾄｶｯﾄｷｰは設定できませんでした。");
    EXPECT_TRUE(MenuKeyExists(1));
    EXPECT_TRUE(ReadBytes(kInstallFolder + L"\\J_E.html"));
    EXPECT_TRUE(ReadBytes(folder_) == "not a folder");
    // With no shortcut there is nothing to remove: the usual message.
    InstallEntry(*run, 0, L"ｼｮｰﾄｶｯﾄｷｰは設定できませんでした。");
    UninstallEntry(*run, 1);
    EXPECT_FALSE(MenuKeyExists(1));

    // A shortcut that cannot be deleted.
    ASSERT_TRUE(DeleteFileW(folder_.c_str()));
    InstallEntry(*run, 3);
    const std::wstring link = folder_ + L"\\" + kLinkNames[3];
    ASSERT_TRUE(SetFileAttributesW(link.c_str(), FILE_ATTRIBUTE_READONLY));
    UninstallEntry(*run, 3, L"ｼｮｰﾄｶｯﾄｷｰは削除できませんでした。");
    EXPECT_FALSE(MenuKeyExists(3));
    EXPECT_FALSE(ReadBytes(kInstallFolder + L"\\J_E_if.html"));
    EXPECT_TRUE(Exists(link));
    SetFileAttributesW(link.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(run->Close());
}

}  // namespace
}  // namespace testsupport
