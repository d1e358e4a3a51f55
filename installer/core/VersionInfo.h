// Reads the file version out of a VERSIONINFO resource's bytes, so that the installer needs no DLL beyond kernel32
// to compare two clients.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "core/Update.h"

namespace installer {

// The resource as FindResource/LoadResource give it: the root VS_VERSIONINFO block, which must be named
// "VS_VERSION_INFO" and carry a VS_FIXEDFILEINFO with its signature. Anything short, inconsistent or foreign gives
// nothing rather than a guess.
[[nodiscard]] std::optional<FileVersion> ParseFileVersion(std::span<const std::byte> resource);

}  // namespace installer
