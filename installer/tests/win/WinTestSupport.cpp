#include "WinTestSupport.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace testsupport {

namespace fs = std::filesystem;

std::wstring ScratchFolder(const std::wstring& name) {
    const fs::path folder =
        fs::temp_directory_path() / (L"velmora-installer-" + name + L"-" + std::to_wstring(GetCurrentProcessId()));
    RemoveTree(folder.wstring());
    fs::create_directories(folder);
    return folder.wstring();
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(fs::path(path), std::ios::binary | std::ios::trunc);
    return static_cast<bool>(out << bytes << std::flush);
}

std::optional<std::string> ReadBytes(const std::wstring& path) {
    std::ifstream in(fs::path(path), std::ios::binary);
    return in ? std::optional(std::string(std::istreambuf_iterator<char>(in), {})) : std::nullopt;
}

void RemoveTree(const std::wstring& path) {
    std::error_code ignored;
    fs::remove_all(path, ignored);
}

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(fs::path(folder), error)) {
        names.push_back(entry.path().filename().wstring());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace testsupport

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
