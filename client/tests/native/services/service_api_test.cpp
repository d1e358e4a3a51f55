#include "core/services/ServiceApi.h"
#include "core/services/ServiceMessages.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(ServiceLanguages, EveryCodeNamesItsPairInEachServicesSpelling) {
    struct Case {
        std::u16string_view code;
        const char* deeplSource;
        const char* deeplTarget;
        const char* libreSource;
        const char* libreTarget;
    };
    const Case cases[] = {
        {u"EJhnA", "EN", "JA", "en", "ja"},    {u"EJIFA", "EN", "JA", "en", "ja"},
        {u"JEhnA", "JA", "EN-US", "ja", "en"}, {u"JEIFA", "JA", "EN-US", "ja", "en"},
        {u"KJIFA", "KO", "JA", "ko", "ja"},    {u"JKIFA", "JA", "KO", "ja", "ko"},
    };
    for (const auto& c : cases) {
        const auto pair = LanguagesOfCode(c.code);
        ASSERT_TRUE(pair);
        EXPECT_EQ(DeepLSource(pair->source), c.deeplSource);
        EXPECT_EQ(DeepLTarget(pair->target), c.deeplTarget);
        EXPECT_EQ(LibreLanguage(pair->source), c.libreSource);
        EXPECT_EQ(LibreLanguage(pair->target), c.libreTarget);
    }
    for (std::u16string_view other : {u"ejhna", u"EJhn", u"", u"/selection"}) {
        EXPECT_FALSE(LanguagesOfCode(other));
    }
}

TEST(ServiceEndpoints, TheKeyPicksTheDeepLHostAndTheOverrideReplacesIt) {
    EXPECT_EQ(DeepLEndpoint(u"abc:fx", std::nullopt), u"https://api-free.deepl.com/v2/translate");
    EXPECT_EQ(DeepLEndpoint(u"abc", std::nullopt), u"https://api.deepl.com/v2/translate");
    EXPECT_EQ(DeepLEndpoint(u"abc:FX", std::u16string()), u"https://api.deepl.com/v2/translate");
    EXPECT_EQ(DeepLEndpoint(u"abc", u"localhost:8443"), u"https://localhost:8443/v2/translate");
    EXPECT_EQ(DeepLEndpoint(u"abc:fx", u"localhost:8443"), u"https://localhost:8443/v2/translate");
    EXPECT_EQ(LibreEndpoint(u"http://localhost:5000"), u"http://localhost:5000/translate");
    EXPECT_EQ(LibreEndpoint(u"https://lt.example/api//"), u"https://lt.example/api/translate");
}

TEST(ServiceBodies, AreExactJsonWithTheTextEscaped) {
    const LanguagePair enJa{u"EN", u"JA"};
    const LanguagePair jaEn{u"JA", u"EN"};
    EXPECT_EQ(DeepLBody(u"He said \"hi\"\r\n\ttab\\", enJa),
              R"({"text":["He said \"hi\"\r\n\ttab\\"],"source_lang":"EN","target_lang":"JA"})");
    EXPECT_EQ(DeepLBody(u"日本語\U0001F600", jaEn),
              "{\"text\":[\"日本語\U0001F600\"],\"source_lang\":\"JA\",\"target_lang\":\"EN-US\"}");
    // A lone surrogate cannot travel in JSON; it becomes U+FFFD instead of a broken body.
    for (const char16_t lone : {char16_t(0xD800), char16_t(0xDC00)}) {
        EXPECT_EQ(DeepLBody(std::u16string(u"a") + lone + u"b", enJa),
                  "{\"text\":[\"a\uFFFDb\"],\"source_lang\":\"EN\",\"target_lang\":\"JA\"}");
    }
    EXPECT_EQ(LibreBody(u"한국어", {u"KO", u"JA"}, u""),
              R"({"q":"한국어","source":"ko","target":"ja","format":"text"})");
    EXPECT_EQ(LibreBody(u"x", enJa, u"k\"ey"),
              R"({"q":"x","source":"en","target":"ja","format":"text","api_key":"k\"ey"})");
}

TEST(ServiceLimits, TheLongestStartThatFitsTheServicesBodyNeverSplitsAPair) {
    const std::u16string english(200000, u'a');
    const size_t deepl = FittingApiLength(ServiceKind::DeepL, english);
    EXPECT_LE(DeepLBody(english.substr(0, deepl), {u"EN", u"JA"}).size() + 512, kDeepLBodyLimit);
    EXPECT_GT(DeepLBody(english.substr(0, deepl + 1), {u"EN", u"JA"}).size() + 512, kDeepLBodyLimit);
    // Japanese takes three bytes a character, a quote two: both count as they go into the body.
    const size_t room = kLibreBodyLimit - 512 - DeepLBody(u"", {u"EN", u"JA"}).size();
    EXPECT_EQ(FittingApiLength(ServiceKind::LibreTranslate, std::u16string(20000, u'あ')), room / 3);
    EXPECT_EQ(FittingApiLength(ServiceKind::LibreTranslate, std::u16string(10000, u'"')), room / 2);
    // Two characters before the pairs, so that a cut inside a pair gives an odd length.
    std::u16string pairs = u"ab";
    for (int i = 0; i < 5000; ++i) {
        pairs += u"😀";
    }
    EXPECT_EQ(FittingApiLength(ServiceKind::LibreTranslate, pairs) % 2, 0u);
    EXPECT_EQ(FittingApiLength(ServiceKind::DeepL, u"short"), 5u);
}

