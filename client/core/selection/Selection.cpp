#include "core/selection/Selection.h"

#include <algorithm>

#include "core/Messages.h"
#include "core/pages/Request.h"
#include "core/text/Utf16.h"

namespace velmora {
namespace {

constexpr std::u16string_view kSelectionSwitch = u"/selection";

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\u3000' || c == u'\u00A0';
}

bool HasVisibleText(std::u16string_view text) {
    for (char16_t c : text) {
        if (!IsBlank(c)) {
            return true;
        }
    }
    return false;
}

std::u16string_view TrimBlanks(std::u16string_view s) {
    while (!s.empty() && (s.front() == u' ' || s.front() == u'\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == u' ' || s.back() == u'\t')) {
        s.remove_suffix(1);
    }
    return s;
}

std::u16string Capped(std::u16string text) {
    if (text.size() > kMaxSelectionLength) {
        text.resize(CutOutsidePair(text, kMaxSelectionLength));
    }
    return text;
}

// Excel ends a copied cell with CR LF, browsers a copied paragraph; the user selected the text, not the break.
std::u16string FromCopy(std::u16string text) {
    if (const std::size_t nul = text.find(u'\0'); nul != std::u16string::npos) {
        text.resize(nul);
    }
    if (text.ends_with(u"\r\n")) {
        text.resize(text.size() - 2);
    } else if (text.ends_with(u'\n') || text.ends_with(u'\r')) {
        text.pop_back();
    }
    return text;
}

}  // namespace

std::optional<std::u16string_view> SelectionStartCode(std::u16string_view argumentText) {
    if (!argumentText.starts_with(kSelectionSwitch)) {
        return std::nullopt;
    }
    const std::u16string_view rest = argumentText.substr(kSelectionSwitch.size());
    if (rest.empty() || (rest.front() != u' ' && rest.front() != u'\t')) {
        return std::nullopt;
    }
    if (TrimBlanks(rest) == kAutoDirection) {
        return kAutoDirection;
    }
    const RequestKind* kind = FindRequest(TrimBlanks(rest));
    return kind ? std::optional(kind->code) : std::nullopt;
}

bool InterruptsOnCtrlC(std::u16string_view windowClass) {
    constexpr std::u16string_view kTerminals[] = {
        u"ConsoleWindowClass",             // the console host
        u"CASCADIA_HOSTING_WINDOW_CLASS",  // Windows Terminal
        u"PuTTY",                          // PuTTY
        u"mintty",                         // mintty (Git Bash, Cygwin, MSYS2)
        u"VirtualConsoleClass",            // ConEmu
        u"VTWin32",                        // Tera Term: the class its VT window registers in its own source
        // The next three are not in a documentation of theirs; they are the names that users' window-matching
        // scripts (AutoHotkey's ahk_class) give for these programs' windows.
        u"TMobaXtermForm",    // MobaXterm's main window
        u"TFormDetachedTab",  // a MobaXterm tab torn off into its own window
        u"KiTTY",             // KiTTY, a PuTTY derivative that registers its own name as PuTTY does
    };
    for (std::u16string_view terminal : kTerminals) {
        if (windowClass == terminal) {
            return true;
        }
    }
    return false;
}

bool IsTerminalProgram(std::u16string_view programFile) {
    // RLogin's window classes are made up by its framework (MFC) and Poderosa's by .NET Windows Forms, and both
    // change between builds; their program file names do not.
    const std::size_t slash = programFile.find_last_of(u"\\/");
    const std::u16string_view name = slash == std::u16string_view::npos ? programFile : programFile.substr(slash + 1);
    constexpr std::u16string_view kPrograms[] = {u"rlogin.exe", u"poderosa.exe"};
    for (std::u16string_view program : kPrograms) {
        if (name.size() == program.size() &&
            std::equal(name.begin(), name.end(), program.begin(),
                       [](char16_t a, char16_t b) { return (a >= u'A' && a <= u'Z' ? a + (u'a' - u'A') : a) == b; })) {
            return true;
        }
    }
    return false;
}

std::u16string_view RefusalText(SelectionRefusal refusal) {
    switch (refusal) {
        case SelectionRefusal::NothingSelected:
            break;
        case SelectionRefusal::KeysHeld:
            return kKeysHeldText;
        case SelectionRefusal::HigherIntegrity:
            return kHigherIntegrityText;
        case SelectionRefusal::ClipboardNotSaved:
            return kClipboardNotSavedText;
        case SelectionRefusal::OtherStartBusy:
            return kOtherStartBusyText;
    }
    return kSelectTextText;
}

std::optional<SelectionRefusal> RefuseCopy(const CopyTarget& target) {
    // Another window in front, or a terminal, is treated as if nothing had been selected: no keys went anywhere.
    if (!target.sameAsAtStart || target.terminal) {
        return SelectionRefusal::NothingSelected;
    }
    if (target.higherIntegrity) {
        return SelectionRefusal::HigherIntegrity;
    }
    if (target.keysHeld) {
        return SelectionRefusal::KeysHeld;
    }
    return std::nullopt;
}

bool IgnoresOurInput(std::optional<std::uint32_t> ours, std::optional<std::uint32_t> theirs, bool tokenRefused) {
    constexpr std::uint32_t kHigh = 0x3000;
    if (!ours) {
        return false;  // nothing to compare with: the copy is tried as before
    }
    if (theirs) {
        return *theirs > *ours;
    }
    return tokenRefused && *ours < kHigh;
}

std::optional<std::u16string> ChooseSelection(const SelectionSource& automation, const SelectionSource& copy) {
    if (auto text = automation ? automation() : std::nullopt; text && HasVisibleText(*text)) {
        return Capped(std::move(*text));
    }
    if (auto text = copy ? copy() : std::nullopt) {
        std::u16string copied = FromCopy(std::move(*text));
        if (HasVisibleText(copied)) {
            return Capped(std::move(copied));
        }
    }
    return std::nullopt;
}

}  // namespace velmora
