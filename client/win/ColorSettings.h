// velmora.ini: the popup's two colours, kept in the install folder and shared by every client process.
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "core/Colors.h"

namespace velmora {

// A literal path, not the system's program-files folder: the installer puts the client exactly there.
inline constexpr wchar_t kInstallFolder[] = L"C:\\Program Files\\Velmora";

// The two colours of the file. nullopt means "keep the design colours": the file was missing and has just been
// created with the defaults, or its content was not two colours and has been rewritten with them, or it could not
// be read (left alone: access denied, or held by another program for longer than the retries), or it could not be
// written at all (no install folder). A first line "H00C0FFFF" is repaired and reads as the default colours.
[[nodiscard]] std::optional<ColorPair> LoadColorSettings(const std::wstring& folder = kInstallFolder);

// Writes two colour texts of the colour table, replacing the file in one step so that a reader in another
// process sees the old or the new file, never a mix. False (and the file unchanged) when the texts are not
// colours or the file could not be replaced.
[[nodiscard]] bool SaveColorSettings(std::string_view background,
                                     std::string_view text,
                                     const std::wstring& folder = kInstallFolder);

}  // namespace velmora
