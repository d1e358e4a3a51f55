#include "core/selection/Selection.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(SelectionStart, OnlyTheSwitchFollowedByOneOfTheSixCodes) {
    for (std::u16string_view code : {u"EJhnA", u"JEhnA", u"EJIFA", u"JEIFA", u"KJIFA", u"JKIFA"}) {
        EXPECT_EQ(SelectionStartCode(u"/selection " + std::u16string(code)), code);
    }
    EXPECT_EQ(SelectionStartCode(u"/selection\t JEhnA  "), u"JEhnA");
    EXPECT_EQ(SelectionStartCode(u"/selection auto "), kAutoDirection);
    // The last: a browser request whose selected text happens to look like a switch stays a browser request.
    for (std::u16string_view argument :
         {u"/selection ejhna", u"/selection Auto", u"/selection autoHello",
          u"/selection EJhnAHello", u"/selection EJhnA Hello", u"/selection", u"/selection ",
          u"/selectionEJhnA", u"/Selection EJhnA", u" /selection EJhnA", u"/x EJhnA", u"EJhnA/selection EJhnA"}) {
        EXPECT_EQ(SelectionStartCode(argument), std::nullopt) << std::string(argument.begin(), argument.end());
    }
}

TEST(ChooseSelection, AutomationFirstThenTheCopy) {
    struct Case {
        const char* what;
        std::optional<std::u16string> automation, copy;
        std::optional<std::u16string> chosen;
        bool copyAsked;
    };
    const Case cases[] = {
        {"automation text used as it is", u" Hello\r\n", u"other", u" Hello\r\n", false},
        {"no text pattern", std::nullopt, u"Hello world", u"Hello world", true},
        {"empty automation selection", u"", u"Hello", u"Hello", true},
        {"blank automation selection", u" \r\n\u3000", u"Hello", u"Hello", true},
        {"one copied line break dropped", std::nullopt, u"cell\r\n", u"cell", true},
        {"only one of them", std::nullopt, u"para\n\n", u"para\n", true},
        {"a lone CR", std::nullopt, u"x\r", u"x", true},
        {"inner breaks stay", std::nullopt, u"a\r\nb", u"a\r\nb", true},
        {"copy ends at a NUL", std::nullopt, std::u16string(u"ab\0cd", 5), u"ab", true},
        {"nothing copied", std::nullopt, std::nullopt, std::nullopt, true},
        {"only blanks copied", u"", u" \t\r\n\u00A0", std::nullopt, true},
        {"a line break alone", std::nullopt, u"\r\n", std::nullopt, true},
        {"NUL before any text", std::nullopt, std::u16string(u"\0abc", 4), std::nullopt, true},
    };
    for (const Case& c : cases) {
        int automationCalls = 0, copyCalls = 0;
        const auto chosen =
            ChooseSelection([&] { return ++automationCalls, c.automation; }, [&] { return ++copyCalls, c.copy; });
        EXPECT_EQ(chosen, c.chosen) << c.what;
        EXPECT_EQ(automationCalls, 1) << c.what;
        EXPECT_EQ(copyCalls, c.copyAsked ? 1 : 0) << c.what;
    }
}

TEST(ChooseSelection, AHugeSelectionIsCutWhereACommandLineEndsAndNeverInsideAPair) {
    const std::u16string pair = u"\U0001F600";
    for (std::size_t lead : {kMaxSelectionLength - 1, kMaxSelectionLength - 2}) {
        std::u16string text(lead, u'a');
        for (int i = 0; i < 100; ++i) {
            text += pair;
        }
        const auto chosen = ChooseSelection(nullptr, [&] { return std::optional(text); });
        ASSERT_TRUE(chosen);
        EXPECT_LE(chosen->size(), kMaxSelectionLength);
        EXPECT_GE(chosen->size(), kMaxSelectionLength - 1);
        EXPECT_FALSE(chosen->back() >= 0xD800 && chosen->back() <= 0xDBFF) << lead;
        EXPECT_EQ(chosen->substr(0, lead), text.substr(0, lead));
    }
}

TEST(Terminals, EveryListedClassAndProgramButNoLookAlike) {
    for (std::u16string_view name :
         {u"ConsoleWindowClass", u"CASCADIA_HOSTING_WINDOW_CLASS", u"PuTTY", u"mintty", u"VirtualConsoleClass",
          u"VTWin32", u"TMobaXtermForm", u"TFormDetachedTab", u"KiTTY"}) {
        EXPECT_TRUE(InterruptsOnCtrlC(name)) << std::string(name.begin(), name.end());
    }
    for (std::u16string_view name : {u"Edit", u"", u"puTTY", u"PuTTYConfigBox", u"VTWin32 ", u"Chrome_WidgetWin_1"}) {
        EXPECT_FALSE(InterruptsOnCtrlC(name)) << std::string(name.begin(), name.end());
    }
    EXPECT_TRUE(IsTerminalProgram(u"C:\\Program Files\\RLogin\\RLogin.exe") && IsTerminalProgram(u"PODEROSA.EXE") &&
                IsTerminalProgram(u"d:/tools/poderosa.exe"));
    EXPECT_FALSE(IsTerminalProgram(u"C:\\RLogin.exe\\notepad.exe") || IsTerminalProgram(u"rlogin.exe.bak") ||
                 IsTerminalProgram(u"xrlogin.exe") || IsTerminalProgram(u""));
}

// What decides, right before Ctrl+C, whether it goes out; the window checks only Windows can show.
TEST(CopyRefusal, AnotherWindowATerminalAnElevatedWindowOrHeldKeysSendNothing) {
    using R = SelectionRefusal;
    struct Case {
        CopyTarget target;
        std::optional<R> refusal;
    };
    const Case cases[] = {
        {{true, false, false, false}, std::nullopt},      {{false, false, false, false}, R::NothingSelected},
        {{true, true, false, false}, R::NothingSelected}, {{false, false, true, true}, R::NothingSelected},
        {{true, false, true, true}, R::HigherIntegrity},  {{true, false, false, true}, R::KeysHeld},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RefuseCopy(c.target), c.refusal)
            << c.target.sameAsAtStart << c.target.terminal << c.target.higherIntegrity << c.target.keysHeld;
    }
    // Our level, theirs (when their token could be read) and whether their token was refused to us.
    struct Levels {
        std::optional<std::uint32_t> ours, theirs;
        bool refused, ignores;
    };
    const Levels levels[] = {
        {0x2000, 0x3000, false, true},       {0x2000, 0x2000, false, false},       {0x3000, 0x2000, false, false},
        {0x2000, 0x4000, false, true},       {0x1000, 0x2000, false, true},        {0x2000, std::nullopt, true, true},
        {0x3000, std::nullopt, true, false}, {0x2000, std::nullopt, false, false}, {std::nullopt, 0x3000, false, false},
    };
    for (const Levels& l : levels) {
        EXPECT_EQ(IgnoresOurInput(l.ours, l.theirs, l.refused), l.ignores)
            << l.ours.value_or(0) << " " << l.theirs.value_or(0) << " " << l.refused;
    }
}

}  // namespace
}  // namespace velmora
