// Character references: named (HTML 4 names), decimal and hexadecimal.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace velmora::html {

// Decodes the reference that starts with the '&' at source[amp], appends its text to out and returns the position
// after it. Where no reference starts there, appends the '&' alone and returns amp + 1. In attribute values a name
// without ';' followed by a letter, digit or '=' is left as written, as browsers do for query strings.
std::size_t DecodeCharRef(std::u16string_view source, std::size_t amp, bool inAttribute, std::u16string& out);

}  // namespace velmora::html
