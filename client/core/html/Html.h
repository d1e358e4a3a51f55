// The page model behind the browser facility: a forgiving HTML parser and the body markup written out the way old
// Internet Explorer wrote innerHTML, which is what the result markers are matched against.
#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace velmora::html {

enum class NodeType : std::uint8_t { kDocument, kElement, kText, kComment };

struct Attribute {
    std::u16string_view name;   // as written in the source
    std::u16string_view value;  // character references decoded
};

// Nodes and the strings they view live in their Document's storage and link to each other by pointer, so that a
// tree of any depth is built, walked and destroyed without recursion.
struct Node {
    NodeType type = NodeType::kElement;
    std::uint32_t tag = 0;                  // interned tag id (elements)
    std::u16string_view name;               // lower-case tag name (elements)
    std::u16string_view data;               // text or comment content
    std::span<const Attribute> attributes;  // source order, first of duplicate names kept
    Node* parent = nullptr;
    Node* firstChild = nullptr;
    Node* lastChild = nullptr;
    Node* nextSibling = nullptr;
};

struct Storage;

// Owns a parsed tree. Node pointers stay valid when the Document is moved.
class Document {
  public:
    Document();
    Document(Document&&) noexcept;
    Document& operator=(Document&&) noexcept;
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;
    ~Document();

    [[nodiscard]] const Node& Root() const;
    [[nodiscard]] const Node* Body() const;

  private:
    friend Document Parse(std::u16string_view source);
    std::unique_ptr<Storage> storage_;
};

// Never fails and takes time roughly linear in the source length, whatever the source holds. Every document gets
// an html element with head and body, as browsers imply them, except a frameset document, which has no body.
[[nodiscard]] Document Parse(std::u16string_view source);

// The body element, or nullptr when there is none (a frameset page).
[[nodiscard]] const Node* Body(const Document& document);

// The markup of the element's children in old Internet Explorer's style: upper-case tag names, attributes in source
// order and unquoted where that is safe, whitespace-only text between elements gone, script and style content
// written as their plain text, textarea content escaped like other text.
[[nodiscard]] std::u16string InnerHtml(const Node& element);

}  // namespace velmora::html
