#include "core/selection/Selection.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <cstring>
#include <vector>

#include "core/selection/Replacement.h"

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
        {"a caret and nothing selected: no copy", u"", u"the whole line", std::nullopt, false},
        {"blank automation selection", u" \r\n\u3000", u"Hello", u"Hello", true},
        {"one copied line break dropped", std::nullopt, u"cell\r\n", u"cell", true},
        {"only one of them", std::nullopt, u"para\n\n", u"para\n", true},
        {"a lone CR", std::nullopt, u"x\r", u"x", true},
        {"inner breaks stay", std::nullopt, u"a\r\nb", u"a\r\nb", true},
        {"copy ends at a NUL", std::nullopt, std::u16string(u"ab\0cd", 5), u"ab", true},
        {"nothing copied", std::nullopt, std::nullopt, std::nullopt, true},
        {"only blanks copied", std::nullopt, u" \t\r\n\u00A0", std::nullopt, true},
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

// The whole line that an editor copies for nothing selected, by each editor's mark; look-alikes mark nothing.
TEST(LineCopy, EachEditorsMarkAndNoLookAlike) {
    const auto pickle = [](std::initializer_list<std::u16string> texts, std::uint32_t pairs) {
        std::vector<std::uint8_t> bytes(8, 0);
        std::memcpy(bytes.data() + 4, &pairs, 4);
        for (const std::u16string& text : texts) {
            const auto units = static_cast<std::uint32_t>(text.size());
            bytes.insert(bytes.end(), reinterpret_cast<const std::uint8_t*>(&units),
                         reinterpret_cast<const std::uint8_t*>(&units) + 4);
            bytes.insert(bytes.end(), reinterpret_cast<const std::uint8_t*>(text.data()),
                         reinterpret_cast<const std::uint8_t*>(text.data() + text.size()));
            bytes.resize((bytes.size() + 3) / 4 * 4);
        }
        return bytes;
    };
    const std::u16string chromium = u"Chromium Web Custom MIME Data Format";
    const std::u16string java = u"JAVA_DATAFLAVOR:application/x-java-serialized-object; "
                                u"class=com.intellij.openapi.editor.impl.EditorCopyPasteHelperImpl$"
                                u"CopyPasteOptionsTransferableData";
    const auto line = u"{\"version\":1,\"isFromEmptySelection\":true,\"multicursorText\":null,\"mode\":\"c\"}";
    const std::u16string deep(32000, u'[');
    const std::string javaTrue("\x00\x1aisCopiedFromEmptySelection\x78\x70\x01", 31);
    const std::string javaFalse("\x00\x1aisCopiedFromEmptySelection\x78\x70\x00", 31);
    struct Case {
        const char* what;
        std::u16string format;
        std::vector<std::uint8_t> bytes;
        bool marks;
    };
    const Case cases[] = {
        {"Visual Studio", u"VisualStudioEditorOperationsLineCutCopyClipboardTag", {}, true},
        {"Scintilla", u"MSDEVLineSelect", {1}, true},
        {"VS Code, after another type", chromium, pickle({u"text/x-a", u"b", u"vscode-editor-data", line}, 2), true},
        {"VS Code, a selection", chromium,
         pickle({u"vscode-editor-data", u"{\"isFromEmptySelection\":false}"}, 1), false},
        {"VS Code, the flag as text", chromium, pickle({u"vscode-editor-data", u"{\"isFromEmptySelection\":\"true\"}"}, 1),
         false},
        {"another page's type", chromium, pickle({u"text/x-other", line}, 1), false},
        {"pairs beyond the block", chromium, pickle({u"vscode-editor-data"}, 1), false},
        {"a length beyond the block", chromium, {8, 0, 0, 0, 1, 0, 0, 0, 0xff, 0xff, 0xff, 0x7f}, false},
        {"JetBrains", java, {javaTrue.begin(), javaTrue.end()}, true},
        {"JetBrains, a selection", java, {javaFalse.begin(), javaFalse.end()}, false},
        {"another Java class", u"JAVA_DATAFLAVOR:application/x-java-serialized-object; class=Other",
         {javaTrue.begin(), javaTrue.end()}, false},
        {"an ordinary format", u"HTML Format", {1}, false},
        {"a tag's look-alike", u"MSDEVLineSelectX", {1}, false},
        {"a web page's 32,000 levels of [", chromium, pickle({u"vscode-editor-data", deep}, 1), false},
        {"the mark after them, closed", chromium,
         pickle({u"vscode-editor-data", u"{\"x\":" + deep + std::u16string(32000, u']') + u",\"isFromEmptySelection\":true}"}, 1),
         true},
    };
    // On 256 KiB of stack, less than any thread of ours has: the clipboard is read on a worker thread.
    const auto check = [](void* all) -> void* {
        for (const Case& c : *static_cast<const std::span<const Case>*>(all)) {
            EXPECT_EQ(CopyMarksLine(c.format, c.bytes), c.marks) << c.what;
        }
        return nullptr;
    };
    std::span<const Case> all(cases);
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 256 * 1024);
    pthread_t thread;
    ASSERT_EQ(pthread_create(&thread, &attributes, check, &all), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
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
    for (std::u16string_view program :
         {u"C:\\Program Files\\RLogin\\RLogin.exe", u"PODEROSA.EXE", u"d:/tools/poderosa.exe", u"alacritty.exe",
          u"C:\\Program Files\\WezTerm\\wezterm-gui.exe", u"Tabby.exe", u"Hyper.exe", u"SecureCRT.exe", u"Xshell.exe"}) {
        EXPECT_TRUE(IsTerminalProgram(program)) << std::string(program.begin(), program.end());
    }
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

// Whose change of the clipboard is the target's copy: the target is process 10 (started at 100), its focused
// window's process 20 (started at 200).
TEST(CopyOrigin, TheTargetItsChildrenOrNoOwnerRightAfterTheKeysButNoOtherProgram) {
    struct Case {
        const char* what;
        ProcessOrigin owner;
        bool sameWindowInFront, soonAfterKeys, copy;
    };
    const Case cases[] = {
        {"the target", {10, 1, 100}, false, false, true},
        {"its focused window's process", {20, 1, 200}, true, true, true},
        {"a process the target started", {30, 10, 150}, false, false, true},
        {"the parent's id, reused by the target after the child started", {30, 20, 150}, true, true, false},
        {"a child whose start is not known", {30, 10, 0}, true, true, false},
        {"a grandchild", {40, 30, 300}, true, true, false},
        {"another program", {50, 1, 500}, true, true, false},
        {"no owner, right after the keys", {}, true, true, true},
        {"no owner, another window in front", {}, false, true, false},
        {"no owner, late", {}, true, false, false},
    };
    for (const Case& c : cases) {
        const ClipboardChange change{c.owner, {{{10, 1, 100}, {20, 1, 200}}}, c.sameWindowInFront, c.soonAfterKeys};
        EXPECT_EQ(IsTargetsCopy(change), c.copy) << c.what;
    }
    // An empty target slot is nobody's parent.
    EXPECT_FALSE(IsTargetsCopy({{30, 0, 150}, {{{10, 1, 100}, {}}}, true, true}));
}

// Before the paste: what the program is decides first, then where it stands, then its control; before the window
// is asked back, where it stands is not known yet and stops nothing. (Wine has no foreground lock, no elevation.)
TEST(ReplaceRefusal, WhatTheProgramIsThenWhereItStandsThenItsControl) {
    using R = ReplaceRefusal;
    struct Case {
        ReplaceTarget target;
        std::optional<R> refusal;
    };
    const Case cases[] = {
        {{}, std::nullopt},
        {{false, false, false, false, true, false}, std::nullopt},
        {{true, true, true, true, false, true}, R::TargetGone},
        {{false, true, true, true, false, true}, R::Terminal},
        {{false, false, true, true, false, true}, R::HigherIntegrity},
        {{false, false, false, true}, R::KeysHeld},
        {{false, false, false, true, false, true}, R::NotInFront},
        {{false, false, false, true, true, true}, R::KeysHeld},
        {{false, false, false, false, true, true}, R::PasswordBox},
        {{false, false, false, false, std::nullopt, true}, R::PasswordBox},
        // After Ctrl+V: a text not asked for, with another window in front by then, went nowhere for that reason.
        {{false, false, false, false, true, false, false}, R::NotTaken},
        {{false, false, false, false, false, false, false}, R::NotInFront},
        {{false, false, false, true, false, false, true}, std::nullopt},
    };
    for (const Case& c : cases) {
        const ReplaceTarget& t = c.target;
        EXPECT_EQ(RefuseReplacement(t), c.refusal) << t.gone << t.terminal << t.higherIntegrity << t.keysHeld << " "
                                                  << t.inFront.value_or(2) << t.password.value_or(2) << t.taken.value_or(2);
    }
    // ES_PASSWORD is a password box in an Edit or a rich edit only; for a button the bit puts its text on the left.
    EXPECT_TRUE(HidesItsText(u"Edit", 0x50010020) && HidesItsText(u"EDIT", 0x20) && HidesItsText(u"RichEdit20W", 0x20) &&
                HidesItsText(u"RICHEDIT50W", 0x20));
    EXPECT_FALSE(HidesItsText(u"Edit", 0x50010000) || HidesItsText(u"Button", 0x20) || HidesItsText(u"EditX", 0x20) ||
                 HidesItsText(u"Edi", 0x20) || HidesItsText(u"", 0x20));
}

}  // namespace
}  // namespace velmora
