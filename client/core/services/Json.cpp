#include "core/services/Json.h"

#include "core/text/Secrets.h"
#include "core/text/Utf16.h"

namespace velmora::json {
namespace {

std::u16string FromUtf8(const char* text, size_t length) {
    rapidjson::GenericStringBuffer<rapidjson::UTF16<char16_t>> out;
    // The library keeps a terminator after every string value; the length counts any "\u0000" inside it.
    rapidjson::StringStream in(text);
    while (in.Tell() < length) {
        if (!rapidjson::Transcoder<rapidjson::UTF8<>, rapidjson::UTF16<char16_t>>::Transcode(in, out)) {
            break;  // the parser validated the encoding; this only guards against a library change
        }
    }
    return {out.GetString(), out.GetSize() / sizeof(char16_t)};  // the size counts bytes
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
