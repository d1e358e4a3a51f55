// The tag names the parser gives rules to, and the table that turns any tag name into a small number.
#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/html/NameHash.h"

namespace velmora::html {

enum TagFlag : unsigned {
    kVoid = 1 << 0,          // never has children or an end tag
    kRawText = 1 << 1,       // content is text up to the matching end tag
    kRcdata = 1 << 2,        // like kRawText, but character references are decoded
    kPlaintext = 1 << 3,     // everything after the start tag is text
    kRawOut = 1 << 4,        // content is written back unescaped
    kClosesP = 1 << 5,       // the start tag ends an open p
    kKeepsSpace = 1 << 6,    // whitespace-only text inside is kept
    kHeadContent = 1 << 7,   // belongs in head when it comes before the body
    kSkipsNewline = 1 << 8,  // a line break right after the start tag is not part of the content
    kHeading = 1 << 9,       // h1 to h6
};

// X(enumerator, name, flags)
#define VELMORA_HTML_TAGS(X)                                                  \
    X(A, u"a", 0)                                                             \
    X(Address, u"address", kClosesP)                                          \
    X(Applet, u"applet", 0)                                                   \
    X(Area, u"area", kVoid)                                                   \
    X(Article, u"article", kClosesP)                                          \
    X(Aside, u"aside", kClosesP)                                              \
    X(Base, u"base", kVoid | kHeadContent)                                    \
    X(Basefont, u"basefont", kVoid | kHeadContent)                            \
    X(Bgsound, u"bgsound", kVoid | kHeadContent)                              \
    X(Blockquote, u"blockquote", kClosesP)                                    \
    X(Body, u"body", 0)                                                       \
    X(Br, u"br", kVoid)                                                       \
    X(Button, u"button", 0)                                                   \
    X(Caption, u"caption", 0)                                                 \
    X(Center, u"center", kClosesP)                                            \
    X(Col, u"col", kVoid)                                                     \
    X(Colgroup, u"colgroup", 0)                                               \
    X(Dd, u"dd", kClosesP)                                                    \
    X(Details, u"details", kClosesP)                                          \
    X(Dir, u"dir", kClosesP)                                                  \
    X(Div, u"div", kClosesP)                                                  \
    X(Dl, u"dl", kClosesP)                                                    \
    X(Dt, u"dt", kClosesP)                                                    \
    X(Embed, u"embed", kVoid)                                                 \
    X(Fieldset, u"fieldset", kClosesP)                                        \
    X(Figure, u"figure", kClosesP)                                            \
    X(Footer, u"footer", kClosesP)                                            \
    X(Form, u"form", kClosesP)                                                \
    X(Frame, u"frame", kVoid)                                                 \
    X(Frameset, u"frameset", 0)                                               \
    X(H1, u"h1", kClosesP | kHeading)                                         \
    X(H2, u"h2", kClosesP | kHeading)                                         \
    X(H3, u"h3", kClosesP | kHeading)                                         \
    X(H4, u"h4", kClosesP | kHeading)                                         \
    X(H5, u"h5", kClosesP | kHeading)                                         \
    X(H6, u"h6", kClosesP | kHeading)                                         \
    X(Head, u"head", 0)                                                       \
    X(Header, u"header", kClosesP)                                            \
    X(Hr, u"hr", kVoid | kClosesP)                                            \
    X(Html, u"html", 0)                                                       \
    X(Iframe, u"iframe", kRawText | kRawOut)                                  \
    X(Img, u"img", kVoid)                                                     \
    X(Input, u"input", kVoid)                                                 \
    X(Keygen, u"keygen", kVoid)                                               \
    X(Li, u"li", kClosesP)                                                    \
    X(Link, u"link", kVoid | kHeadContent)                                    \
    X(Listing, u"listing", kClosesP | kKeepsSpace | kSkipsNewline)            \
    X(Main, u"main", kClosesP)                                                \
    X(Marquee, u"marquee", 0)                                                 \
    X(Menu, u"menu", kClosesP)                                                \
    X(Meta, u"meta", kVoid | kHeadContent)                                    \
    X(Nav, u"nav", kClosesP)                                                  \
    X(Noembed, u"noembed", kRawText | kRawOut)                                \
    X(Noframes, u"noframes", kRawText | kRawOut | kHeadContent)               \
    X(Noscript, u"noscript", kRawText | kRawOut | kHeadContent)               \
    X(Object, u"object", 0)                                                   \
    X(Ol, u"ol", kClosesP)                                                    \
    X(Optgroup, u"optgroup", 0)                                               \
    X(Option, u"option", 0)                                                   \
    X(P, u"p", kClosesP)                                                      \
    X(Param, u"param", kVoid)                                                 \
    X(Plaintext, u"plaintext", kPlaintext | kRawOut | kClosesP | kKeepsSpace) \
    X(Pre, u"pre", kClosesP | kKeepsSpace | kSkipsNewline)                    \
    X(Script, u"script", kRawText | kRawOut | kHeadContent)                   \
    X(Section, u"section", kClosesP)                                          \
    X(Select, u"select", 0)                                                   \
    X(Source, u"source", kVoid)                                               \
    X(Style, u"style", kRawText | kRawOut | kHeadContent)                     \
    X(Table, u"table", 0)                                                     \
    X(Tbody, u"tbody", 0)                                                     \
    X(Td, u"td", 0)                                                           \
    X(Template, u"template", 0)                                               \
    X(Textarea, u"textarea", kRcdata | kKeepsSpace | kSkipsNewline)          \
    X(Tfoot, u"tfoot", 0)                                                     \
    X(Th, u"th", 0)                                                           \
    X(Thead, u"thead", 0)                                                     \
    X(Title, u"title", kRcdata | kKeepsSpace | kHeadContent)                  \
    X(Tr, u"tr", 0)                                                           \
    X(Track, u"track", kVoid)                                                 \
    X(Ul, u"ul", kClosesP)                                                    \
    X(Wbr, u"wbr", kVoid)                                                     \
    X(Xmp, u"xmp", kRawText | kRawOut | kClosesP | kKeepsSpace)

enum Tag : std::uint32_t {
#define VELMORA_HTML_TAG_ID(id, name, flags) kTag##id,
    VELMORA_HTML_TAGS(VELMORA_HTML_TAG_ID)
#undef VELMORA_HTML_TAG_ID
        kTagCount
};

// Interns tag names (already lower-case) per document; names beyond the built-in ones get fresh ids.
class TagTable {
  public:
    TagTable();
    [[nodiscard]] std::uint32_t Intern(std::u16string_view lowerName);
    [[nodiscard]] std::u16string_view Name(std::uint32_t id) const { return names_[id]; }
    [[nodiscard]] std::uint32_t Count() const { return static_cast<std::uint32_t>(names_.size()); }
    [[nodiscard]] static unsigned Flags(std::uint32_t id);

  private:
    // The page chooses the names, so the table's hash must be one it cannot predict.
    std::unordered_map<std::u16string_view, std::uint32_t, NameHash> ids_;  // keys view into kTagNames or owned_
    std::deque<std::u16string> owned_;
    std::vector<std::u16string_view> names_;
};

}  // namespace velmora::html