TEST(ServiceAnswers, OnlyTheExpectedFieldInStrictJsonIsATranslation) {
    struct Case {
        ServiceKind api;
        std::string body;
        std::optional<std::u16string> translation;
    };
    const Case cases[] = {
        {ServiceKind::DeepL, R"({"translations":[{"detected_source_language":"EN","text":"こんにちは"}]})", u"こんにちは"},
        {ServiceKind::DeepL, R"( {"translations":[{"text":"a\nb\u00e9"},{"text":"second"}]} )", u"a\nb\u00e9"},
        {ServiceKind::LibreTranslate, R"({"translatedText":"안녕"})", u"안녕"},
        {ServiceKind::LibreTranslate, R"({"translatedText":""})", u""},
        {ServiceKind::DeepL, R"({"translations":[]})", std::nullopt},
        {ServiceKind::DeepL, R"({"translations":[{"text":5}]})", std::nullopt},
        {ServiceKind::DeepL, R"({"translatedText":"wrong service"})", std::nullopt},
        {ServiceKind::LibreTranslate, R"({"translations":[{"text":"wrong service"}]})", std::nullopt},
        {ServiceKind::LibreTranslate, R"(["translatedText"])", std::nullopt},
        {ServiceKind::LibreTranslate, "<html>Bad Gateway</html>", std::nullopt},
        {ServiceKind::LibreTranslate, R"({"translatedText":"a"} trailing)", std::nullopt},
        {ServiceKind::LibreTranslate, R"({"translatedText":"a")", std::nullopt},
        {ServiceKind::LibreTranslate, "{\"translatedText\":\"\xFF\"}", std::nullopt},
        {ServiceKind::LibreTranslate, "", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TranslationOfAnswer(c.api, c.body), c.translation) << c.body;
    }
}

TEST(ServiceAnswers, WhatTheServiceSaidIsOneCutLine) {
    EXPECT_EQ(ServiceMessageOfAnswer(ServiceKind::DeepL, R"({"message":"Wrong endpoint"})"), u"Wrong endpoint");
    EXPECT_EQ(ServiceMessageOfAnswer(ServiceKind::LibreTranslate, R"({"error":"Invalid API key\r\nx"})"),
              u"Invalid API key  x");
    EXPECT_EQ(ServiceMessageOfAnswer(ServiceKind::LibreTranslate, R"({"message":"the other service's field"})"), u"");
    EXPECT_EQ(ServiceMessageOfAnswer(ServiceKind::DeepL, "Quota exceeded"), u"");
    EXPECT_EQ(ServiceMessageOfAnswer(ServiceKind::Chat, R"({"error":{"message":"Incorrect\tkey","code":401}})"),
              u"Incorrect key");
    EXPECT_EQ(ServiceMessageOfAnswer(ServiceKind::Chat, R"({"error":"model \"x\" not found, try pulling it first"})"),
              u"model \"x\" not found, try pulling it first");
    const std::u16string cut =
        ServiceMessageOfAnswer(ServiceKind::DeepL, "{\"message\":\"" + std::string(199, 'a') + "\U0001F600tail\"}");
    EXPECT_EQ(cut, std::u16string(199, u'a') + u"…");
}

TEST(ServiceReports, EachStatusHasItsSentenceThenTheServicesWords) {
    struct Case {
        ServiceKind api;
        int status;
        std::u16string_view sentence;
    };
    const Case cases[] = {
        {ServiceKind::DeepL, 403, u"DeepL API がキーを受け付けませんでした（HTTP 403）。キーが末尾の「:fx」まで"},
        {ServiceKind::Chat, 401, u"キーを受け付けませんでした（HTTP 401）"},
        {ServiceKind::Chat, 403, u"キーを受け付けませんでした（HTTP 403）"},
        {ServiceKind::Chat, 404, u"モデルかアドレスが見つかりませんでした（HTTP 404）"},
        {ServiceKind::Chat, 429, u"要求が多すぎます（HTTP 429）"},
        {ServiceKind::DeepL, 407, u"プロキシ サーバーが認証を求めた"},
        {ServiceKind::LibreTranslate, 403, u"LibreTranslate がキーを受け付けませんでした（HTTP 403）"},
        {ServiceKind::DeepL, 429, u"要求が多すぎます（HTTP 429）。しばらく待ってから"},
        {ServiceKind::LibreTranslate, 429, u"要求が多すぎます（HTTP 429）。しばらく待ってから"},
        {ServiceKind::DeepL, 456, u"今月の翻訳文字数の上限に達しました（HTTP 456）"},
        {ServiceKind::DeepL, 503, u"今は利用できません（HTTP 503）"},
        {ServiceKind::LibreTranslate, 500, u"今は利用できません（HTTP 500）"},
        {ServiceKind::LibreTranslate, 200, u"応答を読み取れませんでした。"},
        {ServiceKind::DeepL, 302, u"転送しようとしました（HTTP 302）。転送先には送りません。"},
        {ServiceKind::LibreTranslate, 400, u"エラーを返しました（HTTP 400）。"},
        {ServiceKind::LibreTranslate, 456, u"エラーを返しました（HTTP 456）。"},
    };
    for (const auto& c : cases) {
        const std::u16string text = ServiceAnswerText(c.api, c.status, u"said so");
        EXPECT_NE(text.find(c.sentence), std::u16string::npos) << c.status;
        EXPECT_TRUE(text.ends_with(u"。\nsaid so")) << c.status;
        EXPECT_EQ(ServiceAnswerText(c.api, c.status, u"").find(u'\n'), std::u16string::npos);
    }
}

}  // namespace
}  // namespace velmora
