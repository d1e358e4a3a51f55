// Small helpers for the installer's Windows tests: scratch folders and whole-file bytes.
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

// A fresh, empty folder under the temporary folder, one per name and process.
std::wstring ScratchFolder(const std::wstring& name);
bool WriteBytes(const std::wstring& path, const std::string& bytes);
std::optional<std::string> ReadBytes(const std::wstring& path);
// Deletes a folder with everything in it; nothing happens when it is missing.
void RemoveTree(const std::wstring& path);
// The names of what a folder holds, files and folders, sorted; empty when it is missing.
[[nodiscard]] std::vector<std::wstring> FilesIn(const std::wstring& folder);

}  // namespace testsupport
