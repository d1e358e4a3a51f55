#include "core/selection/Direction.h"

#include <span>

#include "core/text/Utf16.h"

namespace velmora {
namespace {

struct Range {
    char32_t first;
    char32_t last;
};

// Jamo, compatibility jamo, jamo extended A, syllables with jamo extended B, half-width forms.
constexpr Range kHangul[] = {{0x1100, 0x11FF}, {0x3130, 0x318F}, {0xA960, 0xA97F}, {0xAC00, 0xD7FF}, {0xFFA0, 0xFFDC}};

// 々 〆 〇 (written as ideographs), hiragana, katakana (without its punctuation ゠ and ・), small katakana, the
// ideographs (extension A, unified, compatibility), half-width katakana, the kana supplements, and the ideographs
// beyond the first 65,536 characters.
constexpr Range kJapanese[] = {{0x3005, 0x3007}, {0x3040, 0x309F}, {0x30A1, 0x30FA}, {0x30FC, 0x30FF},
                               {0x31F0, 0x31FF}, {0x3400, 0x4DBF}, {0x4E00, 0x9FFF}, {0xF900, 0xFAFF},
                               {0xFF66, 0xFF9F}, {0x1B000, 0x1B16F}, {0x20000, 0x3FFFF}};

bool In(std::span<const Range> ranges, char32_t c) {
    for (const Range& r : ranges) {
        if (c >= r.first && c <= r.last) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::u16string_view DirectionCode(std::u16string_view text) {
    bool japanese = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        // A pair makes one character beyond the first 65,536; a lone half stays as it is and decides nothing.
        const char32_t c = CodePointAt(text, i);
        if (In(kHangul, c)) {
            return u"KJIFA";
        }
        japanese = japanese || In(kJapanese, c);
    }
    return japanese ? u"JEhnA" : u"EJhnA";
}

}  // namespace velmora
