// Splits HTML source into text, tags and comments. Forgiving: every input yields tokens, and every step consumes
// input, so it always ends.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/html/Html.h"
#include "core/html/NameHash.h"
#include "core/html/Storage.h"
#include "core/html/Tags.h"

namespace velmora::html {

struct Token {
    enum class Kind { kText, kStartTag, kEndTag, kComment, kDoctype };
    Kind kind = Kind::kText;
    std::uint32_t tag = 0;              // tags: interned lower-case name
    std::u16string data;                // text and comments, references decoded in text
    std::vector<Attribute> attributes;  // start tags; the strings live in the document's storage
};

class Tokenizer {
  public:
    Tokenizer(std::u16string_view source, Storage& storage) : src_(source), storage_(storage) {}

    // Fills token with the next token; false at the end of the input.
    [[nodiscard]] bool Next(Token& token);

  private:
    enum class Mode { kData, kRawText, kRcdata, kPlaintext };

    [[nodiscard]] std::size_t FindRawEnd() const;
    void ReadText(Token& token);
    [[nodiscard]] bool ReadMarkup(Token& token);
    [[nodiscard]] bool ReadTag(Token& token, bool end, std::size_t nameStart);
    [[nodiscard]] bool ReadAttribute(Token& token, std::size_t& p);
    void ReadComment(Token& token, std::size_t start, bool bogus);
    void AddAttribute(Token& token, std::u16string_view name, std::u16string_view value);

    std::u16string_view src_;
    Storage& storage_;
    std::size_t pos_ = 0;
    Mode mode_ = Mode::kData;
    std::uint32_t rawTag_ = 0;
    std::u16string name_;                           // the tag or attribute name being read
    std::u16string value_;                          // the attribute value being read
    std::unordered_set<std::u16string, NameHash> seenNames_;  // duplicate check for tags with many attributes
};

}  // namespace velmora::html
