// The real Install.exe makes and removes the entries' Start Menu shortcuts; read back through the shell, as
// Windows' own shell reads them to start them by their keys.
#include <windows.h>
#include <objbase.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include "InstallerDriver.h"
#include "WinTestSupport.h"
#include "win/Shortcuts.h"

namespace testsupport {
namespace {

// Target, arguments, working folder and hot key as one line, or "(unreadable)".
std::wstring ReadLink(const std::wstring& file) {
    std::wstring read = L"(unreadable)";
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkW* link = nullptr;
    IPersistFile* persist = nullptr;
    wchar_t path[MAX_PATH] = {}, arguments[1024] = {}, folder[MAX_PATH] = {};
    WORD hotKey = 0;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_PPV_ARGS(&persist))) && SUCCEEDED(persist->Load(file.c_str(), STGM_READ)) &&
        SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
        SUCCEEDED(link->GetArguments(arguments, 1024)) && SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH)) &&
        SUCCEEDED(link->GetHotkey(&hotKey))) {
        read = std::wstring(path) + L" " + arguments + L" in " + folder + L" key " + std::to_wstring(hotKey);
    }
    for (IUnknown* p : {static_cast<IUnknown*>(persist), static_cast<IUnknown*>(link)}) {
        if (p) {
            p->Release();
        }
    }
    CoUninitialize();
    return read;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

const std::wstring kNotSet = L"ｼｮｰﾄｶｯﾄｷｰは設定できませんでした。", kNotRemoved = L"ｼｮｰﾄｶｯﾄｷｰは削除できませんでした。";

// Install.exe started on a fresh machine (it installs the client first). The suite's shared state (install folder,
// menu keys, shortcut folder) is saved and put back by the environment of install_exe_test.cpp, in this program.
class ShortcutTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearInstallation();
        stage_ = ScratchFolder(L"stage");
        for (const auto& [from, name] : {std::pair{INSTALL_EXE, L"Install.exe"}, {CLIENT_EXE, L"velmora.exe"}}) {
            ASSERT_TRUE(CopyFileW(automation::WindowsPath(from).c_str(), (stage_ + L"\\" + name).c_str(), FALSE));
        }
        run_.emplace(stage_);
        ASSERT_NO_FATAL_FAILURE(run_->Answer(L"Velmora", L"本体をインストールします", Box::Ok, IDOK));
        ASSERT_TRUE(run_->WaitForForm());
    }
    void TearDown() override {
        if (run_) {
            EXPECT_TRUE(run_->Close());
            run_.reset();
        }
        ClearInstallation();
        RemoveTree(stage_);
    }

    [[nodiscard]] std::wstring Link(int entry) const { return folder_ + L"\\" + kLinkNames[entry]; }

    std::wstring stage_, folder_ = ShortcutFolder();
    std::optional<InstallerRun> run_;
};

TEST_F(ShortcutTest, EachInstalledEntryHasItsShortcutKeyUntilItsUninstallAndTheLastTakesTheFolder) {
    const std::wstring target = L"C:\\Program Files\\Velmora\\velmora.exe ";
    const std::wstring in = L" in C:\\Program Files\\Velmora key ";
    const int ctrlAlt = (HOTKEYF_CONTROL | HOTKEYF_ALT) << 8, ctrlShiftAlt = ctrlAlt | HOTKEYF_SHIFT << 8;
    const std::wstring expected[4] = {
        target + L"/selection EJhnA" + in + std::to_wstring(ctrlAlt | 'E'),
        target + L"/selection JEhnA" + in + std::to_wstring(ctrlAlt | 'J'),
        target + L"/selection EJIFA" + in + std::to_wstring(ctrlShiftAlt | 'E'),
        target + L"/selection JEIFA" + in + std::to_wstring(ctrlShiftAlt | 'J'),
    };
    for (int entry = 0; entry < 4; ++entry) {
        EXPECT_TRUE(run_->InstallEntry(entry)) << entry;
        EXPECT_EQ(ReadLink(Link(entry)), expected[entry]);
        // Shared by all entries: the service window without a key, and the selection start that picks the direction.
        EXPECT_EQ(ReadLink(Link(5)), target + L"/settings" + in + L"0");
        EXPECT_EQ(ReadLink(Link(4)),
                  target + L"/selection auto" + in + std::to_wstring(ctrlAlt | 'T'));
    }
    for (int entry = 0; entry < 4; ++entry) {
        EXPECT_TRUE(run_->UninstallEntry(entry)) << entry;
        EXPECT_FALSE(Exists(Link(entry))) << entry;
        EXPECT_EQ(Exists(folder_), entry < 3) << entry;
    }
}

