// UTF-16 as the command line, the clipboard and the windows hand it over: surrogate pairs, and cuts that never
// split one (half a pair is no character, and a service or the popup would show it as garbage).
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace velmora {

[[nodiscard]] constexpr bool IsLeadSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
[[nodiscard]] constexpr bool IsTrailSurrogate(char32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}
[[nodiscard]] constexpr bool IsSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

// The code point at text[i]. A whole pair is read as one, and `i` is moved onto its second unit; a lone surrogate
// comes back as itself, for the caller to decide what it becomes.
[[nodiscard]] char32_t CodePointAt(std::u16string_view text, std::size_t& i);

// The text with U+FFFD for every lone surrogate: JSON cannot carry one, and in a URL it would become bytes that are
// no UTF-8.
[[nodiscard]] std::u16string WellFormed(std::u16string_view text);

// `length` moved back by one where the unit before it starts a pair, so that a cut there keeps the pair or drops it.
[[nodiscard]] std::size_t CutOutsidePair(std::u16string_view text, std::size_t length);

// The longest start of `text` (in units, never ending inside a pair) for which `fits` holds: text.size() when all of
// it fits, 0 when nothing does. `fits` must never hold for a longer start where it fails for a shorter one.
[[nodiscard]] std::size_t LongestFittingStart(std::u16string_view text, const std::function<bool(std::size_t)>& fits);

}  // namespace velmora
