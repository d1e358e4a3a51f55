// The release zip as a user gets it: package_test.sh unzips it into a fresh folder of a fresh prefix and names
// that folder in VELMORA_PACKAGE_FOLDER. From there Install.exe installs the client and the first entry, and the
// installed menu script, run by Windows' own script host, hands the selection to the installed client.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "InstallerDriver.h"
#include "WinTestSupport.h"
#include "standin/Standin.h"
#include "velmora_version.h"
#include "win/FileOps.h"

namespace testsupport {
namespace {

std::wstring Environment(const wchar_t* name) {
    wchar_t value[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableW(name, value, MAX_PATH);
    return n > 0 && n < MAX_PATH ? value : L"";
}

std::wstring PackageFolder() {
    return Environment(L"VELMORA_PACKAGE_FOLDER");
}

struct ZipEntry {
    std::string name;
    int madeOn;  // the high byte of "version made by": 0 MS-DOS, 3 Unix
    std::uint32_t attributes;
    int method;  // 0 stored, 8 deflated
    friend bool operator==(const ZipEntry&, const ZipEntry&) = default;
    friend std::ostream& operator<<(std::ostream& out, const ZipEntry& e) {
        return out << e.name << " made on " << e.madeOn << ", attributes 0x" << std::hex << e.attributes << std::dec
                   << ", method " << e.method;
    }
};

// The zip's central directory in its own order, read by hand: the unpacking tools hide order and origin.
std::vector<ZipEntry> CentralDirectory(const std::string& zip) {
    const auto u16 = [&](size_t at) { return std::uint32_t(std::uint8_t(zip[at]) | std::uint8_t(zip[at + 1]) << 8); };
    const auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
    std::vector<ZipEntry> entries;
    const size_t end = zip.rfind("PK\x05\x06");
    if (end == std::string::npos || end + 22 > zip.size()) {
        return entries;
    }
    size_t at = u32(end + 16);
    for (std::uint32_t n = u16(end + 10); n > 0 && at + 46 <= zip.size() && zip.compare(at, 4, "PK\x01\x02") == 0;
         --n) {
        const size_t nameLength = u16(at + 28);
        entries.push_back({zip.substr(at + 46, nameLength), std::uint8_t(zip[at + 5]), u32(at + 38), int(u16(at + 10))});
        at += 46 + nameLength + u16(at + 30) + u16(at + 32);
    }
    return entries;
}

// Every line break is CR LF: no LF alone, no CR alone.
bool OnlyCrLf(const std::string& text) {
    std::ptrdiff_t pairs = 0;
    for (auto at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) {
        ++pairs;
    }
    return pairs > 0 && pairs == std::count(text.begin(), text.end(), '\r') &&
           pairs == std::count(text.begin(), text.end(), '\n');
}

// The lines of the script's VBScript block, without its opening and closing tags.
std::vector<std::string> VbScriptBlock(const std::string& script) {
    std::vector<std::string> block;
    bool inside = false;
    for (size_t start = 0, end; (end = script.find("\r\n", start)) != std::string::npos; start = end + 2) {
        const std::string line = script.substr(start, end - start);
        if (line == "<script language=\"VBScript\" defer>") {
            inside = true;
        } else if (inside && line == "</SCRIPT>") {
            break;
        } else if (inside) {
            block.push_back(line);
        }
    }
    return block;
}

// In the order the build names them, each made on MS-DOS with the archive attribute only, as the zip writer says,
// and stored (no deflater's choices in the bytes).
TEST(Package, EntriesInTheirOrderWithWindowsAttributes) {
    const std::string zip = ReadBytes(Environment(L"VELMORA_PACKAGE_ZIP")).value_or("");
    ASSERT_FALSE(zip.empty()) << "VELMORA_PACKAGE_ZIP is not set: run this test through package_test.sh";
    EXPECT_EQ(CentralDirectory(zip), (std::vector<ZipEntry>{{"Install.exe", 0, 0x20, 0},
                                                            {"velmora.exe", 0, 0x20, 0},
                                                            {"LICENSE.txt", 0, 0x20, 0},
                                                            {"THIRD-PARTY.txt", 0, 0x20, 0},
                                                            {"README-ja.txt", 0, 0x20, 0}}));
}

TEST(Package, HoldsTheFilesAsAWindowsUserNeedsThem) {
    const std::wstring folder = PackageFolder();
    ASSERT_FALSE(folder.empty()) << "VELMORA_PACKAGE_FOLDER is not set: run this test through package_test.sh";
    EXPECT_EQ(FilesIn(folder), (std::vector<std::wstring>{L"Install.exe", L"LICENSE.txt", L"README-ja.txt",
                                                          L"THIRD-PARTY.txt", L"velmora.exe"}));
    const std::string readme = ReadBytes(folder + L"\\README-ja.txt").value_or("");
    EXPECT_EQ(readme.rfind("\xEF\xBB\xBF", 0), 0u) << "no byte-order mark";
    EXPECT_TRUE(OnlyCrLf(readme));
    // Notepad shows the guide as UTF-8 only when every byte sequence is valid UTF-8.
    EXPECT_GT(
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, readme.data(), static_cast<int>(readme.size()), nullptr, 0),
        0);
    const std::string license = ReadBytes(folder + L"\\LICENSE.txt").value_or("");
    EXPECT_EQ(license.rfind("MIT License\r\n", 0), 0u);
    EXPECT_TRUE(OnlyCrLf(license));
    const std::string notices = ReadBytes(folder + L"\\THIRD-PARTY.txt").value_or("");
    EXPECT_NE(notices.find("GCC RUNTIME LIBRARY EXCEPTION\r\n"), std::string::npos);
    // RapidJSON's notice as its compiled headers carry it.
    EXPECT_NE(notices.find("Copyright (C) 2015 THL A29 Limited, a Tencent company, and Milo Yip."), std::string::npos);
    EXPECT_TRUE(OnlyCrLf(notices));

    // The zip's name (the folder is named after it) and both programs carry the version CMake was given.
    const installer::FileVersion version{{VELMORA_VERSION_MAJOR, VELMORA_VERSION_MINOR, VELMORA_VERSION_PATCH, 0}};
    EXPECT_EQ(folder.substr(folder.rfind(L'\\') + 1), L"velmora-" + std::to_wstring(VELMORA_VERSION_MAJOR) + L"." +
                                                           std::to_wstring(VELMORA_VERSION_MINOR) + L"." +
                                                           std::to_wstring(VELMORA_VERSION_PATCH) + L"-win64");
    for (const wchar_t* program : {L"\\Install.exe", L"\\velmora.exe"}) {
        EXPECT_EQ(installer::FileVersionOf(folder + program), version) << program;
    }
}

TEST(Package, InstallsTheFirstEntryAndTheMenuScriptHandsOverToTheClient) {
    const std::wstring folder = PackageFolder();
    ASSERT_FALSE(folder.empty());
    {
        InstallerRun run(folder);
        ASSERT_NO_FATAL_FAILURE(run.Answer(L"Velmora", L"本体をインストールします", Box::Ok, IDOK));
        ASSERT_TRUE(run.WaitForForm());
        EXPECT_TRUE(run.InstallEntry(0));
        EXPECT_TRUE(run.Close());
    }
    EXPECT_EQ(ReadBytes(kInstalledClient), ReadBytes(folder + L"\\velmora.exe"));

    // What the browser's first block leaves in `url` for the selection, then the installed script's second block.
    const auto block = VbScriptBlock(ReadBytes(kInstallFolder + L"\\E_J.html").value_or(""));
    ASSERT_FALSE(block.empty());
    std::string vbs = "url = \"Hello world\"\r\n";
    for (const std::string& line : block) {
        vbs += line + "\r\n";
    }
    const std::wstring scratch = ScratchFolder(L"package");
    ASSERT_TRUE(WriteBytes(scratch + L"\\block.vbs", vbs));

    standin::Server server;
    ASSERT_TRUE(server.Start());
    auto host = automation::Launch(L"C:\\windows\\system32\\cscript.exe //nologo \"" + scratch + L"\\block.vbs\"",
                                   {{L"VELMORA_EXCITE_HOST", server.HostW()}});
    ASSERT_TRUE(host);
    EXPECT_TRUE(host->WaitExit(kWaitMs));
    // The popup of whichever client the script started: the prefix is fresh, nothing else runs in it.
    HWND popup = nullptr;
    ASSERT_TRUE(automation::WaitUntil(
        [&] { return (popup = FindWindowW(L"VelmoraForm2", nullptr)) != nullptr && IsWindowVisible(popup); }, 30000));
    EXPECT_EQ(automation::WindowText(FindWindowExW(popup, nullptr, L"Edit", nullptr)), L"こんにちは、世界");
    EXPECT_EQ(server.RequestLines().size(), 1u);
    PostMessageW(popup, WM_CLOSE, 0, 0);
    RemoveTree(scratch);
}

}  // namespace
}  // namespace testsupport
