// A selection start: "/selection CODE" asks the client to read the text selected in the foreground program and
// go on as if it had been started with CODE followed directly by that text.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace velmora {

// The request code of a selection start, or nothing when the argument text is not one: "/selection", blanks,
// then exactly one of the six codes or kAutoDirection (blanks after it are allowed, as a hand-edited shortcut may
// carry them).
[[nodiscard]] std::optional<std::u16string_view> SelectionStartCode(std::u16string_view argumentText);

// "/selection auto": the code is picked from the selected text (DirectionCode).
inline constexpr std::u16string_view kAutoDirection = u"auto";

// A command line holds at most 32,767 characters, so the browser could never hand over more; a larger selection is
// cut there (never inside a surrogate pair) rather than sent as a URL no service accepts.
inline constexpr std::size_t kMaxSelectionLength = 32000;

// One way of reading the selection; nothing when that way found none.
using SelectionSource = std::function<std::optional<std::u16string>()>;

// The two ways in order: UI Automation's text counts when it holds more than blanks and line breaks; otherwise the
// copy is asked (only then, since it touches the clipboard). An empty text from UI Automation (a text pattern that
// showed where the caret is, with nothing selected) is believed: no copy, since an editor may copy its whole line
// then. The copy's text ends at its first NUL and loses the one line break that programs add after a copied line
// or cell. Nothing, when neither way gave visible text.
[[nodiscard]] std::optional<std::u16string> ChooseSelection(const SelectionSource& automation,
                                                            const SelectionSource& copy);

// Editors that copy the whole line when nothing is selected mark that copy on the clipboard; the user selected
// nothing. A registered format's name tells whether it is such a mark by itself (Present), whether its bytes decide
// (InBytes: CopyMarksLine), or neither.
enum class LineCopyMark { None, Present, InBytes };
[[nodiscard]] LineCopyMark LineCopyMarkOf(std::u16string_view formatName);
[[nodiscard]] bool CopyMarksLine(std::u16string_view formatName, std::span<const std::uint8_t> bytes);
// More than the marks ever hold; a larger block is not read.
inline constexpr std::size_t kMaxLineCopyMarkBytes = 64 * 1024;

// Why a selection start found no text to translate; each has its own box.
enum class SelectionRefusal {
    NothingSelected,    // also a terminal, a password box, or another window in front by the time of the copy
    KeysHeld,           // keys still down after the wait: Ctrl+C would have reached the program as another shortcut
    HigherIntegrity,    // the window in front runs elevated and ignores our keys
    ClipboardNotSaved,  // the user's clipboard could not be read whole within the budgets, so no copy was made
    OtherStartBusy,     // another selection start of this user kept the clipboard for too long
};

// Where the text was read, for putting its translation in its place; made and used by the Windows side only
// (win/selection/Replacement), an opaque token here.
struct SelectionOrigin;

struct SelectionRead {
    std::optional<std::u16string> text;
    SelectionRefusal refusal = SelectionRefusal::NothingSelected;  // why there is no text
    std::shared_ptr<SelectionOrigin> origin{};                    // with a text only
};

// The box's sentence (title "注意").
[[nodiscard]] std::u16string_view RefusalText(SelectionRefusal refusal);

// What is known, right before Ctrl+C would be sent, of the window in front.
struct CopyTarget {
    bool sameAsAtStart;    // the window that was in front when the client started
    bool terminal;         // InterruptsOnCtrlC of its class
    bool higherIntegrity;  // IgnoresOurInput
    bool keysHeld;         // Ctrl, Alt, Shift or a Windows key still down
};

// Nothing when Ctrl+C may be sent; otherwise why not.
[[nodiscard]] std::optional<SelectionRefusal> RefuseCopy(const CopyTarget& target);

// Windows keeps a program's input away from the windows of a higher integrity level (an elevated program). Levels
// are the token's mandatory label (0x2000 medium, 0x3000 high). `theirs` is empty when the window's process or its
// token could not be queried; `tokenRefused` then says that the process could be opened but not its token, which
// from a program below high is what an elevated process of the same user looks like.
[[nodiscard]] bool IgnoresOurInput(std::optional<std::uint32_t> ours,
                                   std::optional<std::uint32_t> theirs,
                                   bool tokenRefused);

// A process as the system's process list and its times show it.
struct ProcessOrigin {
    std::uint32_t id = 0;       // 0: none
    std::uint32_t parent = 0;   // the process that started it, by the id it had then
    std::uint64_t started = 0;  // its creation time (0: not known); only the order counts
};

// A change of the clipboard after our Ctrl+C, and what is known of the program the keys went to.
struct ClipboardChange {
    ProcessOrigin owner;                   // the process of the clipboard's owner window; id 0 when it has none
    std::array<ProcessOrigin, 2> targets;  // the target window's process and that of its focused window
    bool sameWindowInFront = false;        // the window the keys went to is still the one in front
    bool soonAfterKeys = false;            // the change came while we waited for the copy
};

// Whether the change is the target's copy of its selection: its owner is a target process, or a process one of them
// started (a browser engine's own process, WebView2's, copies for the program that hosts it), or it has no owner (a
// program that copies with OpenClipboard(NULL)) and came right after our keys with the same window in front. A
// parent's id may have been given to another process since: the child must have started after the target did.
// Any other program's change is not the selection.
[[nodiscard]] bool IsTargetsCopy(const ClipboardChange& change);

// Window classes of terminals, where Ctrl+C without a selection interrupts the running program instead of copying:
// the copy is never sent to them (their UI Automation text pattern, where they have one, still serves).
[[nodiscard]] bool InterruptsOnCtrlC(std::u16string_view windowClass);
// The same for terminals known by their program file (a full path or a bare name), whose class names vary.
[[nodiscard]] bool IsTerminalProgram(std::u16string_view programFile);

}  // namespace velmora
