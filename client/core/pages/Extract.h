// Cutting the translation out of a result page between a start marker and an end tag.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

struct Markers {
    std::u16string_view start;
    std::u16string_view end;
};

inline constexpr Markers kExciteMarkers{u"<textarea cols=40 rows=15 name=\"after\" wrap=\"virtual\">", u"</textarea>"};
inline constexpr Markers kInfoseekMarkers{
    u"<TD><TEXTAREA class=transT name=translatedText rows=9 wrap=virtual cols=31>", u"</TEXTAREA>"};

// The raw text between the first start marker and the first end tag at or after its end; nothing when either is
// missing. The result is not decoded or trimmed.
[[nodiscard]] std::optional<std::u16string> ExtractBetweenMarkers(std::u16string_view page, const Markers& markers);

}  // namespace velmora
