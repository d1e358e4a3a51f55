#include "core/Selection.h"

#include "core/Request.h"

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
        std::size_t end = kMaxSelectionLength;
        if (text[end - 1] >= 0xD800 && text[end - 1] <= 0xDBFF) {
            --end;
        }
        text.resize(end);
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
    // The console host, Windows Terminal, PuTTY, mintty (Git Bash, Cygwin) and ConEmu.
    constexpr std::u16string_view kTerminals[] = {u"ConsoleWindowClass", u"CASCADIA_HOSTING_WINDOW_CLASS", u"PuTTY",
                                                  u"mintty", u"VirtualConsoleClass"};
    for (std::u16string_view terminal : kTerminals) {
        if (windowClass == terminal) {
            return true;
        }
    }
    return false;
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
