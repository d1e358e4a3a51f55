#include "core/selection/Direction.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(Direction, HangulThenJapaneseThenEnglish) {
    const struct {
        const char* what;
        std::u16string_view text;
        std::u16string_view code;
    } cases[] = {
        {"English", u"Hello, world.", u"EJhnA"},
        {"kanji and kana", u"今日は良い天気です。", u"JEhnA"},
        {"English with one kanji", u"Tokyo (東京) is big", u"JEhnA"},
        {"katakana only", u"コンピューター", u"JEhnA"},
        {"half-width katakana", u"ｺﾝﾋﾟｭｰﾀｰ", u"JEhnA"},
        {"full-width Latin", u"ＡＢＣ １２３", u"EJhnA"},
        {"full-width punctuation alone", u"「」、。・", u"EJhnA"},
        {"emoji", u"\U0001F600 nice", u"EJhnA"},
        {"emoji and kana", u"\U0001F600 いいね", u"JEhnA"},
        {"ideograph beyond the first plane", u"\U00020B9F", u"JEhnA"},
        {"Hangul", u"안녕하세요", u"KJIFA"},
        {"Hangul beside kanji", u"韓国語 한국어", u"KJIFA"},
        {"Hangul after English", u"Say 감사합니다", u"KJIFA"},
        {"half-width Hangul", u"\uFFA1", u"KJIFA"},
        {"Cyrillic and Greek", u"Привет αβγ", u"EJhnA"},
        {"a lone surrogate", u"a\xD800 b", u"EJhnA"},
        // The lone high half must not swallow the syllable after it as its pair.
        {"a lone high surrogate before Hangul", u"\xD800\uD55C", u"KJIFA"},
        {"empty", u"", u"EJhnA"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DirectionCode(c.text), c.code) << c.what;
    }
}

}  // namespace
}  // namespace velmora
