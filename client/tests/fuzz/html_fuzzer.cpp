// Fuzz target for the HTML parser and serializer: any input must parse, serialize and yield a sound tree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/html/Html.h"

namespace {

using velmora::html::Node;

// Bytes below 0xF0 are taken as code units of their own, so that plain HTML seeds read as written; a byte from
// 0xF0 up takes the next two bytes as one UTF-16 unit, which reaches CJK text, U+00A0 and lone surrogates.
std::u16string ToSource(const std::uint8_t* data, std::size_t size) {
    std::u16string source;
    source.reserve(size);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] < 0xF0 || i + 2 >= size) {
            source.push_back(data[i]);
        } else {
            source.push_back(static_cast<char16_t>((data[i + 1] << 8) | data[i + 2]));
            i += 2;
        }
    }
    return source;
}

bool MentionsFrameset(const std::u16string& source) {
    static constexpr char16_t kWord[] = u"frameset";
    for (std::size_t i = 0; i + 8 <= source.size(); ++i) {
        std::size_t n = 0;
        while (n < 8 && (source[i + n] | 0x20) == kWord[n]) {
            ++n;
        }
        if (n == 8) {
            return true;
        }
    }
    return false;
}

// Every child's links agree with its parent's, checked without recursion.
void CheckLinks(const Node& root) {
    const Node* node = &root;
    while (node != nullptr) {
        const Node* last = nullptr;
        for (const Node* child = node->firstChild; child != nullptr; child = child->nextSibling) {
            if (child->parent != node) {
                std::abort();
            }
            last = child;
        }
        if (last != node->lastChild) {
            std::abort();
        }
        if (node->firstChild != nullptr) {
            node = node->firstChild;
            continue;
        }
        while (node != nullptr && node->nextSibling == nullptr) {
            node = node->parent;
        }
        node = node != nullptr ? node->nextSibling : nullptr;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string source = ToSource(data, size);
    const velmora::html::Document document = velmora::html::Parse(source);
    CheckLinks(document.Root());
    const Node* body = velmora::html::Body(document);
    if (body == nullptr) {
        if (!MentionsFrameset(source)) {
            std::abort();  // only a frameset page may lack a body
        }
        return 0;
    }
    const std::u16string markup = velmora::html::InnerHtml(*body);
    if (markup.find(u'\0') != std::u16string::npos) {
        std::abort();  // a NUL would cut the markup short in a Win32 text control
    }
    return 0;
}
