// Builds the document tree from tokens the way browsers of the time did for real-world pages: implied html, head
// and body, implied end tags, tbody in tables, stray end tags ignored. Every step is constant work apart from the
// elements it pops, so a page of any shape is built in linear time.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/html/Html.h"
#include "core/html/Storage.h"
#include "core/html/Tags.h"
#include "core/html/Tokenizer.h"

namespace velmora::html {

class TreeBuilder {
  public:
    explicit TreeBuilder(Storage& storage);
    void Process(Token& token);
    void Finish();

  private:
    static constexpr std::uint32_t kNoTag = UINT32_MAX;  // no tag name interns to this
    enum class Mode { kBeforeBody, kInBody, kInFrameset };
    enum class Scope { kDefault, kButton, kListItem, kTable };
    struct Open {
        Node* node;
        std::uint32_t tag;
        std::ptrdiff_t below;  // position of the next open element with the same tag, -1 if none
    };

    Node* NewNode(NodeType type, Node* parent);
    Node* Insert(std::uint32_t tag, std::span<const Attribute> attributes = {});
    Node* Current() const { return stack_.empty() ? storage_.root : stack_.back().node; }
    std::uint32_t CurrentTag() const { return stack_.empty() ? kNoTag : stack_.back().tag; }
    std::ptrdiff_t TopOf(std::uint32_t tag) const { return tag < topOf_.size() ? topOf_[tag] : -1; }
    std::ptrdiff_t ScopeLimit(Scope scope, std::uint32_t except) const;
    bool InScope(std::uint32_t tag, Scope scope) const;
    void Push(Node* node, std::uint32_t tag);
    void Pop();
    void PopTo(std::ptrdiff_t position);
    void ClearToTableContext(bool keepSections, bool keepRow);
    bool KeepsSpace() const;

    void FlushText();
    void CommitText();
    void EnsureHtml();
    void EnsureHead();
    void EnsureBody();
    void StartTag(Token& token);
    void BodyStartTag(Token& token);
    void TableStartTag(Token& token);
    void FramesetStartTag(Token& token);
    void EndTag(const Token& token);
    void BodyEndTag(std::uint32_t tag);

    Storage& storage_;
    Mode mode_ = Mode::kBeforeBody;
    Node* html_ = nullptr;
    Node* head_ = nullptr;
    std::vector<Open> stack_;
    std::vector<std::ptrdiff_t> topOf_;  // per tag: position of the topmost open element, -1 if none
    std::u16string pending_;             // text not yet placed in the tree
    Node* openText_ = nullptr;           // the last text node, whose content may still grow
    std::u16string openTextData_;
    bool skipNewline_ = false;
};

}  // namespace velmora::html
