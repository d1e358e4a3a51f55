#include "core/html/TreeBuilder.h"

#include <algorithm>

namespace velmora::html {
namespace {

bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

bool IsBlank(const std::u16string& text) {
    return std::all_of(text.begin(), text.end(), IsSpace);
}

bool IsTableSection(std::uint32_t tag) {
    return tag == kTagTbody || tag == kTagThead || tag == kTagTfoot;
}

}  // namespace

TreeBuilder::TreeBuilder(Storage& storage) : storage_(storage) {
    storage_.root = NewNode(NodeType::kDocument, nullptr);
}

Node* TreeBuilder::NewNode(NodeType type, Node* parent) {
    Node* node = &storage_.nodes.emplace_back();
    node->type = type;
    node->parent = parent;
    if (parent != nullptr) {
        (parent->lastChild ? parent->lastChild->nextSibling : parent->firstChild) = node;
        parent->lastChild = node;
    }
    return node;
}

Node* TreeBuilder::Insert(std::uint32_t tag, std::span<const Attribute> attributes) {
    Node* node = NewNode(NodeType::kElement, Current());
    node->tag = tag;
    node->name = storage_.tags.Name(tag);
    node->attributes = storage_.attributes.Copy(attributes);
    const unsigned flags = TagTable::Flags(tag);
    if (!(flags & kVoid)) {
        Push(node, tag);
    }
    skipNewline_ = (flags & kSkipsNewline) != 0;
    return node;
}

void TreeBuilder::Push(Node* node, std::uint32_t tag) {
    if (tag >= topOf_.size()) {
        topOf_.resize(std::max<std::size_t>(storage_.tags.Count(), tag + 1), -1);
    }
    stack_.push_back({node, tag, topOf_[tag]});
    topOf_[tag] = static_cast<std::ptrdiff_t>(stack_.size()) - 1;
}

void TreeBuilder::Pop() {
    topOf_[stack_.back().tag] = stack_.back().below;
    stack_.pop_back();
}

// Pops the element at position and all above it; the html element always stays.
void TreeBuilder::PopTo(std::ptrdiff_t position) {
    while (static_cast<std::ptrdiff_t>(stack_.size()) > std::max<std::ptrdiff_t>(position, 1)) {
        Pop();
    }
}

// Where an element's end tag stops looking: the topmost open element that bounds the scope.
std::ptrdiff_t TreeBuilder::ScopeLimit(Scope scope, std::uint32_t except) const {
    static constexpr Tag kDefault[] = {kTagApplet, kTagCaption, kTagHtml,   kTagTable,   kTagTd,
                                       kTagTh,     kTagMarquee, kTagObject, kTagTemplate};
    static constexpr Tag kTable[] = {kTagHtml, kTagTable, kTagTemplate};
    std::ptrdiff_t limit = -1;
    const auto consider = [&](Tag tag) {
        if (tag != except) {
            limit = std::max(limit, TopOf(tag));
        }
    };
    if (scope == Scope::kTable) {
        std::for_each(std::begin(kTable), std::end(kTable), consider);
        return limit;
    }
    std::for_each(std::begin(kDefault), std::end(kDefault), consider);
    if (scope == Scope::kButton) {
        consider(kTagButton);
    } else if (scope == Scope::kListItem) {
        consider(kTagOl);
        consider(kTagUl);
    }
    return limit;
}

bool TreeBuilder::InScope(std::uint32_t tag, Scope scope) const {
    const std::ptrdiff_t at = TopOf(tag);
    return at >= 0 && at > ScopeLimit(scope, tag);
}

bool TreeBuilder::KeepsSpace() const {
    return (TagTable::Flags(CurrentTag()) & (kKeepsSpace | kRawText | kRcdata | kPlaintext)) || TopOf(kTagPre) >= 0 ||
           TopOf(kTagListing) >= 0 || TopOf(kTagPlaintext) >= 0;
}

void TreeBuilder::Process(Token& token) {
    if (token.kind == Token::Kind::kText) {
        std::size_t skip = 0;
        if (skipNewline_) {
            // A line break right after <textarea> or <pre> is layout of the source, not content.
            skip = token.data.starts_with(u"\r\n") ? 2 : token.data.find_first_of(u"\r\n") == 0 ? 1 : 0;
        }
        skipNewline_ = false;
        pending_.append(token.data, skip);
        return;
    }
    skipNewline_ = false;
    FlushText();
    switch (token.kind) {
        case Token::Kind::kComment:
            NewNode(NodeType::kComment, Current())->data = storage_.Text(token.data);
            break;
        case Token::Kind::kStartTag:
            StartTag(token);
            break;
        case Token::Kind::kEndTag:
            EndTag(token);
            break;
        default:
            break;
    }
}

void TreeBuilder::Finish() {
    FlushText();
    if (mode_ == Mode::kBeforeBody) {
        EnsureBody();
    }
    CommitText();
}

// Whitespace-only text between elements is left out of the tree, as old Internet Explorer did; that is what puts
// "<TD><TEXTAREA" side by side when the source has a line break between them.
void TreeBuilder::FlushText() {
    if (pending_.empty()) {
        return;
    }
    if (mode_ == Mode::kInFrameset && CurrentTag() != kTagNoframes) {
        pending_.clear();
        return;
    }
    const bool joins = openText_ != nullptr && Current()->lastChild == openText_;
    const bool keep = joins || KeepsSpace();
    if (!keep && IsBlank(pending_)) {
        pending_.clear();
        return;
    }
    if (mode_ == Mode::kBeforeBody && !keep) {
        EnsureBody();
    }
    // Text split by tags that change nothing (stray end tags, a second <body>) joins the text node before it.
    if (!joins) {
        CommitText();
        openText_ = NewNode(NodeType::kText, Current());
    }
    openTextData_ += pending_;
    pending_.clear();
}

void TreeBuilder::CommitText() {
    if (openText_ != nullptr) {
        openText_->data = storage_.Text(openTextData_);
        openText_ = nullptr;
        openTextData_.clear();
    }
}

void TreeBuilder::EnsureHtml() {
    if (html_ == nullptr) {
        html_ = Insert(kTagHtml);
    }
}

void TreeBuilder::EnsureHead() {
    EnsureHtml();
    if (head_ == nullptr) {
        head_ = Insert(kTagHead);
    }
}

void TreeBuilder::EnsureBody() {
    if (storage_.body != nullptr) {
        return;
    }
    EnsureHead();
    PopTo(1);
    storage_.body = Insert(kTagBody);
    mode_ = Mode::kInBody;
}

void TreeBuilder::StartTag(Token& token) {
    const std::uint32_t tag = token.tag;
    if (mode_ == Mode::kInFrameset) {
        FramesetStartTag(token);
        return;
    }
    if (mode_ == Mode::kBeforeBody) {
        if (tag == kTagHtml || tag == kTagHead) {
            EnsureHead();
            return;
        }
        if (tag == kTagFrameset) {
            EnsureHead();
            PopTo(1);
            Insert(kTagFrameset, token.attributes);
            mode_ = Mode::kInFrameset;
            return;
        }
        if (TagTable::Flags(tag) & kHeadContent) {
            EnsureHead();
            Insert(tag, token.attributes);
            return;
        }
        EnsureBody();
        if (tag == kTagBody) {
            storage_.body->attributes = storage_.attributes.Copy(token.attributes);
            return;
        }
    }
    BodyStartTag(token);
}

void TreeBuilder::BodyStartTag(Token& token) {
    const std::uint32_t tag = token.tag;
    const unsigned flags = TagTable::Flags(tag);
    switch (tag) {
        case kTagHtml:
        case kTagHead:
        case kTagBody:
        case kTagFrameset:
        case kTagFrame:
            return;
        case kTagCaption:
        case kTagCol:
        case kTagColgroup:
        case kTagTbody:
        case kTagThead:
        case kTagTfoot:
        case kTagTr:
        case kTagTd:
        case kTagTh:
            TableStartTag(token);
            return;
        default:
            break;
    }
    if ((flags & kClosesP) && InScope(kTagP, Scope::kButton)) {
        PopTo(TopOf(kTagP));
    }
    if (tag == kTagLi && InScope(kTagLi, Scope::kListItem)) {
        PopTo(TopOf(kTagLi));
    } else if (tag == kTagDd || tag == kTagDt) {
        const std::uint32_t open = TopOf(kTagDd) > TopOf(kTagDt) ? kTagDd : kTagDt;
        if (InScope(open, Scope::kDefault)) {
            PopTo(TopOf(open));
        }
    } else if ((flags & kHeading) && (TagTable::Flags(CurrentTag()) & kHeading)) {
        Pop();
    } else if ((tag == kTagOption || tag == kTagOptgroup) && CurrentTag() == kTagOption) {
        Pop();
    } else if (tag == kTagTable) {
        // A table straight inside another table's rows is a new table after it, not one nested in it.
        const std::uint32_t current = CurrentTag();
        if (current == kTagTable || current == kTagTr || IsTableSection(current)) {
            PopTo(TopOf(kTagTable));
        }
    } else if ((tag == kTagA || tag == kTagButton) && InScope(tag, Scope::kDefault)) {
        PopTo(TopOf(tag));
    }
    Insert(tag, token.attributes);
}

void TreeBuilder::ClearToTableContext(bool keepSections, bool keepRow) {
    for (;;) {
        const std::uint32_t tag = CurrentTag();
        if (tag == kTagTable || tag == kTagHtml || (keepSections && IsTableSection(tag)) ||
            (keepRow && tag == kTagTr)) {
            return;
        }
        Pop();
    }
}

// Rows and cells go into the innermost open table, with the tbody and tr that browsers imply; outside a table
// these tags mean nothing and are dropped.
void TreeBuilder::TableStartTag(Token& token) {
    const std::uint32_t tag = token.tag;
    if (!InScope(kTagTable, Scope::kTable)) {
        return;
    }
    if (tag == kTagTr) {
        ClearToTableContext(true, false);
    } else if (tag == kTagTd || tag == kTagTh) {
        ClearToTableContext(true, true);
    } else if (tag != kTagCol || CurrentTag() != kTagColgroup) {
        ClearToTableContext(false, false);
    }
    if ((tag == kTagTr || tag == kTagTd || tag == kTagTh) && CurrentTag() == kTagTable) {
        Insert(kTagTbody);
    }
    if ((tag == kTagTd || tag == kTagTh) && IsTableSection(CurrentTag())) {
        Insert(kTagTr);
    }
    Insert(tag, token.attributes);
}

void TreeBuilder::FramesetStartTag(Token& token) {
    if (token.tag == kTagFrameset || token.tag == kTagFrame || token.tag == kTagNoframes) {
        Insert(token.tag, token.attributes);
    }
}

void TreeBuilder::EndTag(const Token& token) {
    const std::uint32_t tag = token.tag;
    if (mode_ == Mode::kInFrameset) {
        if ((tag == kTagFrameset || tag == kTagNoframes) && CurrentTag() == tag && stack_.size() > 2) {
            Pop();
        }
        return;
    }
    if (mode_ == Mode::kBeforeBody) {
        if (tag == kTagBr) {
            EnsureBody();
            Insert(kTagBr);
        } else if (CurrentTag() == tag && tag != kTagHtml && tag != kTagHead) {
            Pop();
        }
        return;
    }
    BodyEndTag(tag);
}

void TreeBuilder::BodyEndTag(std::uint32_t tag) {
    switch (tag) {
        case kTagHtml:
        case kTagHead:
        case kTagBody:
            return;
        case kTagBr:
            Insert(kTagBr);
            return;
        case kTagP:
            if (InScope(kTagP, Scope::kButton)) {
                PopTo(TopOf(kTagP));
            }
            return;
        case kTagLi:
            if (InScope(kTagLi, Scope::kListItem)) {
                PopTo(TopOf(kTagLi));
            }
            return;
        case kTagTable:
        case kTagCaption:
        case kTagColgroup:
        case kTagTbody:
        case kTagThead:
        case kTagTfoot:
        case kTagTr:
        case kTagTd:
        case kTagTh:
            if (InScope(tag, Scope::kTable)) {
                PopTo(TopOf(tag));
            }
            return;
        default:
            break;
    }
    if (TagTable::Flags(tag) & kHeading) {
        // Any heading end tag closes the open heading, whatever its level.
        std::ptrdiff_t top = -1;
        for (std::uint32_t h = kTagH1; h <= kTagH6; ++h) {
            top = std::max(top, TopOf(h));
        }
        if (top >= 0 && top > ScopeLimit(Scope::kDefault, kNoTag)) {
            PopTo(top);
        }
    } else if (InScope(tag, Scope::kDefault)) {
        PopTo(TopOf(tag));
    }
}

}  // namespace velmora::html
