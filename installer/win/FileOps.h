// File operations of the installer. Each reports whether it worked; the commands decide to pass failures over.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/Update.h"

namespace installer {

// An existing file that is neither a folder nor hidden nor a system file.
[[nodiscard]] bool IsOrdinaryFile(const std::wstring& path);
[[nodiscard]] std::optional<std::uint64_t> FileSizeOf(const std::wstring& path);
// The file version of the VERSIONINFO resource; empty for a file without one. Read with kernel32 alone: the file is
// mapped as data, never run, and no version library is loaded by the elevated installer.
[[nodiscard]] std::optional<FileVersion> FileVersionOf(const std::wstring& path);
// Looks for name + extension in that one folder only, as SearchPath does with a path of its own.
[[nodiscard]] bool FindInFolder(const std::wstring& folder, const std::wstring& name, const std::wstring& extension);
[[nodiscard]] bool CreateFolder(const std::wstring& path);
// Copies the file's data to a temporary name in the target's folder, flushes it and renames it over the target, so
// a failure at any point leaves the old target whole. Only the data goes across: neither the source's alternate
// streams (the Mark of the Web of a downloaded file) nor its attributes (read-only). ERROR_SUCCESS, or the error
// of the step that failed.
[[nodiscard]] DWORD CopyFileOver(const std::wstring& from, const std::wstring& to);
// Writes the bytes the same way: a temporary file beside the target, flushed, then renamed over it.
[[nodiscard]] DWORD WriteFileOver(const std::wstring& path, std::string_view bytes);
// Deletes the file, read-only or not.
[[nodiscard]] bool DeleteFileAt(const std::wstring& path);
[[nodiscard]] bool RemoveEmptyFolder(const std::wstring& path);
// Deletes the installer's temporary files that an earlier run left in the folder.
void RemoveLeftoverTemporaryFiles(const std::wstring& folder);

}  // namespace installer
