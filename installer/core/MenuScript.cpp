#include "core/MenuScript.h"

#include <array>

namespace installer {
namespace {

// Kept as the browser has always been given it, quirks included: line 12 is overwritten by line 13 at once,
// line 7 has no semicolon and the two blocks close their tags in different case.
constexpr std::array<std::u16string_view, 21> kLinesBeforeRun = {
    u"<script language=\"JavaScript\" defer>",
    u"var wnd = external.menuArguments;",
    u"var doc = wnd.document;",
    u"var evt = wnd.event;",
    u"var elm = doc.elementFromPoint(evt.clientX, evt.clientY);",
    u"var act = doc.activeElement;",
    u"var txt = doc.selection.createRange().text",
    u"var loc = wnd.location;",
    u"// 現在の URL",
    u"while (elm.parentElement) {",
    u"if (doc.selection) {",
    u"            url = txt.replace(/\\s/g,\"\\s\");",
    u"            url = txt.replace(/\\n/g,\"%0D\");",
    u"        break;",
    u"    }",
    u"    elm = elm.parentElement;",
    u"}",
    u"</script>",
    u"<script language=\"VBScript\" defer>",
    u"Dim WshShell",
    u"Set WshShell = CreateObject(\"WScript.Shell\")",
};

constexpr std::u16string_view kLineBreak = u"\r\n";

}  // namespace

std::u16string MenuScriptText(std::u16string_view requestCode) {
    std::u16string text;
    for (std::u16string_view line : kLinesBeforeRun) {
        text += line;
        text += kLineBreak;
    }
    text += u"WshShell.Run Chr(34) & \"C:\\Program Files\\Velmora\\velmora.exe\" & Chr(34) & \" ";
    text += requestCode;
    text += u"\" & url , 1";
    text += kLineBreak;
    text += u"</SCRIPT>";
    text += kLineBreak;
    return text;
}

}  // namespace installer
