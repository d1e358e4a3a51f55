#include "core/VersionInfo.h"

#include <string_view>

namespace installer {
namespace {

constexpr std::u16string_view kRootKey = u"VS_VERSION_INFO";
constexpr std::uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr std::size_t kFixedInfoSize = 13 * 4;  // VS_FIXEDFILEINFO: thirteen DWORDs

std::uint16_t Word(std::span<const std::byte> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(std::to_integer<unsigned>(bytes[at]) |
                                      (std::to_integer<unsigned>(bytes[at + 1]) << 8));
}

std::uint32_t Dword(std::span<const std::byte> bytes, std::size_t at) {
    return Word(bytes, at) | (std::uint32_t{Word(bytes, at + 2)} << 16);
}

}  // namespace

// Layout: WORD wLength, WORD wValueLength, WORD wType, the key in UTF-16 with its NUL, padding to a 32-bit
// boundary, then the value (the fixed info) of wValueLength bytes.
std::optional<FileVersion> ParseFileVersion(std::span<const std::byte> resource) {
    constexpr std::size_t kHeader = 6;
    if (resource.size() < kHeader) {
        return std::nullopt;
    }
    const std::size_t length = Word(resource, 0);
    const std::size_t valueLength = Word(resource, 2);
    if (length < kHeader || length > resource.size() || valueLength < kFixedInfoSize) {
        return std::nullopt;
    }
    const std::span<const std::byte> block = resource.first(length);
    std::size_t at = kHeader;
    for (char16_t expected : kRootKey) {
        if (at + 2 > block.size() || Word(block, at) != expected) {
            return std::nullopt;
        }
        at += 2;
    }
    if (at + 2 > block.size() || Word(block, at) != 0) {
        return std::nullopt;
    }
    at = (at + 2 + 3) & ~std::size_t{3};
    if (at + kFixedInfoSize > block.size() || Dword(block, at) != kFixedInfoSignature) {
        return std::nullopt;
    }
    const std::uint32_t ms = Dword(block, at + 8), ls = Dword(block, at + 12);
    return FileVersion{{static_cast<std::uint16_t>(ms >> 16), static_cast<std::uint16_t>(ms & 0xFFFF),
                        static_cast<std::uint16_t>(ls >> 16), static_cast<std::uint16_t>(ls & 0xFFFF)}};
}

}  // namespace installer
