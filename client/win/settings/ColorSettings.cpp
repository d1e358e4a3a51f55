#include "win/settings/ColorSettings.h"

#include <windows.h>

#include <atomic>
#include <utility>

#include "common/Handles.h"
#include "common/Process.h"
#include "common/Text.h"

namespace velmora {
namespace {

constexpr ULONGLONG kRetryForMs = 1000;
constexpr DWORD kRetryStepMs = 10;
// The file holds two short lines; anything bigger is damage and only its start is looked at.
constexpr DWORD kMaxReadBytes = 64 * 1024;

std::wstring SettingsPath(const std::wstring& folder) {
    return folder + L"\\velmora.ini";
}

// Errors that another process holding the file for a moment can cause: a reader open during a replace, an
// antivirus or indexer peeking at the new file. A replace meets a held file as access denied; a reader that is
// denied access is denied for good, and waiting would only hold up the popup.
bool IsTransient(DWORD error, bool reading) {
    return (error == ERROR_ACCESS_DENIED && !reading) || error == ERROR_SHARING_VIOLATION ||
           error == ERROR_LOCK_VIOLATION;
}

// Repeats `attempt` while it fails with a transient error, for about a second; keeps the last error for the caller.
template <typename Attempt>
bool RetryTransient(Attempt attempt, bool reading = false) {
    const ULONGLONG deadline = GetTickCount64() + kRetryForMs;
    for (;;) {
        if (attempt()) {
            return true;
        }
        const DWORD error = GetLastError();
        if (!IsTransient(error, reading) || GetTickCount64() >= deadline) {
            SetLastError(error);
            return false;
        }
        Sleep(kRetryStepMs);
    }
}

// Looks in that one folder only, never along the system search path.
bool SettingsFileExists(const std::wstring& folder) {
    wchar_t found[MAX_PATH];
    return SearchPathW(folder.c_str(), L"velmora", L".ini", MAX_PATH, found, nullptr) != 0;
}

std::optional<std::string> ReadSettingsFile(const std::wstring& path) {
    common::UniqueFile file;
    const bool opened = RetryTransient([&] {
        file = common::UniqueFile(CreateFileW(path.c_str(), GENERIC_READ,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        return static_cast<bool>(file);
    }, true);
    LARGE_INTEGER size{};
    if (!opened || !GetFileSizeEx(file.get(), &size)) {
        return std::nullopt;
    }
    const DWORD wanted = size.QuadPart > kMaxReadBytes ? kMaxReadBytes : static_cast<DWORD>(size.QuadPart);
    std::string bytes(wanted, '\0');
    DWORD read = 0;
    if (wanted > 0 && !ReadFile(file.get(), bytes.data(), wanted, &read, nullptr)) {
        return std::nullopt;
    }
    bytes.resize(read);
    return bytes;
}

bool WriteNewFile(const std::wstring& path, std::string_view bytes) {
    common::UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    const auto size = static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    return WriteFile(file.get(), bytes.data(), size, &written, nullptr) && written == size &&
           FlushFileBuffers(file.get());
}

// Writes a temp file beside the settings file and renames it over it, which readers see as one step. With
// `replace` false an existing file wins: a process that found no file must not undo another's save.
bool PutSettingsFile(const std::wstring& folder, std::string_view bytes, bool replace) {
    static std::atomic<unsigned> serial{0};
    const std::wstring temp = folder + L"\\velmora.ini." + std::to_wstring(GetCurrentProcessId()) + L"." +
                              std::to_wstring(serial++) + L".tmp";
    const std::wstring path = SettingsPath(folder);
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    const bool done = WriteNewFile(temp, bytes) &&
                      RetryTransient([&] { return MoveFileExW(temp.c_str(), path.c_str(), flags) != FALSE; });
    if (!done) {
        const DWORD error = GetLastError();
        DeleteFileW(temp.c_str());
        SetLastError(error);
    }
    return done;
}

// Only a full path: a relative one would put the file wherever the process happens to stand.
bool IsFullPath(const std::wstring& path) {
    return (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') || path.starts_with(L"\\\\");
}

// The colours an earlier version's file holds, with its bytes; nothing when it is missing or not two colours.
std::optional<std::pair<std::string, ColorPair>> ReadOlderFile(const std::wstring& folder) {
    if (folder.empty() || !SettingsFileExists(folder)) {
        return std::nullopt;
    }
    std::optional<std::string> bytes = ReadSettingsFile(SettingsPath(folder));
    if (!bytes) {
        return std::nullopt;
    }
    if (NeedsSettingsRepair(*bytes)) {
        *bytes = DefaultSettingsText();
    }
    const std::optional<ColorPair> colors = ParseSettingsText(*bytes);
    if (!colors) {
        return std::nullopt;
    }
    return std::pair{std::move(*bytes), *colors};
}

bool MakeFolder(const SettingsPlaces& places) {
    return !places.makeFolder || CreateDirectoryW(places.folder.c_str(), nullptr) ||
           GetLastError() == ERROR_ALREADY_EXISTS;
}

}  // namespace

SettingsPlaces UserSettingsPlaces() {
    const std::wstring program = common::ProgramFolder();
    std::vector<std::wstring> older;
    if (const std::wstring local = common::ToWide(common::EnvironmentValue(L"LOCALAPPDATA").value_or(u""));
        IsFullPath(local)) {
        older.push_back(local + L"\\VirtualStore\\Program Files\\Velmora");
    }
    older.push_back(program);
    const std::wstring roaming = common::ToWide(common::EnvironmentValue(L"APPDATA").value_or(u""));
    if (!IsFullPath(roaming)) {
        // No profile to write in: the folder of the program, as earlier versions did.
        return SettingsPlaces(program);
    }
    return SettingsPlaces(roaming + L"\\Velmora", std::move(older), true);
}

std::optional<ColorPair> LoadColorSettings(const SettingsPlaces& places) {
    const std::wstring& folder = places.folder;
    if (!SettingsFileExists(folder)) {
        // The colours a user chose with an earlier version come along into the user's own file.
        for (const std::wstring& older : places.older) {
            if (auto found = ReadOlderFile(older)) {
                (void)(MakeFolder(places) && PutSettingsFile(folder, found->first, false));
                return found->second;
            }
        }
        // Without a folder to write in this fails too; the popup still opens in its design colours.
        (void)(MakeFolder(places) && PutSettingsFile(folder, DefaultSettingsText(), false));
        return std::nullopt;
    }
    const std::optional<std::string> bytes = ReadSettingsFile(SettingsPath(folder));
    if (!bytes) {
        // Unreadable is not damaged: the user's colours may well be in there. Design colours this time only.
        return std::nullopt;
    }
    if (NeedsSettingsRepair(*bytes)) {
        (void)PutSettingsFile(folder, DefaultSettingsText(), true);
        return ParseSettingsText(DefaultSettingsText());
    }
    std::optional<ColorPair> colors = ParseSettingsText(*bytes);
    if (!colors) {
        // A damaged file would otherwise fail every later request the same way.
        (void)PutSettingsFile(folder, DefaultSettingsText(), true);
    }
    return colors;
}

bool SaveColorSettings(std::string_view background, std::string_view text, const SettingsPlaces& places) {
    const std::string content = FormatSettingsText(background, text);
    // Each text alone must be a colour (no line breaks smuggled in), and the file must read back as two colours.
    if (!ParseColorText(background) || !ParseColorText(text) || !ParseSettingsText(content)) {
        SetLastError(ERROR_INVALID_DATA);
        return false;
    }
    return MakeFolder(places) && PutSettingsFile(places.folder, content, true);
}

}  // namespace velmora
