#include "core/text/Secrets.h"

#include <gtest/gtest.h>

#include <string>

namespace velmora {
namespace {

// Every copy of the key is masked, and the search ends: a key of asterisks once found its own mask for ever.
TEST(MaskEvery, MasksEachCopyOfTheKeyAndEnds) {
    const struct {
        std::wstring text, key, masked;
    } cases[] = {
        {L"wrong key: k1:fx", L"k1:fx", L"wrong key: *****"},
        {L"k1 and k1", L"k1", L"** and **"},
        {L"key * is bad", L"*", L"key * is bad"},
        {L"key ** is bad", L"**", L"key ** is bad"},
        {L"aaa", L"aa", L"**a"},
        {L"nothing here", L"k1", L"nothing here"},
        {L"an empty key masks nothing", L"", L"an empty key masks nothing"},
    };
    for (const auto& c : cases) {
        std::wstring text = c.text;
        MaskEvery<wchar_t>(text, c.key);
        EXPECT_EQ(text, c.masked) << c.key.size();
    }
}

// An answer is masked before it is parsed, so each form JSON may give the key in must go; a key of asterisks ends.
TEST(MaskKey, MasksTheKeyInEveryJsonForm) {
    const struct {
        std::string answer, key, masked;
    } cases[] = {
        {R"({"error":"bad key a/b\"c"})", "a/b\"c", R"({"error":"bad key ******"})"},
        {R"({"error":"bad key a\/b"})", "a/b", R"({"error":"bad key ****"})"},
        {R"({"error":"bad key \u0061\u0062"})", "ab", R"({"error":"bad key ************"})"},
        {R"({"error":"bad key \u0041\u003A"})", "A:", R"({"error":"bad key ************"})"},
        {R"({"error":"bad key k\u0030y9"})", "k0y9", R"({"error":"bad key *********"})"},
        {R"({"error":"bad key a\/\u006A\u006b\"d"})", "a/jk\"d", R"({"error":"bad key ******************"})"},
        {R"({"error":"***"})", "*", R"({"error":"***"})"},
    };
    for (const auto& c : cases) {
        std::string answer = c.answer;
        MaskKey(answer, c.key);
        EXPECT_EQ(answer, c.masked) << c.key;
    }
}

}  // namespace
}  // namespace velmora
