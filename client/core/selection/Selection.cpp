#include "core/selection/Selection.h"

#include <rapidjson/document.h>

#include <algorithm>
#include <cstring>

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

// Visual Studio's editor and Scintilla (Notepad++) put these formats beside a line they copied for nothing selected.
constexpr std::u16string_view kLineCopyTags[] = {u"VisualStudioEditorOperationsLineCutCopyClipboardTag",
                                                 u"MSDEVLineSelect"};
// Chromium keeps a web page's own clipboard types (VS Code's editor is such a page) in one block: a header of the
// payload's size, the number of pairs, then each type and value as a length and that many UTF-16 units, padded to
// four bytes.
constexpr std::u16string_view kChromiumCustomData = u"Chromium Web Custom MIME Data Format";
// Java names a clipboard format after the class it serialises; JetBrains IDEs send their copy options so.
constexpr std::u16string_view kJavaFormat = u"JAVA_DATAFLAVOR:";
constexpr std::u16string_view kJetBrainsOptions = u"CopyPasteOptionsTransferableData";

class PickleReader {
  public:
    explicit PickleReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::optional<std::uint32_t> Number() {
        if (bytes_.size() - at_ < 4) {
            return std::nullopt;
        }
        std::uint32_t n = 0;
        std::memcpy(&n, bytes_.data() + at_, 4);  // little-endian, as Windows has it
        at_ += 4;
        return n;
    }
    std::optional<std::u16string> Text() {
        const auto units = Number();
        if (!units || *units > (bytes_.size() - at_) / 2) {
            return std::nullopt;
        }
        std::u16string text(*units, u'\0');
        std::memcpy(text.data(), bytes_.data() + at_, *units * 2);
        at_ = std::min(bytes_.size(), at_ + (*units * 2 + 3) / 4 * 4);
        return text;
    }

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

bool VsCodeLineCopy(std::span<const std::uint8_t> bytes) {
    PickleReader pickle(bytes);
    const auto payload = pickle.Number();
    const auto pairs = pickle.Number();
    for (std::uint32_t i = 0; payload && pairs && i < *pairs; ++i) {
        const auto type = pickle.Text();
        const auto value = pickle.Text();
        if (!type || !value) {
            return false;
        }
        if (*type == u"vscode-editor-data") {
            // Any web page's copy handler can put this format on the clipboard: parsed iteratively, since the
            // recursive parser takes stack for every level and a page's 64 KiB of "[" would overflow the worker's.
            rapidjson::GenericDocument<rapidjson::UTF16<char16_t>> json;
            json.Parse<rapidjson::kParseIterativeFlag>(value->c_str());
            if (json.HasParseError() || !json.IsObject()) {
                return false;
            }
            const auto flag = json.FindMember(u"isFromEmptySelection");
            return flag != json.MemberEnd() && flag->value.IsTrue();
        }
    }
    return false;
}

// A serialised boolean field that is true: its name ends the class description, followed by the end of its
// annotations (0x78), no superclass (0x70) and the value 1.
bool JetBrainsLineCopy(std::span<const std::uint8_t> bytes) {
    constexpr std::string_view kTrueField("FromEmptySelection\x78\x70\x01", 21);
    return std::search(bytes.begin(), bytes.end(), kTrueField.begin(), kTrueField.end()) != bytes.end();
}

}  // namespace

LineCopyMark LineCopyMarkOf(std::u16string_view formatName) {
    if (std::find(std::begin(kLineCopyTags), std::end(kLineCopyTags), formatName) != std::end(kLineCopyTags)) {
        return LineCopyMark::Present;
    }
    if (formatName == kChromiumCustomData ||
        (formatName.starts_with(kJavaFormat) && formatName.find(kJetBrainsOptions) != std::u16string_view::npos)) {
        return LineCopyMark::InBytes;
    }
    return LineCopyMark::None;
}

bool CopyMarksLine(std::u16string_view formatName, std::span<const std::uint8_t> bytes) {
    switch (LineCopyMarkOf(formatName)) {
        case LineCopyMark::Present:
            return true;
        case LineCopyMark::InBytes:
            return formatName == kChromiumCustomData ? VsCodeLineCopy(bytes) : JetBrainsLineCopy(bytes);
        case LineCopyMark::None:
            break;
    }
    return false;
}

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
    // These terminals' window classes are made up by their frameworks and change between builds or are shared with
    // every other program of the framework: MFC (RLogin, SecureCRT, Xshell), .NET Windows Forms (Poderosa), winit
    // (Alacritty), Electron (Tabby, Hyper), WezTerm's own. Their program file names stay.
    const std::size_t slash = programFile.find_last_of(u"\\/");
    const std::u16string_view name = slash == std::u16string_view::npos ? programFile : programFile.substr(slash + 1);
    constexpr std::u16string_view kPrograms[] = {u"rlogin.exe",    u"poderosa.exe", u"alacritty.exe",
                                                 u"wezterm-gui.exe", u"tabby.exe",    u"hyper.exe",
                                                 u"securecrt.exe", u"xshell.exe"};
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

bool IsTargetsCopy(const ClipboardChange& change) {
    const ProcessOrigin& owner = change.owner;
    if (owner.id == 0) {
        return change.sameWindowInFront && change.soonAfterKeys;
    }
    for (const ProcessOrigin& target : change.targets) {
        if (target.id == 0) {
            continue;
        }
        if (owner.id == target.id) {
            return true;
        }
        if (owner.parent == target.id && target.started != 0 && owner.started >= target.started) {
            return true;
        }
    }
    return false;
}

std::optional<std::u16string> ChooseSelection(const SelectionSource& automation, const SelectionSource& copy) {
    if (auto text = automation ? automation() : std::nullopt; text && HasVisibleText(*text)) {
        return Capped(std::move(*text));
    } else if (text && text->empty()) {
        return std::nullopt;
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
