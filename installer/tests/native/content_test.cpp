#include <gtest/gtest.h>

#include "core/Entries.h"
#include "core/MenuScript.h"
#include "core/Messages.h"
#include "core/Update.h"

namespace installer {
namespace {

// The file the browser runs for entry 1, as a Japanese system reads it.
constexpr char16_t kEntry1Script[] =
    u"<script language=\"JavaScript\" defer>\r\n"
    u"var wnd = external.menuArguments;\r\n"
    u"var doc = wnd.document;\r\n"
    u"var evt = wnd.event;\r\n"
    u"var elm = doc.elementFromPoint(evt.clientX, evt.clientY);\r\n"
    u"var act = doc.activeElement;\r\n"
    u"var txt = doc.selection.createRange().text\r\n"
    u"var loc = wnd.location;\r\n"
    u"// 現在の URL\r\n"
    u"while (elm.parentElement) {\r\n"
    u"if (doc.selection) {\r\n"
    u"            url = txt.replace(/\\s/g,\"\\s\");\r\n"
    u"            url = txt.replace(/\\n/g,\"%0D\");\r\n"
    u"        break;\r\n"
    u"    }\r\n"
    u"    elm = elm.parentElement;\r\n"
    u"}\r\n"
    u"</script>\r\n"
    u"<script language=\"VBScript\" defer>\r\n"
    u"Dim WshShell\r\n"
    u"Set WshShell = CreateObject(\"WScript.Shell\")\r\n"
    u"WshShell.Run Chr(34) & \"C:\\Program Files\\Velmora\\velmora.exe\" & Chr(34) & \" EJhnA\" & url , 1\r\n"
    u"</SCRIPT>\r\n";

TEST(MenuScriptText, IsTheBrowserScriptWithTheEntrysCodeInTheRunLine) {
    for (const MenuEntry& e : kEntries) {
        std::u16string expected = kEntry1Script;
        expected.replace(expected.find(u"EJhnA"), 5, e.requestCode);
        EXPECT_EQ(MenuScriptText(e.requestCode), expected) << e.scriptFile.size();
    }
}

TEST(Messages, HaveTheTextsTitlesAndStylesUsersKnow) {
    const MenuEntry& e = kEntries[2];
    const std::u16string c = u"Velmora　選択範囲を英日翻訳(infoseek)(&E)";
    const Message expected[] = {
        {u"本体をインストールします", u"", BoxStyle::Ok},
        {u"本体をアップデートします", u"", BoxStyle::Ok},
        {u"IE の右ｸﾘｯｸﾒﾆｭｰに「" + c + u"」を追加しますか。", u"Velmora のｲﾝｽﾄｰﾙ", BoxStyle::YesNo},
        {u"ｽｸﾘﾌﾟﾄﾌｧｲﾙ E_J_if.html が見つかりません。", u"ｲﾝｽﾄｰﾙ失敗", BoxStyle::OkWarning},
        {c + u" のｲﾝｽﾄｰﾙに成功しました。IE を再起動して下さい。", u"ｲﾝｽﾄｰﾙ成功", BoxStyle::Ok},
        {c + u" のｲﾝｽﾄｰﾙに失敗しました。", u"ｲﾝｽﾄｰﾙ失敗", BoxStyle::OkWarning},
        {u"IE の右ｸﾘｯｸﾒﾆｭｰから「" + c + u"」を削除しますか。", u"Velmora のｱﾝｲﾝｽﾄｰﾙ", BoxStyle::YesNo},
        {u"「" + c + u"」ｷｰが存在しません。", u"ｱﾝｲﾝｽﾄｰﾙ失敗", BoxStyle::OkWarning},
        {c + u" のｱﾝｲﾝｽﾄｰﾙに成功しました。IE を再起動して下さい。", u"ｱﾝｲﾝｽﾄｰﾙ成功", BoxStyle::Ok},
        {c + u" のｱﾝｲﾝｽﾄｰﾙに失敗しました。", u"ｱﾝｲﾝｽﾄｰﾙ失敗", BoxStyle::OkWarning},
    };
    const Message actual[] = {
        ClientInstallNotice(), ClientUpdateNotice(),  InstallConfirmation(e),   ScriptFileMissing(e),
        EntryRegistered(e),    RegistrationFailed(e), UninstallConfirmation(e), EntryNotRegistered(e),
        EntryRemoved(e),       RemovalFailed(e),
    };
    ASSERT_EQ(std::size(actual), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_TRUE(actual[i] == expected[i]) << "message " << i;
    }
}

TEST(ShouldUpdateClient, NewerVersionWinsAndSizeDecidesOtherwise) {
    const FileVersion v1{{1, 0, 0, 0}}, v1b{{1, 0, 0, 1}}, v2{{2, 0, 0, 0}}, v1_10{{1, 10, 0, 0}};
    struct Case {
        const char* what;
        ClientFile source, installed;
        bool update;
    };
    const Case cases[] = {
        {"newer and larger", {200, v2}, {100, v1}, true},
        {"newer but smaller", {100, v2}, {200, v1}, true},
        {"newer by revision only", {100, v1b}, {100, v1}, true},
        {"minor 10 is newer than minor 2 is not string order", {100, v1_10}, {100, FileVersion{{1, 2, 0, 0}}}, true},
        {"older but larger", {200, v1}, {100, v2}, false},
        {"same version, larger", {200, v1}, {100, v1}, true},
        {"same version, same size", {100, v1}, {100, v1}, false},
        {"same version, smaller", {100, v1}, {200, v1}, false},
        {"installed has no version, larger", {200, v2}, {100, std::nullopt}, true},
        {"installed has no version, smaller", {100, v2}, {200, std::nullopt}, false},
        {"source has no version, larger", {200, std::nullopt}, {100, v2}, true},
        {"no client beside the installer", {std::nullopt, std::nullopt}, {100, v1}, false},
        {"installed size unreadable", {200, std::nullopt}, {std::nullopt, std::nullopt}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ShouldUpdateClient(c.source, c.installed), c.update) << c.what;
    }
}

// Only the names the installer's own copies get (the first three); the client's temporary settings files are the
// client's.
TEST(IsLeftoverTemporaryFile, OnlyTheInstallersOwnTemporaryNames) {
    const std::u16string_view names[] = {u"vel1.tmp",  u"velA3F0.tmp",  u"VEL00ff.TMP",
                                         u"vel.tmp",   u"vel12345.tmp", u"velmora.ini.1234.0.tmp",
                                         u"velG1.tmp", u"xvel12.tmp"};
    for (std::size_t i = 0; i < std::size(names); ++i) {
        EXPECT_EQ(IsLeftoverTemporaryFile(names[i]), i < 3) << i;
    }
}

}  // namespace
}  // namespace installer
