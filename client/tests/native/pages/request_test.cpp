#include "core/pages/Request.h"

#include "core/pages/PageText.h"
#include "core/pages/UrlEncode.h"
#include "core/services/RequestLimit.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

const ServiceHosts kHosts{u"ex.test", u"is.test:8080", u"CID"};
constexpr std::u16string_view kQ = u"&lang=JA&toolbar=yes&c_id=CID&translate=";

std::u16string Url(std::u16string_view code, const std::u16string& text) {
    // As the start-up does it: the encoding codes' text is replaced by its encoding first.
    const RequestKind* kind = FindRequest(code);
    return kind ? BuildRequestUrl(*kind, kind->encodeText ? UrlEncodeUtf8(text) : text, kHosts) : u"(no code)";
}

TEST(RequestUrl, EveryCodeBuildsItsServiceUrl) {
    struct Case {
        std::u16string_view code;
        std::u16string text;
        std::u16string url;
    };
    const std::u16string is = u"http://is.test:8080/amitext/indexUTF8.jsp?langpair=";
    const Case cases[] = {
        {u"JEhnA", u"日本語", u"http://ex.test/world/text/?wb_lp=JAEN&before=日本語"},
        {u"EJhnA", u"", u"http://ex.test/world/text/?wb_lp=ENJA&before="},
        {u"EJhnA", u" ", u"http://ex.test/world/text/?wb_lp=ENJA&before= "},
        // Query delimiters in raw text are escaped; "%" stays so the scripts' "%0D" marks keep their meaning.
        {u"EJhnA", u"Tom & Jerry", u"http://ex.test/world/text/?wb_lp=ENJA&before=Tom %26 Jerry"},
        {u"EJhnA", u"C# + C++", u"http://ex.test/world/text/?wb_lp=ENJA&before=C%23 %2B C%2B%2B"},
        {u"EJhnA", u"a%0Db 100%", u"http://ex.test/world/text/?wb_lp=ENJA&before=a%0Db 100%"},
        {u"EJhnA", u"line\r\nnext", u"http://ex.test/world/text/?wb_lp=ENJA&before=line\r\nnext"},
        {u"EJIFA", u"", is + u"1,2&sourceText=" + std::u16string(kQ)},
        {u"EJIFA", u"a & b", is + u"1,2&sourceText=a %26 b" + std::u16string(kQ)},
        {u"KJIFA", u"한국어", is + u"9,2&sourceText=한국어" + std::u16string(kQ)},
        // The encoded codes escape everything themselves; nothing is escaped twice.
        {u"JEIFA", u"\u3042", is + u"2,1&sourceText=%E3%81%82" + std::u16string(kQ)},
        {u"JKIFA", u"a&b %0D", is + u"2,9&sourceText=a%26b+%250D" + std::u16string(kQ)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Url(c.code, c.text), c.url);
    }
}

TEST(RequestCodes, MatchExactlyAndCarryTheBrowserNumber) {
    const std::pair<std::u16string_view, int> known[] = {{u"JEhnA", 0}, {u"EJhnA", 0}, {u"EJIFA", 1},
                                                         {u"JEIFA", 2}, {u"KJIFA", 3}, {u"JKIFA", 4}};
    for (const auto& [code, number] : known) {
        ASSERT_NE(FindRequest(code), nullptr);
        EXPECT_EQ(FindRequest(code)->browserRequest, number);
    }
    for (std::u16string_view unknown : {u"ejhna", u"EJhn", u"", u"EJHNA", u"EJhnA "}) {
        EXPECT_EQ(FindRequest(unknown), nullptr);
    }
}

TEST(RequestHosts, OverridesReplaceTheBuiltInHosts) {
    const ServiceHosts builtIn = HostsWithOverrides(std::nullopt, std::nullopt);
    // Without overrides the requests go to the real services, with the client's own identifier.
    const RequestKind* excite = FindRequest(u"EJhnA");
    const RequestKind* infoseek = FindRequest(u"EJIFA");
    ASSERT_TRUE(excite && infoseek);
    EXPECT_EQ(BuildRequestUrl(*excite, u"x", builtIn), u"http://www.excite.co.jp/world/text/?wb_lp=ENJA&before=x");
    EXPECT_EQ(BuildRequestUrl(*infoseek, u"x", builtIn),
              u"http://translation.infoseek.co.jp/amitext/indexUTF8.jsp?langpair=1,2&sourceText=x"
              u"&lang=JA&toolbar=yes&c_id=velmora&translate=");
    const ServiceHosts both = HostsWithOverrides(u"127.0.0.1:1", u"127.0.0.1:2");
    EXPECT_EQ(both.excite, u"127.0.0.1:1");
    EXPECT_EQ(both.infoseek, u"127.0.0.1:2");
    EXPECT_EQ(HostsWithOverrides(u"", std::nullopt).excite, builtIn.excite);
}

TEST(CommandLine, ArgumentTextFollowsTheProgramPathAndItsBlanks) {
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {
        {u"\"C:\\Program Files\\Velmora\\velmora.exe\" EJhnAHello", u"EJhnAHello"},
        {u"C:\\Velmora\\velmora.exe EJhnAHello", u"EJhnAHello"},
        {u"velmora.exe    EJhnA  two  blanks ", u"EJhnA  two  blanks "},
        {u"\"C:\\a b\\velmora.exe\"\tEJhnA\"quoted\"\r\nline", u"EJhnA\"quoted\"\r\nline"},
        {u"\"C:\\a b\\velmora.exe\"", u""},
        {u"velmora.exe", u""},
        {u"velmora.exe ", u""},
        {u"\"unclosed path EJhnA", u""},
        {u"", u""},
    };
    for (const auto& [line, argument] : cases) {
        EXPECT_EQ(ArgumentText(line), argument);
    }
}

// The longest start of a text whose URL the service still accepts, counted as the URL goes on the wire.
TEST(RequestLimit, TheLongestStartThatFitsNeverEndsInsideAPair) {
    const std::size_t base = WireUrl(Url(u"EJhnA", u"")).size();
    const std::size_t room = kPageUrlLimit - base;
    const std::u16string pair = u"\U0001F600";  // 12 bytes on the wire
    const std::pair<std::u16string, std::size_t> cases[] = {
        {u"", 0},
        {std::u16string(room, u'a'), room},
        {std::u16string(room + 1, u'a'), room},
        {std::u16string(room, u' '), room / 3},  // a blank goes as %20
        {std::u16string(room - 11, u'a') + pair, room - 11},
        {std::u16string(room - 12, u'a') + pair + u"b", room - 10},
    };
    for (const auto& [text, fits] : cases) {
        EXPECT_EQ(FittingLength(*FindRequest(u"EJhnA"), text, kHosts), fits) << text.size();
    }
    // The encoding codes are measured after their encoding.
    const std::u16string kana(1000, u'\u3042');
    const std::size_t fits = FittingLength(*FindRequest(u"JEIFA"), kana, kHosts);
    EXPECT_LE(WireUrl(Url(u"JEIFA", kana.substr(0, fits))).size(), kPageUrlLimit);
    EXPECT_GT(WireUrl(Url(u"JEIFA", kana.substr(0, fits + 1))).size(), kPageUrlLimit);
    EXPECT_EQ(CharacterCount(u"a" + pair + u"\u3042"), 3u);
}

}  // namespace
}  // namespace velmora
