#include "core/pages/UrlEncode.h"
#include "core/text/Utf16.h"

namespace velmora {
namespace {

bool IsSafe(char16_t c) {
    return (c >= u'@' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'*' ||
           c == u'-' || c == u'.' || c == u'_';
}

char16_t* Escape(char16_t* out, unsigned byte) {
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    out[0] = u'%';
    out[1] = kHex[(byte >> 4) & 0xF];
    out[2] = kHex[byte & 0xF];
    return out + 3;
}

}  // namespace

std::u16string UrlEncodeUtf8(const std::u16string& text) {
    if (text.empty()) {
        return {};
    }
    // Nine characters per unit is the most one unit can need (three escapes); a pair needs twelve for two
    // units, so one buffer of this size always suffices and is cut to length once at the end.
    std::u16string buffer(text.size() * 9, u'\0');
    char16_t* p = buffer.data();
    for (size_t i = 0; i < text.size(); ++i) {
        const char32_t c = CodePointAt(text, i);
        if (c == 32) {
            *p++ = u'+';
        } else if (c <= 127 && IsSafe(static_cast<char16_t>(c))) {
            *p++ = static_cast<char16_t>(c);
        } else if (c <= 127) {
            p = Escape(p, c);
        } else if (c <= 2047) {
            p = Escape(p, 0xC0 | (c >> 6));
            p = Escape(p, 0x80 | (c & 0x3F));
        } else if (c >= 0x10000) {
            p = Escape(p, 0xF0 | (c >> 18));
            p = Escape(p, 0x80 | ((c >> 12) & 0x3F));
            p = Escape(p, 0x80 | ((c >> 6) & 0x3F));
            p = Escape(p, 0x80 | (c & 0x3F));
        } else {
            p = Escape(p, 0xE0 | (c >> 12));
            p = Escape(p, 0x80 | ((c >> 6) & 0x3F));
            p = Escape(p, 0x80 | (c & 0x3F));
        }
    }
    buffer.resize(static_cast<size_t>(p - buffer.data()));
    return buffer;
}

}  // namespace velmora
