// velmora.ini on a real (Wine) file system: creation, repair, damage, saves, held files and many processes at once.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "common/Handles.h"
#include "win/settings/ColorSettings.h"

namespace velmora {
namespace {

const std::string kDefault = "&H00C0FFFF\r\n&H0\r\n";

std::string ReadBytes(const std::wstring& path) {
    common::UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, 0));
    std::string bytes(4096, '\0');
    DWORD read = 0;
    if (!file || !ReadFile(file.get(), bytes.data(), 4096, &read, nullptr)) {
        return "<missing>";
    }
    bytes.resize(read);
    return bytes;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    common::UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
}

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &data)) {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            names.push_back(data.cFileName);
        }
    }
    if (find != INVALID_HANDLE_VALUE) {
        FindClose(find);
    }
    return names;
}

// A scratch install folder per test, removed afterwards.
class ColorSettingsTest : public testing::Test {
  protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"velmora-settings-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                  std::to_wstring(++count_);
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
        path_ = folder_ + L"\\velmora.ini";
    }
    void TearDown() override {
        for (const auto& name : FilesIn(folder_)) {
            DeleteFileW((folder_ + L"\\" + name).c_str());
        }
        RemoveDirectoryW(folder_.c_str());
    }
    // After any operation the folder holds the settings file and nothing else: no temp file is left behind.
    void ExpectOnlyTheSettingsFile() { EXPECT_EQ(FilesIn(folder_), std::vector<std::wstring>{L"velmora.ini"}); }

    static inline int count_ = 0;
    std::wstring folder_;
    std::wstring path_;
};

TEST_F(ColorSettingsTest, MissingFileIsCreatedWithTheDefaultBytes) {
    EXPECT_EQ(LoadColorSettings(folder_), std::nullopt);
    EXPECT_EQ(ReadBytes(path_), kDefault);
    ExpectOnlyTheSettingsFile();
    EXPECT_EQ(LoadColorSettings(folder_), (ColorPair{0x00C0FFFF, 0}));
}

TEST_F(ColorSettingsTest, ReadsValidFilesAndRewritesDamagedOnes) {
    const struct {
        std::string content;
        std::optional<ColorPair> colors;
        bool rewritten;
    } cases[] = {
        {"&HFF\r\n&HFFFFFF\r\n&H0\r\n", ColorPair{0xFF, 0xFFFFFF}, false},
        {"12648447\r\n0\r\n", ColorPair{0x00C0FFFF, 0}, false},
        {"&hff00\n 255 ", ColorPair{0xFF00, 0xFF}, false},
        {"H00C0FFFF\r\n&HFF\r\n", ColorPair{0x00C0FFFF, 0}, true},
        {"h00c0ffff\r\n&H0\r\n", std::nullopt, true},
        {"", std::nullopt, true},
        {"&HFF\r\n", std::nullopt, true},
        {"&HFF\r\nRed\r\n", std::nullopt, true},
        {"&HFF\r\n&H1000000\r\n", std::nullopt, true},
        {std::string("\0\xFF\xFE\r\n\x81\x40", 7), std::nullopt, true},
        {std::string(100000, '7'), std::nullopt, true},
    };
    for (const auto& c : cases) {
        WriteBytes(path_, c.content);
        EXPECT_EQ(LoadColorSettings(folder_), c.colors) << c.content.substr(0, 20);
        EXPECT_EQ(ReadBytes(path_), c.rewritten ? kDefault : c.content.substr(0, 4096)) << c.content.substr(0, 20);
        ExpectOnlyTheSettingsFile();
    }
}

