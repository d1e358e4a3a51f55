#include "core/selection/Direction.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(Direction, HangulThenJapaneseThenEnglish) {
    const struct {
        const char* what;
        std::u16string_view text;
        std::u16string_view code;     // for the pages
        std::u16string_view source;   // for a service that finds the source language: empty leaves it to it
        std::u16string_view target;
    } cases[] = {
        {"English", u"Hello, world.", u"EJhnA", u"", u"JA"},
        {"kanji and kana", u"今日は良い天気です。", u"JEhnA", u"JA", u"EN"},
        {"English with one kanji", u"Tokyo (東京) is big", u"JEhnA", u"", u"JA"},
        {"katakana only", u"コンピューター", u"JEhnA", u"JA", u"EN"},
        {"half-width katakana", u"ｺﾝﾋﾟｭｰﾀｰ", u"JEhnA", u"JA", u"EN"},
        {"full-width Latin", u"ＡＢＣ １２３", u"EJhnA", u"", u"JA"},
        {"full-width punctuation alone", u"「」、。・", u"EJhnA", u"", u"JA"},
        {"emoji", u"\U0001F600 nice", u"EJhnA", u"", u"JA"},
        {"emoji and kana", u"\U0001F600 いいね", u"JEhnA", u"JA", u"EN"},
        {"ideograph beyond the first plane", u"\U00020B9F", u"JEhnA", u"", u"JA"},
        {"Hangul", u"안녕하세요", u"KJIFA", u"KO", u"JA"},
        {"Hangul beside kanji", u"韓国語 한국어", u"KJIFA", u"KO", u"JA"},
        {"Hangul after English", u"Say 감사합니다", u"KJIFA", u"KO", u"JA"},
        {"half-width Hangul", u"\uFFA1", u"KJIFA", u"KO", u"JA"},
        {"Cyrillic and Greek", u"Привет αβγ", u"EJhnA", u"", u"JA"},
        {"a lone surrogate", u"a\xD800 b", u"EJhnA", u"", u"JA"},
        // The lone high half must not swallow the syllable after it as its pair.
        {"a lone high surrogate before Hangul", u"\xD800\uD55C", u"KJIFA", u"KO", u"JA"},
        {"Han characters alone, Chinese or Japanese", u"你好世界", u"JEhnA", u"", u"JA"},
        {"Han characters with an iteration mark", u"人々", u"JEhnA", u"JA", u"EN"},
        {"French", u"Bonjour le monde", u"EJhnA", u"", u"JA"},
        {"empty", u"", u"EJhnA", u"", u"JA"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DirectionCode(c.text), c.code) << c.what;
        const ServiceDirection direction = ServiceDirectionOf(c.text);
        EXPECT_EQ(direction.languages.source, c.source) << c.what;
        EXPECT_EQ(direction.languages.target, c.target) << c.what;
    }
}

TEST(Direction, OnlyJapaneseFoundInATextLeftToTheServiceIsAskedAgainToEnglish) {
    const struct {
        std::u16string_view text;
        std::u16string_view detected;
        bool again;
    } cases[] = {
        {u"漢字", u"ja", true},         {u"漢字", u"JA", true},          {u"漢字", u"ja-Jpan", true},
        {u"漢字", u"zh-CN", false},     {u"Bonjour", u"fr", false},      {u"漢字", u"", false},
        {u"漢字", u"jav", false},       {u"漢字", u"j", false},
        // Asked from Japanese already: the answer is the English one, never asked twice.
        {u"かな", u"ja", false},        {u"안녕", u"ja", false},
    };
    for (const auto& c : cases) {
        const std::optional<LanguagePair> again = AskAgain(ServiceDirectionOf(c.text), c.detected);
        ASSERT_EQ(again.has_value(), c.again) << std::string(c.detected.begin(), c.detected.end());
        if (again) {
            EXPECT_EQ(again->source, u"JA");
            EXPECT_EQ(again->target, u"EN");
        }
    }
}

}  // namespace
}  // namespace velmora
