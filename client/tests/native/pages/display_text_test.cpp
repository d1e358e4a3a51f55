#include "core/pages/DisplayText.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(DisplayText, DecodesReferencesAndMakesLineBreaksCrLf) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"Tom &amp; Jerry", u"Tom & Jerry"},
        {u"&lt;b&gt; &quot;x&quot; it&#39;s", u"<b> \"x\" it's"},
        {u"a&nbsp;b", u"a\u00A0b"},
        {u"&#12354;&#x3042;&#X3044;", u"ああい"},
        {u"&#128512;", u"\U0001F600"},
        {u"&#0; &#xD800; &#x110000;", u"\uFFFD \uFFFD \uFFFD"},
        // Not references: left as they stand.
        {u"&amp &copy; & &#; &#x; &#12 AT&T", u"&amp &copy; & &#; &#x; &#12 AT&T"},
        {u"&amp;lt;", u"&lt;"},
        {u"1\n2\r3\r\n4\n\r5", u"1\r\n2\r\n3\r\n4\r\n\r\n5"},
        {u"", u""},
        {u"&", u"&"},
        {u"&#", u"&#"},
    };
    for (const auto& [raw, shown] : cases) {
        EXPECT_EQ(DisplayText(raw), shown);
    }
}

}  // namespace
}  // namespace velmora
