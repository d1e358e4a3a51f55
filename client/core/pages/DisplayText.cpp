#include "core/pages/DisplayText.h"

#include <array>

#include "core/text/Utf16.h"

namespace velmora {
namespace {

void AppendCodePoint(std::u16string& out, char32_t cp) {
    if (cp == 0 || cp > 0x10FFFF || IsSurrogate(cp)) {
        cp = 0xFFFD;  // as browsers show references to nothing
    }
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
        out += static_cast<char16_t>(cp);
    }
}

// Decodes the reference at raw[i] ('&') into out; answers how many characters it used, 0 when it is none.
size_t DecodeReference(std::u16string_view raw, size_t i, std::u16string& out) {
    struct Named {
        std::u16string_view name;
        char16_t value;
    };
    static constexpr std::array<Named, 6> kNamed = {{
        {u"&amp;", u'&'}, {u"&lt;", u'<'}, {u"&gt;", u'>'}, {u"&quot;", u'"'}, {u"&#39;", u'\''}, {u"&nbsp;", 0xA0},
    }};
    for (const auto& n : kNamed) {
        if (raw.substr(i, n.name.size()) == n.name) {
            out += n.value;
            return n.name.size();
        }
    }
    if (i + 2 >= raw.size() || raw[i + 1] != u'#') {
        return 0;
    }
    const bool hex = raw[i + 2] == u'x' || raw[i + 2] == u'X';
    size_t j = i + (hex ? 3 : 2);
    char32_t value = 0;
    const size_t digitsStart = j;
    for (; j < raw.size() && j - digitsStart < 8; ++j) {
        const char16_t c = raw[j];
        int digit = -1;
        if (c >= u'0' && c <= u'9') {
            digit = c - u'0';
        } else if (hex && c >= u'a' && c <= u'f') {
            digit = c - u'a' + 10;
        } else if (hex && c >= u'A' && c <= u'F') {
            digit = c - u'A' + 10;
        }
        if (digit < 0) {
            break;
        }
        value = value * (hex ? 16 : 10) + static_cast<char32_t>(digit);
    }
    if (j == digitsStart || j >= raw.size() || raw[j] != u';') {
        return 0;
    }
    AppendCodePoint(out, value);
    return j + 1 - i;
}

std::u16string Displayed(std::u16string_view raw, bool references) {
    std::u16string out;
    out.reserve(raw.size());
    for (size_t i = 0; i < raw.size();) {
        const char16_t c = raw[i];
        if (references && c == u'&') {
            if (size_t used = DecodeReference(raw, i, out)) {
                i += used;
                continue;
            }
        }
        if (c == u'\r' || c == u'\n') {
            out += u"\r\n";
            i += (c == u'\r' && i + 1 < raw.size() && raw[i + 1] == u'\n') ? 2 : 1;
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

}  // namespace

std::u16string DisplayText(std::u16string_view raw) {
    return Displayed(raw, true);
}

std::u16string PlainDisplayText(std::u16string_view text) {
    return Displayed(text, false);
}

}  // namespace velmora
