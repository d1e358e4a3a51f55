// Colour values of the popup and the text of velmora.ini, the two-line file that keeps them.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// A colour in the Windows layout 0x00BBGGRR.
struct ColorPair {
    uint32_t background = 0;
    uint32_t text = 0;
    friend bool operator==(const ColorPair&, const ColorPair&) = default;
};

// One name of the settings window's lists with the file texts it stands for on each line.
struct ColorName {
    std::u16string_view name;
    std::string_view background;
    std::string_view text;
};

// In the order the settings window lists them. "Blue" is cyan (green and blue at full), as users know it.
inline constexpr std::array<ColorName, 6> kColorNames = {{
    {u"Default", "&H00C0FFFF", "&H0"},
    {u"Black", "&H0", "&H0"},
    {u"White", "&HFFFFFF", "&HFFFFFF"},
    {u"Green", "&HFF00", "&HFF00"},
    {u"Blue", "&HFFFF00", "&HFFFF00"},
    {u"Red", "&HFF", "&HFF"},
}};

// "&H" or "&h" with one to eight hex digits (unsigned), or a decimal integer that fits in 32 bits (a negative
// one wraps as the old signed conversion did); blanks around either are ignored. Anything else is nullopt.
[[nodiscard]] std::optional<uint32_t> ParseColorText(std::string_view text);

// The settings window accepts a name only when it matches one of the table exactly, case included.
[[nodiscard]] bool IsColorName(std::u16string_view name);
[[nodiscard]] std::optional<ColorName> LookupColorName(std::u16string_view name);

// The file as first written: "&H00C0FFFF" CR LF "&H0" CR LF, 17 bytes.
[[nodiscard]] std::string DefaultSettingsText();
[[nodiscard]] std::string FormatSettingsText(std::string_view background, std::string_view text);

// Lines end at CR, CR LF or LF; lines after the second are ignored. Fewer than two lines, or a line that is not
// a colour with a zero top byte, gives nullopt.
[[nodiscard]] std::optional<ColorPair> ParseSettingsText(std::string_view bytes);

// A first line of the default background without its "&" is a known bad file; it is replaced with the default one.
[[nodiscard]] bool NeedsSettingsRepair(std::string_view bytes);

}  // namespace velmora
