#include "core/settings/Colors.h"

namespace velmora {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::optional<uint32_t> ParseHex(std::string_view digits) {
    if (digits.empty() || digits.size() > 8) {
        return std::nullopt;
    }
    uint32_t value = 0;
    for (char c : digits) {
        const int d = HexDigit(c);
        if (d < 0) {
            return std::nullopt;
        }
        value = value << 4 | static_cast<uint32_t>(d);
    }
    return value;
}

std::optional<uint32_t> ParseDecimal(std::string_view s) {
    const bool negative = !s.empty() && s.front() == '-';
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        s.remove_prefix(1);
    }
    if (s.empty()) {
        return std::nullopt;
    }
    // The magnitude may reach 2^32 - 1 for a positive number and 2^31 for a negative one.
    const uint64_t limit = negative ? 0x80000000u : 0xFFFFFFFFu;
    uint64_t value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > limit) {
            return std::nullopt;
        }
    }
    const auto magnitude = static_cast<uint32_t>(value);
    return negative ? 0u - magnitude : magnitude;
}

// Cuts the next line off `rest`; false when nothing is left.
bool NextLine(std::string_view& rest, std::string_view& line) {
    if (rest.empty()) {
        return false;
    }
    const size_t end = rest.find_first_of("\r\n");
    if (end == std::string_view::npos) {
        line = rest;
        rest = {};
        return true;
    }
    line = rest.substr(0, end);
    const size_t skip = rest.compare(end, 2, "\r\n") == 0 ? 2 : 1;
    rest.remove_prefix(end + skip);
    return true;
}

// Only 0x00BBGGRR values are colours; a set top byte would be taken for a system colour or rejected.
std::optional<uint32_t> ParseColorLine(std::string_view line) {
    const auto value = ParseColorText(line);
    if (!value || *value > 0x00FFFFFFu) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<uint32_t> ParseColorText(std::string_view text) {
    text = TrimBlanks(text);
    if (text.size() >= 2 && text[0] == '&' && (text[1] == 'H' || text[1] == 'h')) {
        return ParseHex(text.substr(2));
    }
    return ParseDecimal(text);
}

bool IsColorName(std::u16string_view name) {
    return LookupColorName(name).has_value();
}

std::optional<ColorName> LookupColorName(std::u16string_view name) {
    for (const ColorName& entry : kColorNames) {
        if (entry.name == name) {
            return entry;
        }
    }
    return std::nullopt;
}

std::string DefaultSettingsText() {
    return FormatSettingsText(kColorNames[0].background, kColorNames[0].text);
}

std::string FormatSettingsText(std::string_view background, std::string_view text) {
    std::string out;
    out.reserve(background.size() + text.size() + 4);
    out.append(background).append("\r\n").append(text).append("\r\n");
    return out;
}

std::optional<ColorPair> ParseSettingsText(std::string_view bytes) {
    std::string_view first;
    std::string_view second;
    if (!NextLine(bytes, first) || !NextLine(bytes, second)) {
        return std::nullopt;
    }
    const auto background = ParseColorLine(first);
    const auto text = ParseColorLine(second);
    if (!background || !text) {
        return std::nullopt;
    }
    return ColorPair{*background, *text};
}

bool NeedsSettingsRepair(std::string_view bytes) {
    std::string_view first;
    return NextLine(bytes, first) && first == "H00C0FFFF";
}

}  // namespace velmora
