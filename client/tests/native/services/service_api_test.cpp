#include "core/services/Azure.h"
#include "core/services/Google.h"
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

TEST(ServiceCalls, GoogleMicrosoftAndAzureAreTheirExactUrlsHeadersAndBodies) {
    const std::u16string google = u"https://translate.googleapis.com/translate_a/single?client=gtx&sl=";
    // The longest text of "a" that still goes in a GET from English to Japanese.
    const std::u16string fits(kGoogleUrlLimit - (google + u"en&tl=ja&dt=t&q=").size(), u'a');
    const std::u16string json = u"Content-Type: application/json\r\n";
    struct Case {
        ServiceKind kind;
        LanguagePair pair;
        std::u16string text;
        std::wstring region;
        std::optional<std::u16string> host;
        std::u16string url;
        std::u16string headers;
        std::string body;
        bool get;
    };
    const Case cases[] = {
        {ServiceKind::Google, {u"EN", u"JA"}, u"Hello world", L"", {}, google + u"en&tl=ja&dt=t&q=Hello+world", u"",
         "", true},
        // The source left to Google; the text as UTF-8 escapes; what would cut the query escaped too.
        {ServiceKind::Google, {u"", u"JA"}, u"漢字 a&b=c#d+e%", L"", u"localhost:8443",
         u"https://localhost:8443/translate_a/single?client=gtx&sl=auto&tl=ja&dt=t&q=%E6%BC%A2%E5%AD%97+a%26b%3Dc%23d%2Be%25",
         u"", "", true},
        // A lone surrogate would be no UTF-8 at all.
        {ServiceKind::Google, {u"KO", u"JA"}, u"a\xD800", L"", {}, google + u"ko&tl=ja&dt=t&q=a%EF%BF%BD", u"", "",
         true},
        {ServiceKind::Google, {u"EN", u"JA"}, fits, L"", {}, google + u"en&tl=ja&dt=t&q=" + fits, u"", "", true},
        // One character more: the same query without the text, and the text as the form body of a POST.
        {ServiceKind::Google, {u"EN", u"JA"}, fits + u"é", L"", {}, google + u"en&tl=ja&dt=t",
         u"Content-Type: application/x-www-form-urlencoded\r\n",
         "q=" + std::string(fits.begin(), fits.end()) + "%C3%A9", false},
        {ServiceKind::Microsoft, {u"JA", u"EN"}, u"こんにちは\"", L"", {},
         u"https://edge.microsoft.com/translate/translatetext?from=ja&to=en&isEnterpriseClient=false", json,
         R"(["こんにちは\""])", false},
        {ServiceKind::Microsoft, {u"", u"JA"}, u"Bonjour", L"", u"127.0.0.1:9",
         u"https://127.0.0.1:9/translate/translatetext?from=&to=ja&isEnterpriseClient=false", json, R"(["Bonjour"])",
         false},
        {ServiceKind::Azure, {u"", u"JA"}, u"Bonjour", L"", {},
         u"https://api.cognitive.microsofttranslator.com/translate?api-version=3.0&to=ja", json,
         R"([{"Text":"Bonjour"}])", false},
        {ServiceKind::Azure, {u"KO", u"JA"}, u"안녕", L"japaneast", u"localhost:8443",
         u"https://localhost:8443/translate?api-version=3.0&from=ko&to=ja",
         json + u"Ocp-Apim-Subscription-Region: japaneast\r\n", R"([{"Text":"안녕"}])", false},
    };
    for (const auto& c : cases) {
        ServiceSettings settings;
        settings.azureRegion = c.region;
        const ApiInput input{settings, u"key", c.host, c.text, c.pair};
        const ServiceRow& row = RowOf(c.kind);
        const ApiCall call = row.call(input);
        EXPECT_EQ(call.url, c.url);
        EXPECT_EQ(call.headers, c.headers);
        EXPECT_EQ(call.body, c.body);
        EXPECT_EQ(call.get, c.get);
        // The early connection goes to the same server as the call.
        EXPECT_EQ(row.endpoint(input).substr(0, 24), call.url.substr(0, 24));
        EXPECT_FALSE(row.refusal && row.refusal(input));
    }
    // Azure needs its key, and a region that cannot add a header of its own.
    ServiceSettings settings;
    const ApiInput noKey{settings, u"", {}, u"x", {u"EN", u"JA"}};
    EXPECT_EQ(AzureRefusal(noKey), NoAzureKeyText());
    for (const wchar_t* region : {L"east us", L"japaneast\r\nX-Other: 1", L"ｊａｐａｎ"}) {
        settings.azureRegion = region;
        EXPECT_EQ(AzureRefusal({settings, u"key", {}, u"x", {u"EN", u"JA"}}), BadAzureRegionText());
    }
    EXPECT_FALSE(RowOf(ServiceKind::Google).credential || RowOf(ServiceKind::Microsoft).credential);
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
    // Azure Translator counts characters, at most 50,000 a request.
    EXPECT_LE(FittingApiLength(ServiceKind::Azure, english), 50000u);
    EXPECT_LE(FittingApiLength(ServiceKind::Microsoft, english), 50000u);
}

