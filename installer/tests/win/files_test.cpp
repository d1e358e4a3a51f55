#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "WinTestSupport.h"
#include "common/Handles.h"
#include "win/Automation.h"
#include "win/FileOps.h"
#include "win/MenuScriptFile.h"

namespace installer {
namespace {

std::vector<std::string> CrLfLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(bytes.substr(start, end - start));
    }
    EXPECT_EQ(start, bytes.size()) << "bytes after the last line break";
    return lines;
}

TEST(WriteMenuScript, WritesTwentyThreeCrLfLinesInCodePage932) {
    const std::wstring path = testsupport::ScratchFolder(L"script") + L"\\J_E_if.html";
    ASSERT_TRUE(testsupport::WriteBytes(path, std::string(5000, 'z')));  // a longer old file must not show through
    ASSERT_TRUE(WriteMenuScript(path, u"JEIFA"));
    const auto bytes = testsupport::ReadBytes(path);
    ASSERT_TRUE(bytes);
    const auto lines = CrLfLines(*bytes);
    ASSERT_EQ(lines.size(), 23u);
    EXPECT_EQ(lines[0], "<script language=\"JavaScript\" defer>");
    EXPECT_EQ(lines[8], "// \x8C\xBB\x8D\xDD\x82\xCC URL");  // 現在の in Shift_JIS
    EXPECT_EQ(lines[21],
              "WshShell.Run Chr(34) & \"C:\\Program Files\\Velmora\\velmora.exe\" & Chr(34) & \" JEIFA\" & url , 1");
    EXPECT_EQ(lines[22], "</SCRIPT>");
    for (size_t i = 0; i < lines.size(); ++i) {
        for (char c : lines[i]) {
            EXPECT_TRUE(i == 8 || static_cast<unsigned char>(c) < 0x80) << "line " << i + 1;
            EXPECT_TRUE(c != '\r' && c != '\n') << "line " << i + 1;
        }
    }
    ASSERT_TRUE(WriteMenuScript(path, u"JEIFA"));
    EXPECT_EQ(testsupport::ReadBytes(path), bytes);
}

TEST(WriteMenuScript, FailsWithoutItsFolder) {
    const std::wstring path = testsupport::ScratchFolder(L"script") + L"\\missing\\E_J.html";
    EXPECT_FALSE(WriteMenuScript(path, u"EJhnA"));
    EXPECT_FALSE(IsOrdinaryFile(path));
}

TEST(FileOps, OrdinaryFilesAndTheOneFolderSearch) {
    const std::wstring folder = testsupport::ScratchFolder(L"files");
    struct Case {
        const wchar_t* name;
        DWORD attributes;
        bool ordinary;
    };
    for (const Case& c :
         {Case{L"plain.exe", FILE_ATTRIBUTE_NORMAL, true}, Case{L"readonly.exe", FILE_ATTRIBUTE_READONLY, true},
          Case{L"hidden.exe", FILE_ATTRIBUTE_HIDDEN, false}, Case{L"system.exe", FILE_ATTRIBUTE_SYSTEM, false}}) {
        const std::wstring path = folder + L"\\" + c.name;
        ASSERT_TRUE(testsupport::WriteBytes(path, "abc"));
        SetFileAttributesW(path.c_str(), c.attributes);
        EXPECT_EQ(IsOrdinaryFile(path), c.ordinary) << path;
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);  // so that the folder can go
    }
    EXPECT_FALSE(IsOrdinaryFile(folder));
    EXPECT_EQ(FileSizeOf(folder + L"\\plain.exe"), 3u);
    EXPECT_EQ(FileSizeOf(folder + L"\\none.exe"), std::nullopt);

    EXPECT_TRUE(FindInFolder(folder, L"plain", L".exe"));
    EXPECT_FALSE(FindInFolder(folder, L"none", L".exe"));
    // Only the given folder counts, not the system's search path.
    EXPECT_FALSE(FindInFolder(folder, L"notepad", L".exe"));
    testsupport::RemoveTree(folder);
}

TEST(FileOps, FileVersionComesFromTheVersionResource) {
    const std::wstring folder = testsupport::ScratchFolder(L"version");
    ASSERT_TRUE(testsupport::WriteBytes(folder + L"\\text.exe", "MZ not really"));
    EXPECT_EQ(FileVersionOf(folder + L"\\text.exe"), std::nullopt);
    EXPECT_EQ(FileVersionOf(folder + L"\\none.exe"), std::nullopt);
    EXPECT_EQ(FileVersionOf(automation::WindowsPath(STUB_NEW_CLIENT)), (FileVersion{{2, 1, 0, 7}}));
    EXPECT_EQ(FileVersionOf(automation::WindowsPath(STUB_OLD_CLIENT)), (FileVersion{{1, 0, 0, 0}}));
    testsupport::RemoveTree(folder);
}

// A copy or a write that fails leaves the old file whole and no temporary file beside it; one that works
// replaces the file. "Locked": held open as a running program's file is (Windows refuses to replace either).
TEST(FileOps, CopyAndWriteReplaceTheFileWholeOrLeaveItAlone) {
    struct Case {
        const wchar_t* what;
        bool write, lockSource, lockTarget, noSource;
        DWORD error;
    };
    const Case cases[] = {
        {L"copy", false, false, false, false, ERROR_SUCCESS},
        {L"copy from a locked file", false, true, false, false, ERROR_SHARING_VIOLATION},
        {L"copy over a locked file", false, false, true, false, ERROR_ACCESS_DENIED},
        {L"copy from nothing", false, false, false, true, ERROR_FILE_NOT_FOUND},
        {L"write", true, false, false, false, ERROR_SUCCESS},
        {L"write over a locked file", true, false, true, false, ERROR_ACCESS_DENIED},
    };
    for (const Case& c : cases) {
        const std::wstring folder = testsupport::ScratchFolder(L"replace");
        const std::wstring source = folder + L"\\new.bin", target = folder + L"\\target.bin";
        ASSERT_TRUE(testsupport::WriteBytes(target, std::string(5000, 'o')));
        if (!c.noSource) {
            ASSERT_TRUE(testsupport::WriteBytes(source, "new"));
        }
        const auto lock = [](bool on, const std::wstring& path, DWORD share) {
            return common::UniqueFile(
                on ? CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr) : nullptr);
        };
        const auto sourceLock = lock(c.lockSource, source, 0), targetLock = lock(c.lockTarget, target, FILE_SHARE_READ);
        const DWORD error = c.write ? WriteFileOver(target, "new") : CopyFileOver(source, target);
        EXPECT_EQ(error, c.error) << c.what;
        EXPECT_EQ(testsupport::ReadBytes(target), error ? std::string(5000, 'o') : "new") << c.what;
        const std::vector<std::wstring> left{L"new.bin", L"target.bin"};
        EXPECT_EQ(testsupport::FilesIn(folder), std::vector(left.begin() + c.noSource, left.end())) << c.what;
        testsupport::RemoveTree(folder);
    }
    EXPECT_NE(WriteFileOver(testsupport::ScratchFolder(L"replace") + L"\\missing\\x.html", "x"), ERROR_SUCCESS);
}

}  // namespace
}  // namespace installer
