// The version written once in CMake must be the one both programs carry, in numbers and in text, and the one the
// installer's update decision reads from the client.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Update.h"
#include "velmora_version.h"
#include "win/Automation.h"
#include "win/FileOps.h"

namespace installer {
namespace {

constexpr FileVersion kReleaseVersion{{VELMORA_VERSION_MAJOR, VELMORA_VERSION_MINOR, VELMORA_VERSION_PATCH, 0}};

// A string of the version resource's Japanese/Unicode table, as Explorer's properties page shows it.
std::wstring VersionString(const std::wstring& path, const wchar_t* name) {
    DWORD ignored = 0;
    std::vector<BYTE> block(GetFileVersionInfoSizeW(path.c_str(), &ignored));
    wchar_t* text = nullptr;
    UINT length = 0;
    if (block.empty() || !GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()) ||
        !VerQueryValueW(block.data(), (std::wstring(L"\\StringFileInfo\\041104B0\\") + name).c_str(),
                        reinterpret_cast<void**>(&text), &length) ||
        !text) {
        return L"(none)";
    }
    return text;
}

// The program's embedded manifest, as bytes.
std::string Manifest(const std::wstring& path) {
    const HMODULE module =
        LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    std::string text;
    if (const HRSRC found = module ? FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST) : nullptr) {
        if (const void* bytes = LockResource(LoadResource(module, found))) {
            text.assign(static_cast<const char*>(bytes), SizeofResource(module, found));
        }
    }
    if (module) {
        FreeLibrary(module);
    }
    return text;
}

TEST(ReleaseVersion, BothProgramsCarryTheCMakeVersion) {
    for (const char* program : {CLIENT_EXE, INSTALL_EXE}) {
        const std::wstring path = automation::WindowsPath(program);
        EXPECT_EQ(FileVersionOf(path), kReleaseVersion) << program;
        EXPECT_EQ(VersionString(path, L"FileVersion"), VELMORA_VERSION_TEXT_W) << program;
        EXPECT_EQ(VersionString(path, L"ProductVersion"), VELMORA_VERSION_TEXT_W) << program;
        EXPECT_NE(Manifest(path).find("\" version=\"" VELMORA_VERSION_TEXT "\""), std::string::npos) << program;
    }
}

// The next release (a stand-in built with the CMake version's patch number plus one) replaces this one even though
// it is smaller, and this one never goes over it.
TEST(ReleaseVersion, UpdateDecisionReadsItFromTheClient) {
    const std::wstring release = automation::WindowsPath(CLIENT_EXE);
    const std::wstring next = automation::WindowsPath(STUB_NEXT_CLIENT);
    const ClientFile releaseFile{FileSizeOf(release), FileVersionOf(release)};
    const ClientFile nextFile{FileSizeOf(next), FileVersionOf(next)};
    ASSERT_LT(nextFile.size, releaseFile.size);
    EXPECT_TRUE(ShouldUpdateClient(nextFile, releaseFile));
    EXPECT_FALSE(ShouldUpdateClient(releaseFile, nextFile));
}

}  // namespace
}  // namespace installer
