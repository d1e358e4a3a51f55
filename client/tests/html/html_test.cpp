#include "core/html/Html.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/html/NameHash.h"
#include "tests/html/CollidingNames.h"

namespace velmora::html {
namespace {

using namespace std::string_literals;

std::u16string BodyHtml(std::u16string_view source) {
    const Document document = Parse(source);
    const Node* body = Body(document);
    return body == nullptr ? u"(no body)" : InnerHtml(*body);
}

struct Case {
    const char* what;
    std::u16string source;
    std::u16string markup;
};

void ExpectAll(const std::initializer_list<Case>& cases) {
    for (const Case& c : cases) {
        EXPECT_EQ(BodyHtml(c.source), c.markup) << c.what;
    }
}

TEST(InnerHtml, WritesTagsAndAttributesTheOldInternetExplorerWay) {
    ExpectAll({
        {"upper-case tag names", u"<p>Hi <b>there</b></p>", u"<P>Hi <B>there</B></P>"},
        {"upper-case source", u"<DIV ID=\"Main\">x</DIV>", u"<DIV ID=Main>x</DIV>"},
        {"mixed-case names", u"<dIv cLaSs=a>x</DiV>", u"<DIV cLaSs=a>x</DIV>"},
        {"unknown element", u"<foo:bar x=1>y</foo:bar>", u"<FOO:BAR x=1>y</FOO:BAR>"},
        {"source order", u"<a z=1 a=2 m=3>x</a>", u"<A z=1 a=2 m=3>x</A>"},
        {"first duplicate wins", u"<input type=text NAME=q Type=hidden name=r>", u"<INPUT type=text NAME=q>"},
        {"single quotes dropped", u"<a href='x.html'>x</a>", u"<A href=x.html>x</A>"},
        {"blank needs quotes", u"<a title=\"a b\">x</a>", u"<A title=\"a b\">x</A>"},
        {"tab needs quotes", u"<a title=\"a\tb\">x</a>", u"<A title=\"a\tb\">x</A>"},
        {"empty value quoted", u"<a title=\"\">x</a>", u"<A title=\"\">x</A>"},
        {"no value", u"<select><option selected>x</select>", u"<SELECT><OPTION selected=\"\">x</OPTION></SELECT>"},
        {"equals sign", u"<a href=\"?q=1\">x</a>", u"<A href=\"?q=1\">x</A>"},
        {"apostrophe", u"<a title=\"it's\">x</a>", u"<A title=\"it's\">x</A>"},
        {"double quote", u"<a title='say \"hi\"'>x</a>", u"<A title=\"say &quot;hi&quot;\">x</A>"},
        {"angle brackets", u"<a title=\"<b>\">x</a>", u"<A title=\"<b>\">x</A>"},
        {"ampersand in value", u"<a href=a.cgi?x=1&amp;y=2>x</a>", u"<A href=\"a.cgi?x=1&amp;y=2\">x</A>"},
        {"unquoted value ends at blank", u"<td><img src=a.gif alt=b>", u"<IMG src=a.gif alt=b>"},
        {"attribute spacing", u"<a  href = \"x\"  >y</a>", u"<A href=x>y</A>"},
        {"slash between attributes", u"<img/src=a.gif/>", u"<IMG src=a.gif/>"},
        {"non-ASCII value", u"<a title=\"日本\">x</a>", u"<A title=日本>x</A>"},
    });
}

TEST(InnerHtml, KeepsTextAndDropsLayoutWhitespace) {
    ExpectAll({
        {"whitespace between elements", u"<div>\n  <p>a</p>\n  <p>b</p>\n</div>", u"<DIV><P>a</P><P>b</P></DIV>"},
        {"cell then textarea", u"<table><tr><td>\r\n\t<textarea>x</textarea></td></tr></table>",
         u"<TABLE><TBODY><TR><TD><TEXTAREA>x</TEXTAREA></TD></TR></TBODY></TABLE>"},
        {"text with blanks kept", u"<p> a  b </p>", u"<P> a  b </P>"},
        {"line breaks kept", u"<p>a\r\nb</p>", u"<P>a\r\nb</P>"},
        {"pre keeps whitespace", u"<pre>\n  <b> </b>\n</pre>", u"<PRE>  <B> </B>\n</PRE>"},
        {"escapes", u"<p>a &amp; b &lt; c &gt; d</p>", u"<P>a &amp; b &lt; c &gt; d</P>"},
        {"no-break space", u"<p>&nbsp;x\u00A0</p>", u"<P>&nbsp;x&nbsp;</P>"},
        {"nbsp alone is not blank", u"<td>&nbsp;</td>", u"&nbsp;"},
        {"quotes not escaped in text", u"<p>\"q\" 'a'</p>", u"<P>\"q\" 'a'</P>"},
        {"lone less-than", u"a < b <3 c<", u"a &lt; b &lt;3 c&lt;"},
        {"comment", u"<p>a<!-- note --></p>", u"<P>a<!-- note --></P>"},
        {"empty comments", u"<body><!----><!--><!--->x", u"<!----><!----><!---->x"},
        {"bogus comments", u"<body><?xml version=1?><!x>y", u"<!--?xml version=1?--><!--x-->y"},
        {"unterminated comment", u"x<!-- a <b>", u"x<!-- a <b>-->"},
        {"doctype dropped", u"<!DOCTYPE html PUBLIC \"x\"><p>a", u"<P>a</P>"},
    });
}

TEST(InnerHtml, DecodesCharacterReferences) {
    ExpectAll({
        {"named", u"&eacute;&copy;&hellip;&euro;&Omega;", u"é©…€Ω"},
        {"numeric", u"&#65;&#x42;&#X43;&#12354;&#x1F600;", u"ABCあ\U0001F600"},
        {"without semicolon", u"&copy 2000 &amp &lt", u"© 2000 &amp; &lt;"},
        {"longest name", u"&notin; &notit; &notin", u"∉ ¬it; ¬in"},
        {"needs semicolon", u"&hellip and &Omega", u"&amp;hellip and &amp;Omega"},
        {"unknown name", u"&bogus; &; & x", u"&amp;bogus; &amp;; &amp; x"},
        {"bad numbers", u"&#0;&#xD800;&#1114112;&#99999999999999;&#;&#x;", u"\uFFFD\uFFFD\uFFFD\uFFFD&amp;#;&amp;#x;"},
        {"windows-1252 range", u"&#128;&#150;&#x99;", u"€–™"},
        {"in attribute", u"<a title=\"&lt;&amp;&#34;\">x</a>", u"<A title=\"<&amp;&quot;\">x</A>"},
        {"query string left alone", u"<a href=\"?a=1&copy=2&lang=3\">x</a>",
         u"<A href=\"?a=1&amp;copy=2&amp;lang=3\">x</A>"},
    });
}

TEST(InnerHtml, WritesVoidAndRawTextElements) {
    ExpectAll({
        {"void elements", u"a<br>b<br/><img src=x.png><hr><input></input>", u"a<BR>b<BR><IMG src=x.png><HR><INPUT>"},
        {"end tag br", u"a</br>b", u"a<BR>b"},
        {"script as written", u"<body><script>if (a < b && c > d) x = \"</div>\";</script>",
         u"<SCRIPT>if (a < b && c > d) x = \"</div>\";</SCRIPT>"},
        {"style as written", u"<body><style>p > a { color: red }</style>", u"<STYLE>p > a { color: red }</STYLE>"},
        {"script end tag any case", u"<body><script>a</SCRIPT >b", u"<SCRIPT>a</SCRIPT>b"},
        {"script not ended", u"<body><script>a</scripts>", u"<SCRIPT>a</scripts></SCRIPT>"},
        {"textarea escaped like text", u"<textarea>a &lt; b &amp; <i>c</i></textarea>",
         u"<TEXTAREA>a &lt; b &amp; &lt;i&gt;c&lt;/i&gt;</TEXTAREA>"},
        {"textarea holding its end tag as text", u"<textarea>&lt;/textarea&gt;x &amp;lt;br&amp;gt;</textarea>",
         u"<TEXTAREA>&lt;/textarea&gt;x &amp;lt;br&amp;gt;</TEXTAREA>"},
        {"textarea leading newline", u"<textarea>\nx\n</textarea>", u"<TEXTAREA>x\n</TEXTAREA>"},
        {"textarea leading CRLF", u"<textarea>\r\n\r\nx</textarea>", u"<TEXTAREA>\r\nx</TEXTAREA>"},
        {"textarea only blanks", u"<textarea> </textarea>", u"<TEXTAREA> </TEXTAREA>"},
        {"empty textarea", u"<textarea></textarea>", u"<TEXTAREA></TEXTAREA>"},
        {"title in body", u"<p><title>a&amp;b</title>", u"<P><TITLE>a&amp;b</TITLE></P>"},
        {"plaintext", u"<plaintext><b>&amp;</b>", u"<PLAINTEXT><b>&amp;</b></PLAINTEXT>"},
    });
}

TEST(InnerHtml, BuildsTablesWithTbody) {
    ExpectAll({
        {"tbody inserted", u"<table><tr><td>1</td></tr></table>", u"<TABLE><TBODY><TR><TD>1</TD></TR></TBODY></TABLE>"},
        {"rows and cells implied", u"<table><td>1<td>2<tr><th>3</table>",
         u"<TABLE><TBODY><TR><TD>1</TD><TD>2</TD></TR><TR><TH>3</TH></TR></TBODY></TABLE>"},
        {"explicit sections kept", u"<table><thead><tr><th>h<tbody><tr><td>d</table>",
         u"<TABLE><THEAD><TR><TH>h</TH></TR></THEAD><TBODY><TR><TD>d</TD></TR></TBODY></TABLE>"},
        {"nested table", u"<table><tr><td><table><tr><td>i</table>o</table>",
         u"<TABLE><TBODY><TR><TD><TABLE><TBODY><TR><TD>i</TD></TR></TBODY></TABLE>o</TD></TR></TBODY></TABLE>"},
        {"form around rows", u"<table><form><tr><td>x</td></tr></form></table>",
         u"<TABLE><FORM></FORM><TBODY><TR><TD>x</TD></TR></TBODY></TABLE>"},
        {"cell outside table", u"<td>a</td><tr>b", u"ab"},
        {"end tag in cell stays in cell", u"<div><table><tr><td></div>x</table>y",
         u"<DIV><TABLE><TBODY><TR><TD>x</TD></TR></TBODY></TABLE>y</DIV>"},
        {"columns", u"<table><colgroup><col><col></colgroup><tr><td>x</table>",
         u"<TABLE><COLGROUP><COL><COL></COLGROUP><TBODY><TR><TD>x</TD></TR></TBODY></TABLE>"},
    });
}

TEST(InnerHtml, RepairsMalformedMarkup) {
    ExpectAll({
        {"unclosed elements", u"<div><span>a", u"<DIV><SPAN>a</SPAN></DIV>"},
        {"stray end tags", u"</span>a</div></p>b", u"ab"},
        {"text joined across stray tags", u"a</x> <b>b</b>", u"a <B>b</B>"},
        {"implied p end", u"<p>a<p>b<div>c</div>", u"<P>a</P><P>b</P><DIV>c</DIV>"},
        {"implied li end", u"<ul><li>a<li>b<ul><li>c</ul></ul>", u"<UL><LI>a</LI><LI>b<UL><LI>c</LI></UL></LI></UL>"},
        {"implied dd and dt end", u"<dl><dt>a<dd>b<dt>c</dl>", u"<DL><DT>a</DT><DD>b</DD><DT>c</DT></DL>"},
        {"implied option end", u"<select><option>a<option>b</select>",
         u"<SELECT><OPTION>a</OPTION><OPTION>b</OPTION></SELECT>"},
        {"headings", u"<h1>a<h2>b</h1>c", u"<H1>a</H1><H2>b</H2>c"},
        {"misnested inline", u"<b><i>x</b>y</i>", u"<B><I>x</I></B>y"},
        {"nested links", u"<a href=1>a<a href=2>b</a>", u"<A href=1>a</A><A href=2>b</A>"},
        {"tag cut off at end", u"a<div class=x", u"a"},
        {"quote cut off at end", u"a<div title=\"x>y</div>", u"a"},
        {"empty end tag", u"a</>b", u"ab"},
        {"end tag with junk", u"a</ x>b", u"a<!-- x-->b"},
        {"NUL in text", u"a\0b"s, u"ab"},
        {"NUL in names and values", u"<a\0 t\0=\"\0\">x</a\0>"s, u"<A\uFFFD t\uFFFD=\uFFFD>x</A\uFFFD>"},
        {"NUL in textarea", u"<textarea>\0</textarea>"s, u"<TEXTAREA>\uFFFD</TEXTAREA>"},
        {"lone surrogate passes", std::u16string(1, char16_t(0xD800)), std::u16string(1, char16_t(0xD800))},
        {"second body ignored", u"<body><p>a<body x=1>b", u"<P>ab</P>"},
        {"html after body", u"a</body></html>b<html>", u"ab"},
    });
}

TEST(Parse, PutsHeadContentInHeadAndImpliesBody) {
    ExpectAll({
        {"empty source", u"", u""},
        {"text only", u"hello", u"hello"},
        {"head only", u"<html><head><title>t</title></head></html>", u""},
        {"head elements", u"<title>a<b></title><meta charset=utf-8><style>x</style>\n<p>b", u"<P>b</P>"},
        {"text starts the body", u"<head><title>t</title>x<meta a=1>", u"x<META a=1>"},
        {"frameset page", u"<html><head></head>\n<frameset><frame src=a></frameset>", u"(no body)"},
        {"frameset after content", u"x<frameset><frame src=a>", u"x"},
    });
}

// The result markers are matched against the body markup, so the serialized textarea of a real page layout must
// line up with them and carry the text that the service put in the box, escaped once (the popup decodes it).
TEST(InnerHtml, TranslationPageMatchesResultMarker) {
    const std::u16string marker = u"<TD><TEXTAREA class=transT name=translatedText rows=9 wrap=virtual cols=31>";
    for (const std::u16string eol : {u"\n", u"\r\n"}) {
        const std::u16string page =
            u"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">" + eol +
            u"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">" + eol +
            u"<title>翻訳</title><script>var a = 1 < 2;</script></head>" + eol + u"<body>" + eol +
            u"<form name=\"f\" action=\"/amitext/indexUTF8.jsp\" method=\"get\">" + eol + u"<table>" + eol + u"<tr>" +
            eol + u"<td>" + eol + u"<textarea class=\"srcT\" name=\"sourceText\" rows=\"9\">" + eol +
            u"Hello &amp; you</textarea>" + eol + u"</td>" + eol + u"<td>" + eol +
            u"<textarea class=\"transT\" name=\"translatedText\" rows=\"9\" wrap=\"virtual\" cols=\"31\">" + eol +
            u"こんにちは &lt;世界&gt; &amp; 皆さん&nbsp;!" + eol + u"二行目</textarea>" + eol + u"</td></tr>" + eol +
            u"</table></form></body></html>" + eol;
        const std::u16string body = BodyHtml(page);
        const std::size_t start = body.find(marker);
        ASSERT_NE(start, std::u16string::npos) << "marker missing";
        const std::size_t end = body.find(u"</TEXTAREA>", start);
        ASSERT_NE(end, std::u16string::npos);
        EXPECT_EQ(body.substr(start + marker.size(), end - start - marker.size()),
                  u"こんにちは &lt;世界&gt; &amp; 皆さん&nbsp;!" + eol + u"二行目");
        EXPECT_LT(body.find(u"</TEXTAREA>"), start) << "the source area comes first";
    }
}

TEST(Parse, SurvivesDeepNestingAndPathologicalInput) {
    constexpr int kDepth = 100000;
    std::u16string deep;
    for (int i = 0; i < kDepth; ++i) {
        deep += u"<div>";
    }
    deep += u"x";
    const std::u16string markup = BodyHtml(deep);
    EXPECT_EQ(markup.size(), kDepth * 11u + 1);
    EXPECT_EQ(markup.substr(kDepth * 5 - 5, 7), u"<DIV>x<");

    // Many open elements inside a cell, then many end tags that match nothing in scope: each must cost little.
    std::u16string stray = u"<div><table><tr><td>";
    for (int i = 0; i < kDepth; ++i) {
        stray += u"<span>";
    }
    for (int i = 0; i < kDepth; ++i) {
        stray += u"</div><a x x x>";
    }
    EXPECT_FALSE(BodyHtml(stray).empty());

    std::u16string tables;
    for (int i = 0; i < kDepth / 10; ++i) {
        tables += u"<table><tr><td>";
    }
    EXPECT_NE(BodyHtml(tables).find(u"<TABLE><TBODY><TR><TD><TABLE>"), std::u16string::npos);

    std::u16string attributes = u"<p";
    for (int i = 0; i < kDepth; ++i) {
        attributes += u" a" + std::u16string(1, char16_t(u'a' + i % 26)) + u"=" + std::u16string(1, u'0' + i % 7);
    }
    attributes += u" za=1 ZA=2>";
    const std::u16string written = BodyHtml(attributes);
    EXPECT_EQ(written.find(u"ZA="), std::u16string::npos) << "duplicates dropped however many attributes";
}

// Milliseconds of the fastest of three parses and serializations.
double FastestMs(const std::u16string& page, std::u16string& markup) {
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        const auto start = std::chrono::steady_clock::now();
        markup = BodyHtml(page);
        best = std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

TEST(Parse, NamesWithOneHashValueParseAsFastAsOrdinaryNames) {
    constexpr unsigned kNames = 16384;
    std::u16string colliding;
    std::u16string ordinary;
    const double collidingMs = FastestMs(colliding::Page(kNames), colliding);
    const double ordinaryMs = FastestMs(colliding::Page(kNames, colliding::OrdinaryName), ordinary);
    EXPECT_LT(collidingMs, 4 * ordinaryMs + 50) << collidingMs << " ms against " << ordinaryMs << " ms";
    // Every end tag still finds its own element: none is left open around the next.
    std::u16string expected;
    for (unsigned i = 0; i < kNames; ++i) {
        std::u16string name = colliding::Name(i);
        name[0] = u'X';
        expected += u"<" + name + u">a</" + name + u">";
    }
    EXPECT_TRUE(colliding == expected);
    EXPECT_EQ(ordinary.size(), expected.size());
}

// Started again as a child by the key test below: prints this process's hash of one name and ends at once.
[[maybe_unused]] const bool kPrintsHashAndEnds = [] {
    if (std::getenv("VELMORA_PRINT_NAME_HASH") != nullptr) {
        std::printf("%zu\n", NameHash{}(u"table"));
        std::exit(0);
    }
    return false;
}();

std::size_t HashInAnotherProcess() {
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    FILE* child = popen(("VELMORA_PRINT_NAME_HASH=1 '" + self + "'").c_str(), "r");
    std::size_t value = 0;
    if (child != nullptr) {
        if (std::fscanf(child, "%zu", &value) != 1) {
            value = 0;
        }
        pclose(child);
    }
    return value;
}

// A page cannot know the key: each process draws its own.
TEST(NameHash, TheKeyDiffersBetweenProcesses) {
    const std::size_t first = HashInAnotherProcess();
    const std::size_t second = HashInAnotherProcess();
    ASSERT_NE(first, 0u);
    EXPECT_NE(first, second);
}

// The units after the last whole word of four count as much as the others: one to three of them, alone or after
// full words.
TEST(NameHash, NamesThatDifferOnlyInTheirLastUnitsHashDifferently) {
    const std::pair<std::u16string_view, std::u16string_view> pairs[] = {
        {u"a", u"b"},
        {u"td", u"th"},
        {u"col", u"cox"},
        {u"abcdx", u"abcdy"},
        {u"abcdex", u"abcdey"},
        {u"abcdefx", u"abcdefy"},
        {u"abcdefgh\u4E00", u"abcdefgh\u4E01"},
        {u"abcdeyx", u"abcdexy"},
    };
    for (const auto& [one, other] : pairs) {
        EXPECT_NE(NameHash{}(one), NameHash{}(other)) << std::string(one.begin(), one.end());
    }
}

TEST(Document, NodesOutliveMoves) {
    Document first = Parse(u"<p>kept</p>");
    const Node* body = Body(first);
    Document second = std::move(first);
    ASSERT_EQ(Body(second), body);
    EXPECT_EQ(InnerHtml(*body), u"<P>kept</P>");
    ASSERT_NE(second.Root().firstChild, nullptr);
    EXPECT_EQ(second.Root().firstChild->name, u"html");
}

}  // namespace
}  // namespace velmora::html
