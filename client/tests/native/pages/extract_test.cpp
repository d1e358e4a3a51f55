#include "core/pages/Extract.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

const std::u16string kBefore = u"<textarea cols=40 rows=15 name=\"before\" wrap=\"virtual\">src</textarea>";
const std::u16string kAfter = u"<textarea cols=40 rows=15 name=\"after\" wrap=\"virtual\">";

TEST(Extraction, CutsTheResultAreaOfTheExcitePage) {
    struct Case {
        const char* what;
        std::u16string page;
        std::optional<std::u16string> result;
    };
    const Case cases[] = {
        {"normal", u"<p>" + kBefore + u"\n" + kAfter + u"訳文\r\n2行目</textarea></p>", u"訳文\r\n2行目"},
        {"empty result", kBefore + kAfter + u"</textarea>", u""},
        {"references stay raw", kBefore + kAfter + u"Tom &amp; Jerry &lt;3</textarea>", u"Tom &amp; Jerry &lt;3"},
        {"no end tag at all", kAfter + u"text", std::nullopt},
        {"only the source area's end tag", kBefore + kAfter + u"text", std::nullopt},
        {"no start marker", kBefore + u"<textarea>x</textarea>", std::nullopt},
        {"result area first", kAfter + u"訳</textarea>" + kBefore, u"訳"},
        {"marker case differs", u"<TEXTAREA cols=40 rows=15 name=\"after\" wrap=\"virtual\">x</textarea>",
         std::nullopt},
        {"end tag right at the marker's end", kAfter + u"</textarea></textarea>", u""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExtractBetweenMarkers(c.page, kExciteMarkers), c.result) << c.what;
    }
}

TEST(Extraction, UsesTheInfoseekMarkersAsGiven) {
    const std::u16string page =
        u"<TD><TEXTAREA class=transT name=originalText rows=9 wrap=virtual cols=31>a</TEXTAREA></TD>"
        u"<TD><TEXTAREA class=transT name=translatedText rows=9 wrap=virtual cols=31>あ</TEXTAREA></TD>";
    EXPECT_EQ(kInfoseekMarkers.start.size(), 75u);
    EXPECT_EQ(ExtractBetweenMarkers(page, kInfoseekMarkers), u"あ");
}

}  // namespace
}  // namespace velmora
