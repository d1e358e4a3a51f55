#include "core/Colors.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(ParseColorText, ReadsHexAndDecimalForms) {
    const struct {
        std::string_view in;
        std::optional<uint32_t> out;
    } cases[] = {
        {"&H00C0FFFF", 0x00C0FFFFu},
        {"&HFF00", 65280u},
        {"&H0", 0u},
        {"&hff", 0xFFu},
        {"&HfFeE", 0xFFEEu},
        {"&HFFFFFFFF", 0xFFFFFFFFu},
        {"&H80000000", 0x80000000u},
        {"&H000000001", std::nullopt},
        {"&H123456789", std::nullopt},
        {"&H", std::nullopt},
        {"&HG", std::nullopt},
        {"&H12 34", std::nullopt},
        {"& H12", std::nullopt},
        {"&O17", std::nullopt},
        {"H00C0FFFF", std::nullopt},
        {"12648447", 12648447u},
        {"0", 0u},
        {"000000000000012", 12u},
        {"+5", 5u},
        {"-1", 0xFFFFFFFFu},
        {"-2147483648", 0x80000000u},
        {"-2147483649", std::nullopt},
        {"4294967295", 0xFFFFFFFFu},
        {"4294967296", std::nullopt},
        {"99999999999999999999999", std::nullopt},
        {" \t&HFF \t", 0xFFu},
        {"  42  ", 42u},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"-", std::nullopt},
        {"12abc", std::nullopt},
        {"1 2", std::nullopt},
        {"0x10", std::nullopt},
        {"\xEF\xBB\xBF&HFF", std::nullopt},
        {std::string_view("1\0", 2), std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseColorText(c.in), c.out) << '"' << c.in << '"';
    }
}

TEST(ColorNames, AcceptOnlyTheSixNamesExactly) {
    for (std::u16string_view name : {u"Default", u"Black", u"White", u"Green", u"Blue", u"Red"}) {
        EXPECT_TRUE(IsColorName(name));
    }
    for (std::u16string_view name :
         {u"", u"R", u"Re", u"red", u"RED", u"Red ", u" Red", u"Pink", u"Default\r\n", u"Yellow", u"Cyan"}) {
        EXPECT_FALSE(IsColorName(name));
        EXPECT_FALSE(LookupColorName(name));
    }
}

TEST(ColorNames, EveryNameGivesValidFileTextsOfTheRightColour) {
    const struct {
        std::u16string_view name;
        ColorPair colors;
    } cases[] = {
        {u"Default", {0x00C0FFFF, 0x0}},  {u"Black", {0x0, 0x0}},          {u"White", {0xFFFFFF, 0xFFFFFF}},
        {u"Green", {0x00FF00, 0x00FF00}}, {u"Blue", {0xFFFF00, 0xFFFF00}}, {u"Red", {0x0000FF, 0x0000FF}},
    };
    for (const auto& c : cases) {
        const auto entry = LookupColorName(c.name);
        ASSERT_TRUE(entry);
        EXPECT_EQ(ParseSettingsText(FormatSettingsText(entry->background, entry->text)), c.colors);
    }
    EXPECT_EQ(LookupColorName(u"Blue")->background, "&HFFFF00");
    EXPECT_EQ(LookupColorName(u"Default")->text, "&H0");
}

TEST(SettingsText, DefaultIsTheSeventeenBytes) {
    EXPECT_EQ(DefaultSettingsText(), std::string("&H00C0FFFF\r\n&H0\r\n"));
    EXPECT_EQ(ParseSettingsText(DefaultSettingsText()), (ColorPair{0x00C0FFFF, 0}));
    EXPECT_EQ(FormatSettingsText("&HFFFF00", "&H0"), "&HFFFF00\r\n&H0\r\n");
}

TEST(SettingsText, ParsesTwoLinesWithAnyLineEnd) {
    const struct {
        std::string_view in;
        std::optional<ColorPair> out;
    } cases[] = {
        {"&HFF\r\n&HFFFFFF\r\n&H0\r\n", ColorPair{0xFF, 0xFFFFFF}},
        {"&HFF\n&HFFFFFF\n", ColorPair{0xFF, 0xFFFFFF}},
        {"&HFF\r&HFFFFFF\r", ColorPair{0xFF, 0xFFFFFF}},
        {"&HFF\r\n&HFFFFFF", ColorPair{0xFF, 0xFFFFFF}},
        {"&HFF\n\r&HFFFFFF", std::nullopt},  // LF then CR: an empty second line
        {"12648447\r\n0\r\n", ColorPair{0x00C0FFFF, 0}},
        {" &HFF \r\n\t0\r\njunk", ColorPair{0xFF, 0}},
        {"", std::nullopt},
        {"&HFF", std::nullopt},
        {"&HFF\r\n", std::nullopt},
        {"&HFF\r\n\r\n&H0\r\n", std::nullopt},
        {"\r\n&H0\r\n", std::nullopt},
        {"&HFF\r\nblack\r\n", std::nullopt},
        {"&HFF\r\n&H0", ColorPair{0xFF, 0}},
        {"&H1000000\r\n&H0\r\n", std::nullopt},
        {"&HFF\r\n-1\r\n", std::nullopt},
        {"&H00FFFFFF\r\n&H0\r\n", ColorPair{0xFFFFFF, 0}},
        {"H00C0FFFF\r\n&H0\r\n", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseSettingsText(c.in), c.out) << '"' << c.in << '"';
    }
}

TEST(SettingsText, RepairsOnlyTheExactBadFirstLine) {
    const struct {
        std::string_view in;
        bool repair;
    } cases[] = {
        {"H00C0FFFF\r\n&H0\r\n", true},
        {"H00C0FFFF", true},
        {"H00C0FFFF\n", true},
        {"h00c0ffff\r\n&H0\r\n", false},
        {"&H00C0FFFF\r\n&H0\r\n", false},
        {" H00C0FFFF\r\n", false},
        {"H00C0FFFF \r\n", false},
        {"&H0\r\nH00C0FFFF\r\n", false},
        {"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NeedsSettingsRepair(c.in), c.repair) << '"' << c.in << '"';
    }
}

}  // namespace
}  // namespace velmora
