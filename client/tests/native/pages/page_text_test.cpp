#include "core/pages/PageText.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(PageCodePage, HeaderThenMetaThenUtf8ThenShiftJis) {
    const std::string sjis = "\x82\xa0\x82\xa2";  // "あい" in Shift_JIS, not valid UTF-8
    const std::string utf8 = "\xe3\x81\x82";
    const std::string metaSjis =
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">";
    struct Case {
        std::string contentType;
        std::string body;
        unsigned codePage;
    };
    const Case cases[] = {
        {"text/html; charset=UTF-8", sjis, 65001},
        {"text/html;charset=\"shift_jis\"", utf8, 932},
        {"text/html; Charset = EUC-JP", "", 20932},
        {"text/html", metaSjis + utf8, 932},
        {"text/html", "<META CHARSET='utf-8'>" + sjis, 65001},
        {"text/html; charset=klingon", "<meta charset=windows-31j>", 932},
        {"text/html", utf8, 65001},
        {"", sjis, 932},
        {"", "plain ascii", 65001},
        {"", std::string("\xe3\x81", 2), 932},  // cut UTF-8 sequence
        {"", "\xc0\xaf", 932},                  // overlong form
        {"", "\xed\xa0\x80", 932},              // encoded surrogate
        {"", "\xf0\x9f\x98\x80", 65001},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PageCodePage(c.contentType, c.body), c.codePage) << c.contentType << " / " << c.body;
    }
}

TEST(WireUrl, EscapesOnlyWhatCannotGoOnTheWire) {
    const std::pair<std::u16string, std::string> cases[] = {
        {u"http://h/p?a=b&c=%0D", "http://h/p?a=b&c=%0D"},
        {u"http://h/?before=Hello world", "http://h/?before=Hello%20world"},
        {u"http://h/?t=\r\n\t", "http://h/?t=%0D%0A%09"},
        {u"http://h/?t=あé", "http://h/?t=%E3%81%82%C3%A9"},
        {u"http://h/?t=\U0001F600", "http://h/?t=%F0%9F%98%80"},
        {u"http://h/?t=\"<>", "http://h/?t=\"<>"},
        {u"http://h/?t=\x7F", "http://h/?t=%7F"},
    };
    for (const auto& [url, wire] : cases) {
        EXPECT_EQ(WireUrl(url), wire);
    }
}

TEST(HttpUrls, ParseAndResolveRedirects) {
    const auto url = ParseHttpUrl("http://127.0.0.1:8080/world/text/?a=1#frag");
    ASSERT_TRUE(url);
    EXPECT_EQ(url->host, "127.0.0.1");
    EXPECT_EQ(url->port, 8080);
    EXPECT_EQ(url->target, "/world/text/?a=1");
    EXPECT_EQ(ParseHttpUrl("HTTPS://example.jp")->port, 443);
    EXPECT_EQ(ParseHttpUrl("http://h?x")->target, "/?x");
    for (const char* bad : {"ftp://h/", "http://:80/", "http://h:99999/", "http://h:x/", "http://u@h/", "h/p"}) {
        EXPECT_FALSE(ParseHttpUrl(bad)) << bad;
    }
    const std::pair<const char*, const char*> redirects[] = {
        {"/other?q=1", "http://127.0.0.1:8080/other?q=1"},
        {"next", "http://127.0.0.1:8080/world/text/next"},
        {"https://elsewhere/", "https://elsewhere/"},
        {"//cdn.test/x", "http://cdn.test/x"},
    };
    for (const auto& [location, absolute] : redirects) {
        EXPECT_EQ(ResolveLocation(*url, location), absolute);
    }
    EXPECT_FALSE(ResolveLocation(*url, ""));
    // On a page whose path ends in a file name, a query-only location keeps that file.
    const auto page = ParseHttpUrl("http://h/amitext/indexUTF8.jsp?langpair=1,2");
    ASSERT_TRUE(page);
    const std::pair<const char*, const char*> relative[] = {
        {"?x=1", "http://h:80/amitext/indexUTF8.jsp?x=1"},
        {"#top", "http://h:80/amitext/indexUTF8.jsp?langpair=1,2#top"},
        {"other.jsp?x=1", "http://h:80/amitext/other.jsp?x=1"},
    };
    for (const auto& [location, absolute] : relative) {
        EXPECT_EQ(ResolveLocation(*page, location), absolute) << location;
    }
}

}  // namespace
}  // namespace velmora
