#include "core/settings/ColorChoice.h"

#include <gtest/gtest.h>

#include "core/settings/Colors.h"

namespace velmora {
namespace {

std::string Utf8(std::u16string_view s) {
    return std::string(s.begin(), s.end());  // the names are ASCII
}

TEST(ColorNameField, KeepsOnlyWholeExactNamesAndFallsBackToTheLastOne) {
    // One list through a user's session: each step is the field's new text and what it must show afterwards.
    const struct {
        std::u16string_view typed;
        std::u16string_view shown;
    } steps[] = {
        {u"R", u"Default"},         // a first keystroke is undone
        {u"DefaultR", u"Default"},  // so is one typed after the name
        {u"Red", u"Red"},           // pasted whole
        {u"red", u"Red"},           // the case must match
        {u"Pink", u"Red"},          // a name without a colour of its own
        {u"", u"Red"},
        {u"Blue ", u"Red"},
        {u"Blue", u"Blue"},  // chosen from the list
        {u"Black", u"Black"},
        {u"White", u"White"},
        {u"Green", u"Green"},
        {u"Default", u"Default"},
        {u"RED", u"Default"},
    };
    ColorNameField field(u"Default");
    for (const auto& step : steps) {
        const auto replacement = field.Validate(step.typed);
        const std::u16string shown = replacement ? *replacement : std::u16string(step.typed);
        EXPECT_EQ(Utf8(shown), Utf8(step.shown)) << "typed \"" << Utf8(step.typed) << '"';
        EXPECT_EQ(Utf8(field.LastAccepted()), Utf8(step.shown));
        // Putting the text back raises the change once more; the restored name must then stand.
        EXPECT_EQ(field.Validate(shown), std::nullopt);
    }
}

TEST(ChooseColorTexts, TakesEachNameFromItsOwnColumn) {
    const struct {
        std::u16string_view background;
        std::u16string_view text;
        std::optional<ColorTexts> texts;
    } cases[] = {
        {u"Default", u"Default", ColorTexts{"&H00C0FFFF", "&H0"}},
        {u"Blue", u"Default", ColorTexts{"&HFFFF00", "&H0"}},
        {u"Default", u"Black", ColorTexts{"&H00C0FFFF", "&H0"}},
        {u"White", u"Red", ColorTexts{"&HFFFFFF", "&HFF"}},
        {u"Green", u"Blue", ColorTexts{"&HFF00", "&HFFFF00"}},
        {u"Black", u"White", ColorTexts{"&H0", "&HFFFFFF"}},
        {u"Red", u"Green", ColorTexts{"&HFF", "&HFF00"}},
        {u"Pink", u"Default", std::nullopt},
        {u"Default", u"Pink", std::nullopt},
        {u"red", u"Default", std::nullopt},
        {u"Default", u"", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ChooseColorTexts(c.background, c.text), c.texts) << Utf8(c.background) << " / " << Utf8(c.text);
    }
}

TEST(ChooseColorTexts, EveryPairOfListNamesMakesAReadableFile) {
    for (const ColorName& background : kColorNames) {
        for (const ColorName& text : kColorNames) {
            const auto texts = ChooseColorTexts(background.name, text.name);
            ASSERT_TRUE(texts) << Utf8(background.name) << " / " << Utf8(text.name);
            EXPECT_TRUE(ParseSettingsText(FormatSettingsText(texts->background, texts->text)));
        }
    }
}

}  // namespace
}  // namespace velmora
