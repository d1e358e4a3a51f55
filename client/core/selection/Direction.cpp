// The direction of "/selection auto": the script of the selected text picks the languages.
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

// 々 and 〆 (written only in Japanese), hiragana, katakana (without its punctuation ゠ and ・), small katakana,
// half-width katakana, the kana supplements.
constexpr Range kKana[] = {{0x3005, 0x3006}, {0x3040, 0x309F}, {0x30A1, 0x30FA}, {0x30FC, 0x30FF},
                           {0x31F0, 0x31FF}, {0xFF66, 0xFF9F}, {0x1B000, 0x1B16F}};

// 〇, the ideographs (extension A, unified, compatibility) and those beyond the first 65,536 characters: Japanese
// and Chinese alike.
constexpr Range kHan[] = {{0x3007, 0x3007}, {0x3400, 0x4DBF}, {0x4E00, 0x9FFF}, {0xF900, 0xFAFF}, {0x20000, 0x3FFFF}};

bool In(std::span<const Range> ranges, char32_t c) {
    for (const Range& r : ranges) {
        if (c >= r.first && c <= r.last) {
            return true;
        }
    }
    return false;
}

enum class Script { Other, Han, Kana, Hangul };

// The strongest script in the text: Hangul over kana over Han characters.
Script ScriptOf(std::u16string_view text) {
    Script found = Script::Other;
    for (std::size_t i = 0; i < text.size(); ++i) {
        // A pair makes one character beyond the first 65,536; a lone half stays as it is and decides nothing.
        const char32_t c = CodePointAt(text, i);
        if (In(kHangul, c)) {
            return Script::Hangul;
        }
        if (In(kKana, c)) {
            found = Script::Kana;
        } else if (found == Script::Other && In(kHan, c)) {
            found = Script::Han;
        }
    }
    return found;
}

}  // namespace

std::u16string_view DirectionCode(std::u16string_view text) {
    switch (ScriptOf(text)) {
        case Script::Hangul:
            return u"KJIFA";
        case Script::Kana:
        case Script::Han:
            return u"JEhnA";
        default:
            return u"EJhnA";
    }
}

ServiceDirection ServiceDirectionOf(std::u16string_view text) {
    switch (ScriptOf(text)) {
        case Script::Hangul:
            return {{u"KO", u"JA"}, false};
        case Script::Kana:
            return {{u"JA", u"EN"}, false};
        default:
            return {{u"", u"JA"}, true};
    }
}

std::optional<LanguagePair> AskAgain(const ServiceDirection& direction, std::u16string_view detected) {
    const bool japanese = detected.size() >= 2 && (detected[0] == u'j' || detected[0] == u'J') &&
                          (detected[1] == u'a' || detected[1] == u'A') &&
                          (detected.size() == 2 || detected[2] == u'-' || detected[2] == u'_');
    if (!direction.sourceLeftToService || !japanese) {
        return std::nullopt;
    }
    return LanguagePair{u"JA", u"EN"};
}

}  // namespace velmora
