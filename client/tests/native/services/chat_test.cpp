#include <pthread.h>

#include <gtest/gtest.h>

#include "core/Messages.h"
#include "core/services/ServiceApi.h"
#include "core/services/EventStream.h"

namespace velmora {
namespace {

// A stream as servers really send it: a byte order mark, a comment, CR LF and bare CR line ends, an event and id
// field, a two-line data, a UTF-8 text and the end mark.
constexpr std::string_view kStream =
    "\xEF\xBB\xBF: keep-alive\r\n\r\n"
    "event: message\r\nid: 1\r\ndata: {\"a\":1}\r\n\r\n"
    "data:first\rdata: second\r\r"
    "retry: 100\n\n"
    "data: \xE3\x81\x93\xE3\x82\x93\n\n"
    "data: [DONE]\n\n";
const std::vector<std::string> kEvents = {"{\"a\":1}", "first\nsecond", "\xE3\x81\x93\xE3\x82\x93", "[DONE]"};

std::vector<std::string> Read(const std::vector<std::string_view>& pieces) {
    EventStream stream;
    std::vector<std::string> all;
    for (std::string_view piece : pieces) {
        for (auto& event : stream.Feed(piece)) {
            all.push_back(std::move(event));
        }
    }
    for (auto& event : stream.Finish()) {
        all.push_back(std::move(event));
    }
    return all;
}

TEST(EventStream, GivesTheSameEventsWhereverTheBytesAreSplit) {
    for (size_t a = 0; a <= kStream.size(); ++a) {
        for (size_t b = a; b <= kStream.size(); b += 7) {
            ASSERT_EQ(Read({kStream.substr(0, a), kStream.substr(a, b - a), kStream.substr(b)}), kEvents) << a << b;
        }
    }
    std::vector<std::string_view> bytes;
    for (size_t i = 0; i < kStream.size(); ++i) {
        bytes.push_back(kStream.substr(i, 1));
    }
    EXPECT_EQ(Read(bytes), kEvents);
    // A server that closes right after its last data line, without the blank line.
    EXPECT_EQ(Read({"data: x\n\ndata: [DONE]"}), (std::vector<std::string>{"x", "[DONE]"}));
    EXPECT_EQ(Read({"data\n\n: only a comment\n\nevent: ping\n\n"}), std::vector<std::string>{""});
}

TEST(ChatAnswer, OnlyTheAnswersOwnTextIsRead) {
    struct Case {
        std::string_view data;
        bool readable;
        std::u16string_view content;
        std::u16string_view error;
    };
    const Case cases[] = {
        {R"({"choices":[{"index":0,"delta":{"content":"こん"}}]})", true, u"こん", u""},
        {R"({"choices":[{"delta":{"role":"assistant"}}]})", true, u"", u""},
        {R"({"choices":[{"delta":{"reasoning_content":"hmm","content":null}}]})", true, u"", u""},
        {R"({"choices":[],"usage":{"total_tokens":9}})", true, u"", u""},
        {R"({"error":{"message":"model overloaded"}})", true, u"", u"model overloaded"},
        {R"({"error":"model not found"})", true, u"", u"model not found"},
        {R"({"choices":[{"message":{"content":"x"}}]})", true, u"", u""},
        {"not json", false, u"", u""},
        {"[DONE]", false, u"", u""},
    };
    for (const auto& c : cases) {
        const ChatEvent event = ChatEventOf(c.data);
        EXPECT_EQ(event.readable, c.readable) << c.data;
        EXPECT_EQ(event.content, c.content) << c.data;
        EXPECT_EQ(event.error, c.error) << c.data;
    }
    EXPECT_EQ(ChatAnswerOf(R"({"choices":[{"message":{"role":"assistant","content":"Hello","reasoning_content":"r"}}]})"),
              u"Hello");
    EXPECT_EQ(ChatAnswerOf(R"({"choices":[{"delta":{"content":"Hello"}}]})"), std::nullopt);
    EXPECT_EQ(ChatAnswerOf("data: {}"), std::nullopt);
    // A model that stopped while it was still thinking wrote no translation, and the report says so.
    EXPECT_EQ(AnswerOf(ServiceKind::Chat, R"({"choices":[{"message":{"content":"<think>the user"}}]})")->report,
              kThoughtOnlyText);
    EXPECT_EQ(AnswerOf(ServiceKind::Chat, R"({"choices":[{"message":{"content":"<think>a</think>"}}]})")->report, u"");
    AnswerScan streamed;
    EXPECT_EQ(VisibleAnswer(u"<think>a</thi", false, streamed), u"");
    EXPECT_EQ(FinishedAnswer(u"<think>a</thi", streamed).report, kThoughtOnlyText);
}

TEST(ChatAnswer, AThinkingBlockAtTheStartIsNeverShown) {
    struct Case {
        std::u16string_view content;
        bool complete;
        std::u16string_view visible;
    };
    const Case cases[] = {
        {u"\n こんにちは\n", false, u"こんにちは\n"},
        {u"\n こんにちは\n", true, u"こんにちは"},
        {u"<thi", false, u""},
        {u"<thi", true, u"<thi"},
        {u"<", false, u""},
        {u"\n<think>\nthe user wants", false, u""},
        {u"<think>a</think>\n\nHello", false, u"Hello"},
        {u"<think>unclosed", true, u""},
        {u"Hello <think>x</think>", true, u"Hello <think>x</think>"},
        {u"<b>bold</b>", false, u"<b>bold</b>"},
        {u" <think>a</think> \n Hi \n", true, u"Hi"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VisibleAnswer(c.content, c.complete), c.visible);
        // Read as it streams in, a unit at a time or in two pieces split anywhere (inside a tag too), it shows the
        // same at every length.
        AnswerScan streamed;
        for (size_t length = 0; length <= c.content.size(); ++length) {
            const std::u16string_view start = c.content.substr(0, length);
            ASSERT_EQ(VisibleAnswer(start, false, streamed), VisibleAnswer(start, false)) << length;
            AnswerScan split;
            EXPECT_EQ(VisibleAnswer(start, false, split), VisibleAnswer(start, false));
            EXPECT_EQ(VisibleAnswer(c.content, c.complete, split), c.visible) << length;
        }
    }
}

TEST(ChatRequest, NamesBothLanguagesAndAsksForAStreamedTranslation) {
    EXPECT_EQ(ChatEndpoint(u"http://localhost:11434/v1/"), u"http://localhost:11434/v1/chat/completions");
    EXPECT_EQ(ChatBody(u"안녕\n\"x\"", {u"KO", u"JA"}, u"qwen2.5:7b"),
              R"({"model":"qwen2.5:7b","messages":[{"role":"system","content":"Translate the user's text from )"
              R"(Korean to Japanese. Answer with the translation only: no notes, no explanations, no quotes."},)"
              R"({"role":"user","content":"안녕\n\"x\""}],"temperature":0,"stream":true})");
    const std::u16string longText(20000, u'a');
    const size_t fits = FittingApiLength(ServiceKind::Chat, longText);
    EXPECT_LE(ChatBody(longText.substr(0, fits), {u"EN", u"JA"}, std::u16string(200, u'm')).size(), kChatBodyLimit);
    EXPECT_GT(fits, kChatBodyLimit - 1024);
}

// The client reads answers on a worker thread; 256 KiB is less stack than any thread of ours has.
void* ParseDeepNesting(void* result) {
    const std::string deep = std::string(40000, '[') + std::string(40000, ']');
    const std::string deepObject = "{\"translatedText\":" + deep + "}";
    *static_cast<bool*>(result) = !TranslationOfAnswer(ServiceKind::LibreTranslate, deep) &&
                                  !TranslationOfAnswer(ServiceKind::LibreTranslate, deepObject) &&
                                  ServiceMessageOfAnswer(ServiceKind::DeepL, deepObject).empty() &&
                                  !ChatEventOf(deepObject).readable && !ChatAnswerOf(deep);
    return nullptr;
}

TEST(ServiceAnswers, ADeeplyNestedAnswerIsRefusedOnASmallStack) {
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 256 * 1024);
    pthread_t thread;
    bool refused = false;
    ASSERT_EQ(pthread_create(&thread, &attributes, ParseDeepNesting, &refused), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
    EXPECT_TRUE(refused);
}

}  // namespace
}  // namespace velmora
