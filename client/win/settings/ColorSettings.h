// velmora.ini: the popup's two colours, kept per user and shared by every client process of that user.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings/Colors.h"

namespace velmora {

// Where the file is read and written. A 64-bit program gets no file virtualization, so a standard user cannot
// write beside velmora.exe under Program Files: the file lives in the user's roaming folder, and the places where
// earlier versions kept it are read until the user's own file exists.
struct SettingsPlaces {
    SettingsPlaces(std::wstring folder) : folder(std::move(folder)) {}  // one folder alone (the tests' scratch ones)
    SettingsPlaces(std::wstring folder, std::vector<std::wstring> older, bool makeFolder)
        : folder(std::move(folder)), older(std::move(older)), makeFolder(makeFolder) {}

    std::wstring folder;              // the file that is written, and read first
    std::vector<std::wstring> older;  // read in this order while `folder` has no file; never written
    bool makeFolder = false;          // `folder` is made when missing (its parent must exist)
};

// %APPDATA%\Velmora; then the copy that file virtualization made for a standard user of an earlier version
// (%LOCALAPPDATA%\VirtualStore\Program Files\Velmora); then the folder of velmora.exe itself.
[[nodiscard]] SettingsPlaces UserSettingsPlaces();

// The two colours of the file. A missing file is created from the first older place whose file reads as two
// colours, which are returned. Otherwise nullopt means "keep the design colours": the file was missing and has just
// been created with the defaults, or its content was not two colours and has been rewritten with them, or it could not
// be read (left alone: access denied, or held by another program for longer than the retries), or it could not be
// written at all (no install folder). A first line "H00C0FFFF" is repaired and reads as the default colours.
[[nodiscard]] std::optional<ColorPair> LoadColorSettings(const SettingsPlaces& places = UserSettingsPlaces());

// Writes two colour texts of the colour table, replacing the file in one step so that a reader in another
// process sees the old or the new file, never a mix. False (and the file unchanged) when the texts are not
// colours or the file could not be replaced.
[[nodiscard]] bool SaveColorSettings(std::string_view background,
                                     std::string_view text,
                                     const SettingsPlaces& places = UserSettingsPlaces());

}  // namespace velmora