TEST_F(ColorSettingsTest, NoInstallFolderKeepsDesignColoursAndSaveFails) {
    const std::wstring gone = folder_ + L"\\absent";
    EXPECT_EQ(LoadColorSettings(gone), std::nullopt);
    EXPECT_EQ(GetFileAttributesW(gone.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(SaveColorSettings("&HFF", "&H0", gone));
    EXPECT_TRUE(FilesIn(folder_).empty());
}

TEST_F(ColorSettingsTest, SaveWritesExactlyTheTwoLines) {
    WriteBytes(path_, "&H123456\r\n&H654321\r\nsomething longer that was here before\r\n");
    EXPECT_TRUE(SaveColorSettings("&HFFFF00", "&H0", folder_));
    EXPECT_EQ(ReadBytes(path_), "&HFFFF00\r\n&H0\r\n");
    ExpectOnlyTheSettingsFile();
    EXPECT_EQ(LoadColorSettings(folder_), (ColorPair{0xFFFF00, 0}));
}

TEST_F(ColorSettingsTest, SaveRefusesTextsThatAreNotColours) {
    WriteBytes(path_, kDefault);
    for (auto [background, text] : {std::pair{"Red", "&H0"}, {"&HFF\r\n&H0", "&H0"}, {"&H1000000", "&H0"}}) {
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(SaveColorSettings(background, text, folder_)) << background;
        EXPECT_NE(GetLastError(), 0xdeadbeefu);
    }
    EXPECT_EQ(ReadBytes(path_), kDefault);
    ExpectOnlyTheSettingsFile();
}

// Another process holding the file without sharing for a moment: both operations wait it out instead of failing
// (a failed read must not turn the user's colours back into the defaults).
TEST_F(ColorSettingsTest, BriefHoldsAreWaitedOut) {
    WriteBytes(path_, "&HFF\r\n&HFFFFFF\r\n");
    for (int round = 0; round < 2; ++round) {
        common::UniqueFile held(CreateFileW(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        std::thread release([&] {
            Sleep(300);
            held.reset();
        });
        if (round == 0) {
            EXPECT_EQ(LoadColorSettings(folder_), (ColorPair{0xFF, 0xFFFFFF}));
        } else {
            EXPECT_TRUE(SaveColorSettings("&HFF00", "&H0", folder_));
        }
        release.join();
    }
    EXPECT_EQ(ReadBytes(path_), "&HFF00\r\n&H0\r\n");
    ExpectOnlyTheSettingsFile();
}

// A file that cannot be read is not a damaged one: design colours, and the file stays as it is.
TEST_F(ColorSettingsTest, AFileThatCannotBeReadIsLeftAlone) {
    const std::string mine = "&HFF\r\n&HFFFFFF\r\n";
    WriteBytes(path_, mine);
    // Held without read sharing for longer than the retries (another program could replace it meanwhile).
    {
        common::UniqueFile held(
            CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        EXPECT_EQ(LoadColorSettings(folder_), std::nullopt);
    }
    EXPECT_EQ(ReadBytes(path_), mine);
    ExpectOnlyTheSettingsFile();

    // Access denied (here: a folder in the file's place) is final and not waited for.
    ASSERT_TRUE(DeleteFileW(path_.c_str()));
    ASSERT_TRUE(CreateDirectoryW(path_.c_str(), nullptr));
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(LoadColorSettings(folder_), std::nullopt);
    EXPECT_LT(GetTickCount64() - start, 300u);
    EXPECT_EQ(GetFileAttributesW(path_.c_str()) & FILE_ATTRIBUTE_DIRECTORY, DWORD{FILE_ATTRIBUTE_DIRECTORY});
    EXPECT_TRUE(RemoveDirectoryW(path_.c_str()));
}

TEST_F(ColorSettingsTest, SaveGivesUpOnALongHoldAndLeavesTheOldFile) {
    WriteBytes(path_, kDefault);
    common::UniqueFile held(CreateFileW(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    const ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(SaveColorSettings("&HFF", "&HFF", folder_));
    EXPECT_LT(GetTickCount64() - start, 5000u);
    held.reset();
    EXPECT_EQ(ReadBytes(path_), kDefault);
    ExpectOnlyTheSettingsFile();
}

std::wstring WorkerPath() {
    wchar_t self[MAX_PATH];
    const std::wstring path(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    return path.substr(0, path.rfind(L'\\') + 1) + L"settings_worker.exe";
}

// 20 processes loading and 5 saving at once: none fails, every read is one whole file of the colour table (the
// worker checks each round), and no temp file survives.
TEST_F(ColorSettingsTest, ManyProcessesLoadAndSaveAtOnce) {
    WriteBytes(path_, kDefault);
    const std::wstring worker = WorkerPath();
    std::vector<common::UniqueHandle> processes;
    std::vector<common::UniqueHandle> threads;
    for (int i = 0; i < 25; ++i) {
        std::wstring command =
            L"\"" + worker + L"\" " + (i < 20 ? L"load" : L"save") + L" \"" + folder_ + L"\" 40 " + std::to_wstring(i);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        ASSERT_TRUE(CreateProcessW(worker.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                                   nullptr, &startup, &info));
        processes.emplace_back(info.hProcess);
        threads.emplace_back(info.hThread);
    }
    for (const auto& thread : threads) {
        ResumeThread(thread.get());
    }
    const ULONGLONG deadline = GetTickCount64() + 120000;
    for (size_t i = 0; i < processes.size(); ++i) {
        const ULONGLONG now = GetTickCount64();
        const DWORD wait = WaitForSingleObject(processes[i].get(), now < deadline ? DWORD(deadline - now) : 0);
        DWORD code = 0;
        GetExitCodeProcess(processes[i].get(), &code);
        if (wait != WAIT_OBJECT_0) {
            TerminateProcess(processes[i].get(), 99);
        }
        EXPECT_EQ(wait, WAIT_OBJECT_0) << "worker " << i;
        EXPECT_EQ(code, 0u) << "worker " << i;
    }
    bool whole = false;
    for (const auto& entry : kColorNames) {
        whole = whole || ReadBytes(path_) == FormatSettingsText(entry.background, entry.text);
    }
    EXPECT_TRUE(whole) << ReadBytes(path_);
    ExpectOnlyTheSettingsFile();
}

// Until the user's own file exists, the colours chosen with an earlier version come from where it kept them: a
// standard user's VirtualStore copy first, then the file beside the program; a file that is not two colours is
// passed over. What is found is copied into the user's file; the older files are never written.
TEST_F(ColorSettingsTest, UsersFileFirstThenTheOlderPlacesInOrder) {
    const std::string red = "&HFF\r\n&HFFFFFF\r\n", green = "&HFF00\r\n&H0\r\n", blue = "&HFF0000\r\n&H0\r\n";
    const struct {
        std::optional<std::string> user, store, beside;
        std::optional<ColorPair> colors;
        std::string userAfter;
    } cases[] = {
        {red, green, blue, ColorPair{0xFF, 0xFFFFFF}, red},
        {{}, green, blue, ColorPair{0xFF00, 0}, green},
        {{}, {}, blue, ColorPair{0xFF0000, 0}, blue},
        {{}, "Red\r\n", blue, ColorPair{0xFF0000, 0}, blue},
        {{}, {}, {}, std::nullopt, kDefault},
        {"Red\r\n", green, blue, std::nullopt, kDefault},  // the user's own damaged file is repaired, not replaced
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::wstring root = folder_ + L"\\case" + std::to_wstring(++n);
        const std::wstring user = root + L"\\user", store = root + L"\\store", beside = root + L"\\beside";
        ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
        for (const auto& [folder, content] : {std::pair{user, c.user}, {store, c.store}, {beside, c.beside}}) {
            if (content) {
                ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
                WriteBytes(folder + L"\\velmora.ini", *content);
            }
        }
        EXPECT_EQ(LoadColorSettings(SettingsPlaces(user, {store, beside}, true)), c.colors) << n;
        EXPECT_EQ(ReadBytes(user + L"\\velmora.ini"), c.userAfter) << n;
        EXPECT_EQ(ReadBytes(store + L"\\velmora.ini"), c.store.value_or("<missing>")) << n;
        EXPECT_EQ(ReadBytes(beside + L"\\velmora.ini"), c.beside.value_or("<missing>")) << n;
        std::filesystem::remove_all(root);
    }
}

// By default a client writes in the user's roaming folder (made on the first save) and reads the older places after
// it; without a usable profile folder it keeps the file beside the program, as earlier versions did. The profile
// folders here are the test's own: Wine has no file virtualization to show the real VirtualStore.
TEST_F(ColorSettingsTest, DefaultPlacesFollowTheUsersProfile) {
    const std::wstring roaming = folder_ + L"\\roaming", local = folder_ + L"\\local";
    ASSERT_TRUE(CreateDirectoryW(roaming.c_str(), nullptr));
    const std::wstring savedRoaming = _wgetenv(L"APPDATA") ? _wgetenv(L"APPDATA") : L"";
    const std::wstring savedLocal = _wgetenv(L"LOCALAPPDATA") ? _wgetenv(L"LOCALAPPDATA") : L"";
    SetEnvironmentVariableW(L"APPDATA", roaming.c_str());
    SetEnvironmentVariableW(L"LOCALAPPDATA", local.c_str());
    const std::wstring program = WorkerPath().substr(0, WorkerPath().rfind(L'\\'));

    const SettingsPlaces places = UserSettingsPlaces();
    EXPECT_EQ(places.folder, roaming + L"\\Velmora");
    EXPECT_EQ(places.older, (std::vector<std::wstring>{local + L"\\VirtualStore\\Program Files\\Velmora", program}));
    EXPECT_TRUE(SaveColorSettings("&HFF", "&HFFFFFF"));
    EXPECT_EQ(ReadBytes(roaming + L"\\Velmora\\velmora.ini"), "&HFF\r\n&HFFFFFF\r\n");
    EXPECT_EQ(LoadColorSettings(), (ColorPair{0xFF, 0xFFFFFF}));

    SetEnvironmentVariableW(L"APPDATA", L"Roaming");
    EXPECT_EQ(UserSettingsPlaces().folder, program);

    SetEnvironmentVariableW(L"APPDATA", savedRoaming.empty() ? nullptr : savedRoaming.c_str());
    SetEnvironmentVariableW(L"LOCALAPPDATA", savedLocal.empty() ? nullptr : savedLocal.c_str());
    std::filesystem::remove_all(roaming);
}

}  // namespace
}  // namespace velmora

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
