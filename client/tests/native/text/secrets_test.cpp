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

}  // namespace
}  // namespace velmora
