#include "core/settings/Colors.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(ParseColorText, ReadsHexAndDecimalForms) {
    const struct {
        std::string_view in;
        std::optional<uint32_t> out;
    } cases[] = {
        {"&H00C0FFFF", 0x00C0FFFFu},   {"&HFF00", 65280u},          {"&hfFeE", 0xFFEEu},
        {"&HFFFFFFFF", 0xFFFFFFFFu},   {"12648447", 12648447u},     {"-1", 0xFFFFFFFFu},
        {"4294967295", 0xFFFFFFFFu},   {"000000000012", 12u},       {" \t&HFF \t", 0xFFu},
        {"&H000000001", std::nullopt}, {"&H", std::nullopt},        {"&HG", std::nullopt},
        {"&H12 34", std::nullopt},     {"H00C0FFFF", std::nullopt}, {"4294967296", std::nullopt},
        {"-2147483649", std::nullopt}, {"", std::nullopt},          {"-", std::nullopt},
        {"-2147483648", 0x80000000u},  // the lowest number accepted
        {"12abc", std::nullopt},       {"0x10", std::nullopt},      {std::string_view("1\0", 2), std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseColorText(c.in), c.out) << '"' << c.in << '"';
    }
}

TEST(ColorNames, OnlyTheSixExactNamesHaveFileTextsOfTheirColour) {
    const struct {
        std::u16string_view name;
        std::optional<ColorPair> colors;
    } cases[] = {
        {u"Default", ColorPair{0x00C0FFFF, 0}},
        {u"Black", ColorPair{0, 0}},
        {u"White", ColorPair{0xFFFFFF, 0xFFFFFF}},
        {u"Green", ColorPair{0xFF00, 0xFF00}},
        {u"Blue", ColorPair{0xFFFF00, 0xFFFF00}},
        {u"Red", ColorPair{0xFF, 0xFF}},
        {u"red", std::nullopt},
        {u"R", std::nullopt},
        {u"Red ", std::nullopt},
        {u"Pink", std::nullopt},
        {u"", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto entry = LookupColorName(c.name);
        EXPECT_EQ(IsColorName(c.name), c.colors.has_value());
        EXPECT_EQ(entry ? ParseSettingsText(FormatSettingsText(entry->background, entry->text)) : std::nullopt,
                  c.colors);
    }
}

TEST(SettingsText, DefaultAndSavedTextsRoundTrip) {
    EXPECT_EQ(DefaultSettingsText(), std::string("&H00C0FFFF\r\n&H0\r\n"));
    EXPECT_EQ(FormatSettingsText("&HFFFF00", "&H0"), "&HFFFF00\r\n&H0\r\n");
    EXPECT_EQ(ParseSettingsText(FormatSettingsText("&HFFFF00", "&H0")), (ColorPair{0xFFFF00, 0}));
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
        {"12648447\r\n0\r\n", ColorPair{0x00C0FFFF, 0}},
        {" &HFF \r\n\t0\r\njunk", ColorPair{0xFF, 0}},
        {"&HFF\n\r&HFFFFFF", std::nullopt},  // LF then CR: an empty second line
        {"", std::nullopt},
        {"&HFF\r\n", std::nullopt},
        {"&HFF\r\nblack\r\n", std::nullopt},
        {"&H1000000\r\n&H0\r\n", std::nullopt},
        {"&HFF\r\n-1\r\n", std::nullopt},
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
        {"H00C0FFFF\r\n&H0\r\n", true}, {"H00C0FFFF", true},       {"h00c0ffff\r\n&H0\r\n", false},
        {"&H00C0FFFF\r\n", false},      {"H00C0FFFF \r\n", false}, {"&H0\r\nH00C0FFFF\r\n", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NeedsSettingsRepair(c.in), c.repair) << '"' << c.in << '"';
    }
}

}  // namespace
}  // namespace velmora
