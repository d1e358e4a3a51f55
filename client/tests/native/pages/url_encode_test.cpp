#include "core/pages/UrlEncode.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

struct EncodeCase {
    std::u16string in;
    std::u16string out;
};

TEST(UrlEncodeUtf8, EncodesEachUnitAsDocumented) {
    const EncodeCase cases[] = {
        {u"", u""},
        {u"a b", u"a+b"},
        {u"Hello, World!", u"Hello%2C+World%21"},
        {u"@*-._", u"@*-._"},
        {u"~", u"%7E"},
        {u"A+B=C", u"A%2BB%3DC"},
        {u"100%", u"100%25"},
        {u"/?&=#", u"%2F%3F%26%3D%23"},
        {u"\t", u"%09"},
        {u"\r\n", u"%0D%0A"},
        {std::u16string(1, u'\0'), u"%00"},
        {u"\x7F[`{", u"%7F%5B%60%7B"},
        {u"\u00E9", u"%C3%A9"},
        {u"\u07FF\u0080", u"%DF%BF%C2%80"},
        {u"\u3042", u"%E3%81%82"},
        {u"日本", u"%E6%97%A5%E6%9C%AC"},
        {u"\uFF71", u"%EF%BD%B1"},
        {u"\uFFFF", u"%EF%BF%BF"},
        // A pair joins into one code point; lone halves keep the three-byte rule.
        {u"\U0001F600", u"%F0%9F%98%80"},
        {u"\U0010FFFF", u"%F4%8F%BF%BF"},
        {std::u16string(1, char16_t(0xD83D)), u"%ED%A0%BD"},
        {std::u16string(1, char16_t(0xDE00)) + u"x", u"%ED%B8%80x"},
        {std::u16string{char16_t(0xD83D), char16_t(0xD83D), char16_t(0xDE00)}, u"%ED%A0%BD%F0%9F%98%80"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UrlEncodeUtf8(c.in), c.out) << "input length " << c.in.size();
    }
}

TEST(UrlEncodeUtf8, OutputIsAlwaysSafeAscii) {
    std::u16string all;
    for (unsigned c = 0; c <= 0xFFFF; ++c) {
        all.push_back(static_cast<char16_t>(c));
    }
    const std::u16string out = UrlEncodeUtf8(all);
    for (size_t i = 0; i < out.size(); ++i) {
        const char16_t c = out[i];
        ASSERT_LT(c, 128);
        ASSERT_EQ(std::u16string(u" &=?#/").find(c), std::u16string::npos) << "at " << i;
        if (c == u'%') {
            ASSERT_LT(i + 2, out.size());
            for (char16_t h : {out[i + 1], out[i + 2]}) {
                ASSERT_TRUE((h >= u'0' && h <= u'9') || (h >= u'A' && h <= u'F'));
            }
        }
    }
}

}  // namespace
}  // namespace velmora
