// Whether the client beside the installer should replace the installed one.
#pragma once
#include <array>
#include <compare>
#include <cstdint>
#include <optional>

namespace installer {

// A file version as the VERSIONINFO resource holds it: major, minor, build, revision.
struct FileVersion {
    std::array<std::uint16_t, 4> parts{};

    friend auto operator<=>(const FileVersion&, const FileVersion&) = default;
};

// What the installer can learn about one copy of the client; empty where the file or its resource is missing.
struct ClientFile {
    std::optional<std::uint64_t> size;
    std::optional<FileVersion> version;
};

// Versions decide when both copies carry one and they differ: only a newer build replaces the installed one, so an
// older build never goes over a newer one and a newer but smaller build is not kept out. Otherwise the larger
// copy wins, as before versions were read. Nothing to copy from (no client beside the installer) means no update.
[[nodiscard]] bool ShouldUpdateClient(const ClientFile& source, const ClientFile& installed);

}  // namespace installer
