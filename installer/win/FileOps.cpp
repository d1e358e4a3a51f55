#include "win/FileOps.h"

#include <new>

#include "common/Handles.h"
#include "common/Text.h"
#include "core/Entries.h"
#include "core/VersionInfo.h"

namespace installer {

bool IsOrdinaryFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
}

std::optional<std::uint64_t> FileSizeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return std::nullopt;
    }
    return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

namespace {

BOOL CALLBACK FirstResource(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR found) {
    *reinterpret_cast<HRSRC*>(found) = FindResourceW(module, name, type);
    return FALSE;
}

}  // namespace

std::optional<FileVersion> FileVersionOf(const std::wstring& path) {
    const HMODULE module =
        LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) {
        return std::nullopt;
    }
    std::optional<FileVersion> version;
    // The version block has the id 1 by convention, and GetFileVersionInfo takes the first one there is.
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    if (!found) {
        EnumResourceNamesW(module, RT_VERSION, FirstResource, reinterpret_cast<LONG_PTR>(&found));
    }
    if (found) {
        const HGLOBAL loaded = LoadResource(module, found);
        const void* data = loaded ? LockResource(loaded) : nullptr;
        if (data) {
            version = ParseFileVersion({static_cast<const std::byte*>(data), SizeofResource(module, found)});
        }
    }
    FreeLibrary(module);
    return version;
}

bool FindInFolder(const std::wstring& folder, const std::wstring& name, const std::wstring& extension) {
    wchar_t found[250];
    return SearchPathW(folder.c_str(), name.c_str(), extension.c_str(), 250, found, nullptr) != 0;
}

bool CreateFolder(const std::wstring& path) {
    return CreateDirectoryW(path.c_str(), nullptr) != FALSE;
}

namespace {

std::wstring FolderOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
}

// A new, empty file with a unique name in the target's folder, so that the rename stays within one volume.
std::wstring NewTemporaryFile(const std::wstring& target) {
    wchar_t name[MAX_PATH];
    if (!GetTempFileNameW(FolderOf(target).c_str(), common::ToWide(kTemporaryPrefix).c_str(), 0, name)) {
        return {};
    }
    return name;
}

// A read-only file is neither replaced by a rename nor deleted; an earlier release copied the attribute along.
void ClearReadOnly(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    }
}

DWORD RenameOver(const std::wstring& temporary, const std::wstring& target) {
    ClearReadOnly(target);
    if (!MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        DeleteFileW(temporary.c_str());
        return error;
    }
    return ERROR_SUCCESS;
}

// The client is a few hundred KiB; a file far larger is not one, and is not read into memory.
constexpr LONGLONG kLargestCopy = 64LL << 20;

DWORD ReadWholeFile(const std::wstring& path, std::string& bytes) {
    const common::UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size)) {
        return GetLastError();
    }
    if (size.QuadPart > kLargestCopy) {
        return ERROR_FILE_TOO_LARGE;
    }
    try {
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
        return GetLastError();
    }
    return read == bytes.size() ? ERROR_SUCCESS : ERROR_HANDLE_EOF;
}

}  // namespace

// Read and written through the unnamed data stream alone (CopyFile would carry the streams and attributes along),
// into a fresh file; WriteFileOver flushes it before the rename.
DWORD CopyFileOver(const std::wstring& from, const std::wstring& to) {
    std::string bytes;
    if (const DWORD error = ReadWholeFile(from, bytes); error != ERROR_SUCCESS) {
        return error;
    }
    return WriteFileOver(to, bytes);
}

DWORD WriteFileOver(const std::wstring& path, std::string_view bytes) {
    const std::wstring temporary = NewTemporaryFile(path);
    if (temporary.empty()) {
        return GetLastError();
    }
    DWORD error = ERROR_SUCCESS;
    {
        const common::UniqueFile file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                                  FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (!file) {
            error = GetLastError();
        } else if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
                   !FlushFileBuffers(file.get())) {
            error = GetLastError();
        } else if (written != bytes.size()) {
            error = ERROR_DISK_FULL;  // a short write without an error code is what a full disk gives
        }
    }
    if (error != ERROR_SUCCESS) {
        DeleteFileW(temporary.c_str());
        return error;
    }
    return RenameOver(temporary, path);
}

bool DeleteFileAt(const std::wstring& path) {
    ClearReadOnly(path);
    return DeleteFileW(path.c_str()) != FALSE;
}

bool RemoveEmptyFolder(const std::wstring& path) {
    return RemoveDirectoryW(path.c_str()) != FALSE;
}

void RemoveLeftoverTemporaryFiles(const std::wstring& folder) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            IsLeftoverTemporaryFile(common::ToU16(found.cFileName))) {
            static_cast<void>(DeleteFileAt(folder + L"\\" + found.cFileName));
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace installer
