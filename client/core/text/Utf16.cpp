#include "core/text/Utf16.h"

namespace velmora {

char32_t CodePointAt(std::u16string_view text, std::size_t& i) {
    const char32_t c = text[i];
    if (IsLeadSurrogate(c) && i + 1 < text.size() && IsTrailSurrogate(text[i + 1])) {
        return 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    return c;
}

std::u16string WellFormed(std::u16string_view text) {
    std::u16string out(text);
    for (size_t i = 0; i < out.size(); ++i) {
        if (IsLeadSurrogate(out[i]) && i + 1 < out.size() && IsTrailSurrogate(out[i + 1])) {
            ++i;
        } else if (IsSurrogate(out[i])) {
            out[i] = u'\uFFFD';
        }
    }
    return out;
}

std::size_t CutOutsidePair(std::u16string_view text, std::size_t length) {
    return length > 0 && IsLeadSurrogate(text[length - 1]) ? length - 1 : length;
}

std::size_t LongestFittingStart(std::u16string_view text, const std::function<bool(std::size_t)>& fits) {
    if (fits(text.size())) {
        return text.size();
    }
    // Found by halving: a longer start never fits where a shorter one does not.
    std::size_t fitting = 0, tooLong = text.size();
    while (tooLong - fitting > 1) {
        const std::size_t middle = fitting + (tooLong - fitting) / 2;
        (fits(middle) ? fitting : tooLong) = middle;
    }
    return CutOutsidePair(text, fitting);
}

}  // namespace velmora
