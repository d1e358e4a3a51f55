#include "core/html/Html.h"
#include "core/html/Tags.h"

namespace velmora::html {
namespace {

void AppendUpper(std::u16string_view name, std::u16string& out) {
    const std::size_t start = out.size();
    out.append(name);
    for (std::size_t i = start; i < out.size(); ++i) {
        if (out[i] >= u'a' && out[i] <= u'z') {
            out[i] = static_cast<char16_t>(out[i] - 32);
        }
    }
}

const char16_t* Escape(char16_t c, bool attribute) {
    switch (c) {
        case u'&':
            return u"&amp;";
        case u'<':
            return attribute ? nullptr : u"&lt;";
        case u'>':
            return attribute ? nullptr : u"&gt;";
        case u'"':
            return attribute ? u"&quot;" : nullptr;
        case u'\u00A0':
            return u"&nbsp;";
        default:
            return nullptr;
    }
}

void AppendEscaped(std::u16string_view text, bool attribute, std::u16string& out) {
    std::size_t plain = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (const char16_t* escaped = Escape(text[i], attribute)) {
            out.append(text.substr(plain, i - plain));
            out.append(escaped);
            plain = i + 1;
        }
    }
    out.append(text.substr(plain));
}

bool NeedsQuotes(std::u16string_view value) {
    for (const char16_t c : value) {
        switch (c) {
            case u' ':
            case u'\t':
            case u'\n':
            case u'\r':
            case u'\f':
            case u'"':
            case u'\'':
            case u'=':
            case u'<':
            case u'>':
                return true;
            default:
                break;
        }
    }
    return value.empty();
}

void AppendStartTag(const Node& element, std::u16string& out) {
    out.push_back(u'<');
    AppendUpper(element.name, out);
    for (const Attribute& attribute : element.attributes) {
        out.push_back(u' ');
        out.append(attribute.name);
        out.push_back(u'=');
        const bool quoted = NeedsQuotes(attribute.value);
        if (quoted) {
            out.push_back(u'"');
        }
        AppendEscaped(attribute.value, true, out);
        if (quoted) {
            out.push_back(u'"');
        }
    }
    out.push_back(u'>');
}

// Script and style content goes out as the plain text it holds, as the old browser wrote it. A textarea's content
// is text like any other and goes out escaped: the popup decodes the result once, so a box that shows "&lt;" to
// the reader shows "&lt;" in the popup too, and a "</textarea>" in the text cannot end the result early. The line
// break that the parser dropped after <textarea> is not written back, so that the text between the tags is exactly
// the textarea's value.
void AppendNode(const Node& node, std::u16string& out) {
    switch (node.type) {
        case NodeType::kElement:
            AppendStartTag(node, out);
            break;
        case NodeType::kText:
            if (node.parent != nullptr && (TagTable::Flags(node.parent->tag) & kRawOut) &&
                node.parent->type == NodeType::kElement) {
                out.append(node.data);
            } else {
                AppendEscaped(node.data, false, out);
            }
            break;
        case NodeType::kComment:
            out.append(u"<!--");
            out.append(node.data);
            out.append(u"-->");
            break;
        case NodeType::kDocument:
            break;
    }
}

void AppendEndTag(const Node& node, std::u16string& out) {
    if (node.type == NodeType::kElement && !(TagTable::Flags(node.tag) & kVoid)) {
        out.append(u"</");
        AppendUpper(node.name, out);
        out.push_back(u'>');
    }
}

}  // namespace

// Walks the subtree by its links instead of recursing, so that any depth of nesting is safe.
std::u16string InnerHtml(const Node& element) {
    std::u16string out;
    const Node* node = element.firstChild;
    while (node != nullptr) {
        AppendNode(*node, out);
        if (node->firstChild != nullptr) {
            node = node->firstChild;
            continue;
        }
        for (;;) {
            AppendEndTag(*node, out);
            if (node->nextSibling != nullptr) {
                node = node->nextSibling;
                break;
            }
            node = node->parent;
            if (node == &element || node == nullptr) {
                node = nullptr;
                break;
            }
        }
    }
    return out;
}

}  // namespace velmora::html
