// modUrlEncode: turns any text into a pure ASCII query value (UTF-8 bytes, percent escapes, "+" for a space).
#pragma once
#include <string>

namespace velmora {

// A valid surrogate pair becomes one four-byte UTF-8 sequence; a lone surrogate is encoded like any other unit.
[[nodiscard]] std::u16string UrlEncodeUtf8(const std::u16string& text);

}  // namespace velmora