TEST_F(ShortcutTest, AShortcutThatCannotBeMadeOrRemovedLeavesTheEntryAsItWouldBeAndAddsASentence) {
    // A folder where a shared shortcut should be.
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr) && CreateDirectoryW(Link(4).c_str(), nullptr));
    EXPECT_TRUE(run_->InstallEntry(2, kNotSet));
    ASSERT_TRUE(RemoveDirectoryW(Link(4).c_str()));
    EXPECT_TRUE(run_->UninstallEntry(2));
    ASSERT_TRUE(WriteBytes(folder_, "not a folder"));  // a file where the folder should be
    EXPECT_TRUE(run_->InstallEntry(1, kNotSet));
    EXPECT_TRUE(MenuKeyExists(1));
    EXPECT_TRUE(ReadBytes(kInstallFolder + L"\\J_E.html"));
    EXPECT_TRUE(ReadBytes(folder_) == "not a folder");
    EXPECT_TRUE(run_->InstallEntry(0, kNotSet));
    EXPECT_TRUE(run_->UninstallEntry(1));  // with no shortcut there is nothing to remove: the usual message
    EXPECT_FALSE(MenuKeyExists(1));

    ASSERT_TRUE(DeleteFileW(folder_.c_str()));
    EXPECT_TRUE(run_->InstallEntry(3));
    ASSERT_TRUE(SetFileAttributesW(Link(3).c_str(), FILE_ATTRIBUTE_READONLY));  // a shortcut that cannot be deleted
    EXPECT_TRUE(run_->UninstallEntry(3, kNotRemoved));
    EXPECT_FALSE(MenuKeyExists(3));
    EXPECT_FALSE(ReadBytes(kInstallFolder + L"\\J_E_if.html"));
    EXPECT_TRUE(Exists(Link(3)));
    SetFileAttributesW(Link(3).c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A shortcut the user deleted (to free its key) stays deleted at the next start; installing its entry again makes
// it again, and a shared one comes back only with the first entry after the last went.
TEST_F(ShortcutTest, ADeletedShortcutStaysDeletedUntilItsEntryIsInstalledAgain) {
    EXPECT_TRUE(run_->InstallEntry(0));
    EXPECT_TRUE(run_->InstallEntry(1));
    ASSERT_TRUE(DeleteFileW(Link(0).c_str()) && DeleteFileW(Link(4).c_str()));
    EXPECT_TRUE(run_->Close());
    run_.emplace(stage_);
    ASSERT_TRUE(run_->WaitForForm());
    EXPECT_FALSE(Exists(Link(0)) || Exists(Link(4)));
    EXPECT_TRUE(Exists(Link(1)) && Exists(Link(5)));
    EXPECT_TRUE(run_->UninstallEntry(0));
    EXPECT_TRUE(run_->InstallEntry(0));
    EXPECT_TRUE(Exists(Link(0)));
    EXPECT_FALSE(Exists(Link(4)));
    EXPECT_TRUE(run_->UninstallEntry(0) && run_->UninstallEntry(1));
    EXPECT_TRUE(run_->InstallEntry(1));
    EXPECT_TRUE(Exists(Link(1)) && Exists(Link(4)));
}

// A folder made for a shortcut that then cannot be saved goes again.
TEST(StartMenu, AShortcutThatCannotBeSavedTakesTheFolderItMade) {
    const std::wstring folder = ScratchFolder(L"startmenu") + L"\\Velmora";
    installer::Shortcut unsavable = installer::SharedShortcuts()[0];
    unsavable.fileName = u"no such folder\\x.lnk";
    EXPECT_FALSE(installer::WinStartMenu(folder).CreateShortcut(unsavable));
    EXPECT_FALSE(Exists(folder));
    RemoveTree(ScratchFolder(L"startmenu"));
}

}  // namespace
}  // namespace testsupport
