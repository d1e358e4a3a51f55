#include "core/services/Json.h"

#include "core/text/Secrets.h"
#include "core/text/Utf16.h"

namespace velmora::json {
namespace {

// The parser checks the answer's own bytes, but writes a "\u" escape of a lone surrogate as the three bytes a
// surrogate would have, which are no UTF-8 (the library's own transcoder stopped there and the rest of the text was
// lost). Any ill-formed sequence becomes one U+FFFD and the text goes on after it.
std::u16string FromUtf8(const char* text, size_t length) {
    std::u16string out;
    out.reserve(length);
    for (size_t i = 0; i < length;) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            out += static_cast<char16_t>(lead);
            ++i;
            continue;
        }
        const size_t more = lead >= 0xC2 && lead <= 0xDF   ? 1
                            : lead >= 0xE0 && lead <= 0xEF ? 2
                            : lead >= 0xF0 && lead <= 0xF4 ? 3
                                                           : 0;
        char32_t c = lead & (0x3F >> more);
        size_t n = 1;
        for (; n <= more && i + n < length; ++n) {
            const auto next = static_cast<unsigned char>(text[i + n]);
            // The second byte also rules out overlong forms and code points past U+10FFFF; a surrogate's is let
            // through here so that its three bytes make one U+FFFD below.
            const unsigned char low = n > 1 ? 0x80 : lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
            const unsigned char high = n == 1 && lead == 0xF4 ? 0x8F : 0xBF;
            if (next < low || next > high) {
                break;
            }
            c = (c << 6) | (next & 0x3F);
        }
        i += n;
        if (more == 0 || n <= more || IsSurrogate(c)) {
            out += u'\uFFFD';
        } else if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;  // the length counts any "\u0000" inside the text
}

}  // namespace

void WriteText(Writer& writer, std::u16string_view text) {
    std::u16string clean = WellFormed(text);
    writer.String(clean.data(), static_cast<rapidjson::SizeType>(clean.size()));
    // The copy may have been a key.
    WipeString(clean);
}

void WriteAscii(Writer& writer, const char16_t* key, const std::string& value) {
    writer.Key(key);
    const std::u16string wide(value.begin(), value.end());
    writer.String(wide.data(), static_cast<rapidjson::SizeType>(wide.size()));
}

std::string Take(rapidjson::StringBuffer& buffer) {
    std::string body(buffer.GetString(), buffer.GetSize());
    WipeMemory(const_cast<char*>(buffer.GetString()), buffer.GetSize());
    return body;
}

bool Parse(rapidjson::Document& document, std::string_view body) {
    document.Parse<rapidjson::kParseValidateEncodingFlag | rapidjson::kParseIterativeFlag>(body.data(), body.size());
    return !document.HasParseError();
}

const rapidjson::Value* Member(const rapidjson::Value& object, const char* name) {
    if (!object.IsObject()) {
        return nullptr;
    }
    const auto member = object.FindMember(name);
    return member != object.MemberEnd() ? &member->value : nullptr;
}

const rapidjson::Value* StringMember(const rapidjson::Value& object, const char* name) {
    const rapidjson::Value* value = Member(object, name);
    return value && value->IsString() ? value : nullptr;
}

const rapidjson::Value* FirstOf(const rapidjson::Value& value, const char* name) {
    const rapidjson::Value* list = name ? Member(value, name) : &value;
    return list && list->IsArray() && !list->Empty() ? &(*list)[0] : nullptr;
}

std::u16string TextOf(const rapidjson::Value& text) {
    return FromUtf8(text.GetString(), text.GetStringLength());
}

std::u16string StringOfAnswer(std::string_view body, const char* name) {
    rapidjson::Document document;
    const rapidjson::Value* text = Parse(document, body) ? StringMember(document, name) : nullptr;
    return text ? TextOf(*text) : std::u16string();
}

std::u16string WithoutTrailingSlashes(std::u16string_view url) {
    while (!url.empty() && url.back() == u'/') {
        url.remove_suffix(1);
    }
    return std::u16string(url);
}

std::string LowerAscii(std::u16string_view text) {
    std::string out(text.begin(), text.end());
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

}  // namespace velmora::json
