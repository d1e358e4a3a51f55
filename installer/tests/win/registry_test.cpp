#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "WinTestSupport.h"
#include "common/Handles.h"
#include "common/Text.h"
#include "win/Module1.h"

namespace installer {
namespace {

const std::wstring kCaption = L"Velmora\u3000選択範囲を英日翻訳(Excite)(&E)";

// Every test works under a fresh scratch key of its own, removed afterwards.
class Module1Test : public ::testing::Test {
  protected:
    void SetUp() override {
        scratchName_ = L"Software\\VelmoraInstallerTest-" + std::to_wstring(GetCurrentProcessId());
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, scratchName_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        root_.reset(key);
        script_ = testsupport::ScratchFolder(L"registry") + L"\\E_J.html";
        ASSERT_TRUE(testsupport::WriteBytes(script_, "x"));
    }
    void TearDown() override {
        root_.reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, scratchName_.c_str());
    }

    [[nodiscard]] bool KeyOpens(const std::wstring& path) const {
        HKEY key = nullptr;
        const bool opened = RegOpenKeyExW(root_.get(), path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
        if (opened) {
            RegCloseKey(key);
        }
        return opened;
    }
    [[nodiscard]] std::wstring EntryPath() const { return std::wstring(kMenuExtKey) + L"\\" + kCaption; }

    common::UniqueKey root_;
    std::wstring scratchName_;
    std::wstring script_;
};

TEST_F(Module1Test, AddWritesExactlyTheTwoValuesAndAgainGivesTheSame) {
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(AddMenuExtEntry(root_.get(), kCaption, script_)) << round;
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExW(root_.get(), EntryPath().c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
        const common::UniqueKey entry(key);

        wchar_t path[MAX_PATH];
        std::fill(std::begin(path), std::end(path), L'\xCCCC');  // canary: the stored size must hold the NUL
        DWORD type = 0, size = sizeof path;
        ASSERT_EQ(RegQueryValueExW(entry.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(path), &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(size, (script_.size() + 1) * sizeof(wchar_t));
        EXPECT_EQ(std::wstring(path, script_.size()), script_);
        EXPECT_EQ(path[script_.size()], L'\0');

        DWORD contexts = 0;
        size = sizeof contexts;
        ASSERT_EQ(RegQueryValueExW(entry.get(), L"contexts", nullptr, &type, reinterpret_cast<BYTE*>(&contexts), &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(contexts, 0x3Fu);

        DWORD subkeys = 99, values = 99;
        ASSERT_EQ(RegQueryInfoKeyW(entry.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                                   nullptr, nullptr, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(subkeys, 0u);
        EXPECT_EQ(values, 2u);
    }
}

// On a Japanese system the key and the path are what the code-page forms of the calls see.
TEST_F(Module1Test, TheAnsiViewSeesTheSameKeyAndPath) {
    ASSERT_EQ(GetACP(), 932u);
    ASSERT_TRUE(AddMenuExtEntry(root_.get(), kCaption, script_));
    const std::string ansiPath = common::ToCodePage(EntryPath(), CP_ACP);
    ASSERT_EQ(ansiPath.find('?'), std::string::npos);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(root_.get(), ansiPath.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    const common::UniqueKey entry(key);
    char value[MAX_PATH] = {};
    DWORD size = sizeof value;
    ASSERT_EQ(RegQueryValueExA(entry.get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::string(value), common::ToCodePage(script_, CP_ACP));
}

TEST_F(Module1Test, ExistsAndDeleteFollowTheKeyAndKeepMenuExt) {
    EXPECT_FALSE(MenuExtEntryExists(root_.get(), kCaption));
    EXPECT_FALSE(DeleteMenuExtEntry(root_.get(), kCaption));  // MenuExt itself is missing
    ASSERT_TRUE(AddMenuExtEntry(root_.get(), kCaption, script_));
    EXPECT_TRUE(MenuExtEntryExists(root_.get(), kCaption));
    EXPECT_FALSE(MenuExtEntryExists(root_.get(), kCaption + L"x"));
    EXPECT_TRUE(DeleteMenuExtEntry(root_.get(), kCaption));
    EXPECT_FALSE(MenuExtEntryExists(root_.get(), kCaption));
    EXPECT_FALSE(DeleteMenuExtEntry(root_.get(), kCaption));
    EXPECT_TRUE(KeyOpens(kMenuExtKey));
    // An empty caption must never reach MenuExt itself.
    EXPECT_FALSE(DeleteMenuExtEntry(root_.get(), L""));
    EXPECT_FALSE(MenuExtEntryExists(root_.get(), L""));
    EXPECT_TRUE(KeyOpens(kMenuExtKey));
}

TEST_F(Module1Test, AddWithoutAnOrdinaryScriptLeavesTheRegistryUntouched) {
    const std::wstring folder = testsupport::ScratchFolder(L"registry");
    const std::wstring hidden = folder + L"\\hidden.html";
    ASSERT_TRUE(testsupport::WriteBytes(hidden, "x"));
    ASSERT_TRUE(SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
    for (const std::wstring& path : {folder + L"\\missing.html", hidden, folder}) {
        EXPECT_FALSE(AddMenuExtEntry(root_.get(), kCaption, path));
        EXPECT_FALSE(KeyOpens(L"Software"));
    }
    EXPECT_FALSE(AddMenuExtEntry(root_.get(), L"", script_));
    EXPECT_FALSE(KeyOpens(L"Software"));
    SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
}  // namespace installer
