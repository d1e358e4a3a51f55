#include "core/StartPlan.h"

#include <gtest/gtest.h>

#include <string>

namespace velmora {
namespace {

// Each start as the program would be given it, and what it then does: a box and the end, the end alone, a page's
// URL or an API's text and languages.
TEST(StartPlan, EachStartEndsInABoxTheEndOrOneRequest) {
    const ServiceHosts hosts{u"127.0.0.1:8080", u"127.0.0.1:8081"};
    const std::u16string tooLong(3000, u'あ');
    const struct {
        const char* what;
        std::u16string argument;
        std::optional<SelectionRead> selection;
        ServiceKind service;
        StartStep step;
        std::u16string_view expected;  // the box's text (its start), the page's URL (its start) or the API's text
        std::u16string_view source = u"";
    } cases[] = {
        {"no argument", u"", std::nullopt, ServiceKind::Page, StartStep::Box, u"引数が指定されてません"},
        {"a code alone", u"EJhnA", std::nullopt, ServiceKind::DeepL, StartStep::Box, u"範囲を選択してください"},
        {"an unknown code", u"XXXXXHello", std::nullopt, ServiceKind::Page, StartStep::End, u""},
        {"nothing selected", u"/selection EJhnA", SelectionRead{}, ServiceKind::DeepL, StartStep::Box,
         u"範囲を選択してください"},
        {"keys held", u"/selection auto", SelectionRead{std::nullopt, SelectionRefusal::KeysHeld}, ServiceKind::Page,
         StartStep::Box, u"キーから手を離してから"},
        {"a page", u"EJhnAa b", std::nullopt, ServiceKind::Page, StartStep::Page,
         u"http://127.0.0.1:8080/world/text/?wb_lp=ENJA&before=a b"},
        {"too long for the page", u"EJhnA" + tooLong, std::nullopt, ServiceKind::Page, StartStep::Box,
         u"選択範囲が長すぎます（3000 文字）"},
        {"the menu's marked line breaks", u"EJhnAa%0Db", std::nullopt, ServiceKind::LibreTranslate, StartStep::Api,
         u"a\nb", u"EN"},
        {"a selection's text as it is", u"/selection JEhnA", SelectionRead{u"今日%0D"}, ServiceKind::DeepL,
         StartStep::Api, u"今日%0D", u"JA"},
        {"the direction from the text", u"/selection auto", SelectionRead{u"안녕"}, ServiceKind::Chat, StartStep::Api,
         u"안녕", u"KO"},
    };
    for (const auto& c : cases) {
        const StartPlan plan = PlanStart({c.argument, c.selection, c.service, hosts});
        ASSERT_EQ(plan.step, c.step) << c.what;
        switch (plan.step) {
            case StartStep::Box:
                EXPECT_TRUE(plan.boxText.starts_with(c.expected)) << c.what;
                EXPECT_EQ(plan.warning, c.argument.empty()) << c.what;
                break;
            case StartStep::Page:
                EXPECT_TRUE(plan.url.starts_with(c.expected)) << c.what;
                break;
            case StartStep::Api:
                EXPECT_EQ(plan.text, c.expected) << c.what;
                EXPECT_EQ(plan.pair.source, c.source) << c.what;
                break;
            case StartStep::End:
                break;
        }
    }
}

}  // namespace
}  // namespace velmora