TEST(ServiceAnswers, OnlyTheExpectedFieldInStrictJsonIsATranslation) {
    struct Case {
        ServiceKind api;
        std::string body;
        std::optional<std::u16string> translation;
        std::string detected;  // the source language found, in lower case
    };
    const Case cases[] = {
        {ServiceKind::DeepL, R"({"translations":[{"detected_source_language":"EN","text":"こんにちは"}]})", u"こんにちは",
         "en"},
        {ServiceKind::DeepL, R"( {"translations":[{"text":"a\nb\u00e9"},{"text":"second"}]} )", u"a\nb\u00e9"},
        {ServiceKind::LibreTranslate, R"({"translatedText":"안녕"})", u"안녕"},
        {ServiceKind::LibreTranslate, R"({"translatedText":""})", u""},
        {ServiceKind::LibreTranslate, R"({"translatedText":"ab\udc00cd"})", u"ab\uFFFDcd"},
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
        // Google: the segments joined in order, a segment without a translation passed over.
        {ServiceKind::Google, R"([[["こんにちは、","Hello ",null,null,10],["世界","world",null,null,10]],null,"EN"])",
         u"こんにちは、世界", "en"},
        {ServiceKind::Google, R"([[["a","x"],[null,null,"reading"],["b"]],null,"zh-CN",null,[]])", u"ab", "zh-cn"},
        {ServiceKind::Google, R"([[["only"]]])", u"only"},
        {ServiceKind::Google, R"([null,null,"en"])", std::nullopt},
        {ServiceKind::Google, R"([[],null,"en"])", std::nullopt},
        {ServiceKind::Google, R"([[[5],[null]],null,"en"])", std::nullopt},
        {ServiceKind::Google, R"({"error":{"code":400,"message":"Bad"}})", std::nullopt},
        {ServiceKind::Google, "<html>429</html>", std::nullopt},
        {ServiceKind::Microsoft,
         R"([{"detectedLanguage":{"language":"fr","score":1.0},"translations":[{"text":"皆さん","to":"ja"}]}])",
         u"皆さん", "fr"},
        {ServiceKind::Azure, R"([{"translations":[{"text":"Hi","to":"en"},{"text":"no"}]}])", u"Hi"},
        {ServiceKind::Azure, R"([{"detectedLanguage":{"language":"en"},"translations":[]}])", std::nullopt},
        {ServiceKind::Microsoft, R"({"translations":[{"text":"not in a list"}]})", std::nullopt},
        {ServiceKind::Microsoft, R"([])", std::nullopt},
    };
    for (const auto& c : cases) {
        const std::optional<ApiTranslation> answer = AnswerOf(c.api, c.body);
        ASSERT_EQ(answer.has_value(), c.translation.has_value()) << c.body;
        if (answer) {
            EXPECT_EQ(answer->text, *c.translation) << c.body;
            EXPECT_EQ(answer->detected, c.detected) << c.body;
        }
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
    EXPECT_EQ(ServiceMessageOfAnswer(ServiceKind::Azure, R"({"error":{"code":401000,"message":"Not authorized."}})"),
              u"Not authorized.");
    EXPECT_EQ(ServiceMessageOfAnswer(ServiceKind::Google, R"({"error":{"code":400,"message":"Invalid tl"}})"),
              u"Invalid tl");
    EXPECT_EQ(ServiceMessageOfAnswer(ServiceKind::Google, "<html><title>Error 429</title></html>"), u"");
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
        {ServiceKind::Google, 429, u"今は翻訳を断られています（HTTP 429）。しばらく待って"},
        {ServiceKind::Microsoft, 429, u"別の翻訳サービスを選んでください"},
        {ServiceKind::Azure, 429, u"今は翻訳を断られています（HTTP 429）"},
        {ServiceKind::Azure, 401, u"Azure Translator がキーを受け付けませんでした（HTTP 401）。キーと、リソースのリージョン"},
        {ServiceKind::Microsoft, 401, u"キーを受け付けませんでした（HTTP 401）"},
        {ServiceKind::Google, 503, u"今は利用できません（HTTP 503）"},
        {ServiceKind::Microsoft, 400, u"エラーを返しました（HTTP 400）。"},
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
