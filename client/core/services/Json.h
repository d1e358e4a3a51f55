// The JSON that every API's file needs: bodies written from UTF-16 without leaving a key in freed memory, answers
// parsed strictly and iteratively, and the texts read out of them.
#pragma once
#include <rapidjson/document.h>
#include <rapidjson/encodings.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <string>
#include <string_view>

namespace velmora::json {

using Writer = rapidjson::Writer<rapidjson::StringBuffer, rapidjson::UTF16<char16_t>, rapidjson::UTF8<>>;

// A string value; lone surrogates become U+FFFD, since JSON cannot carry them.
void WriteText(Writer& writer, std::u16string_view text);
// A member whose value is plain ASCII (a language code, a fixed word).
void WriteAscii(Writer& writer, const char16_t* key, const std::string& value);
// The body written so far; the buffer may have held a key and is overwritten before the library frees it.
[[nodiscard]] std::string Take(rapidjson::StringBuffer& buffer);

// Strictly: the whole answer is one JSON value in valid UTF-8, nothing after it. Iteratively: the recursive parser
// takes stack for every level of nesting, and an answer of nothing but brackets would overflow the worker's.
[[nodiscard]] bool Parse(rapidjson::Document& document, std::string_view body);

[[nodiscard]] const rapidjson::Value* Member(const rapidjson::Value& object, const char* name);
[[nodiscard]] const rapidjson::Value* StringMember(const rapidjson::Value& object, const char* name);
// The first element of an array member, or of the value itself when `name` is null.
[[nodiscard]] const rapidjson::Value* FirstOf(const rapidjson::Value& value, const char* name = nullptr);
[[nodiscard]] std::u16string TextOf(const rapidjson::Value& text);
// The text of the string member `name` of the object `body` is; empty when it is no such JSON.
[[nodiscard]] std::u16string StringOfAnswer(std::string_view body, const char* name);

// A base URL with its trailing slashes dropped, so that a path can be appended with one.
[[nodiscard]] std::u16string WithoutTrailingSlashes(std::u16string_view url);
// A language code in lower case ("EN" as "en").
[[nodiscard]] std::string LowerAscii(std::u16string_view text);

}  // namespace velmora::json
