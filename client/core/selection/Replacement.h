// Putting the translation in place of the selection it came from: which check stops it, in the order they are made.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace velmora {

// Why the translation was not pasted; each has its own box (title "注意"), and every program is left as it was.
enum class ReplaceRefusal {
    TargetGone,         // the window the text was selected in was closed, or its program ended
    Terminal,           // a terminal: the paste would run as typed commands
    HigherIntegrity,    // an elevated program ignores our keys
    KeysHeld,           // keys still down after the wait: Ctrl+V would reach the program as another shortcut
    NotInFront,         // the window could not be brought back, or not with the control the text was selected in
    PasswordBox,        // that control is now a password box
    OtherStartBusy,     // another start of this user kept the clipboard for too long
    ClipboardNotSaved,  // the user's clipboard could not be saved whole, so it was not used
    NotTaken,           // Ctrl+V went out but the program did not ask for the text in time
};

// What is known of the program the text came from. Before it is asked back to the front only the first four;
// `inFront` and `password` once it was; `taken` once Ctrl+V went (with `inFront` as it is then).
struct ReplaceTarget {
    bool gone = false;
    bool terminal = false;
    bool higherIntegrity = false;
    bool keysHeld = false;
    std::optional<bool> inFront;   // the same window in front, with the control that had the focus
    std::optional<bool> password;  // that control hides its text
    std::optional<bool> taken;     // the program asked for the text while it was in front
};

// Nothing when the keys may go; otherwise the first reason against them.
[[nodiscard]] std::optional<ReplaceRefusal> RefuseReplacement(const ReplaceTarget& target);

// The box's sentence.
[[nodiscard]] std::u16string_view ReplaceRefusalText(ReplaceRefusal refusal);

// Whether a control of this class and style is a password box (an Edit or a rich edit with ES_PASSWORD). The
// same bit means other things to other classes (a button's text on the left).
[[nodiscard]] bool HidesItsText(std::u16string_view windowClass, std::uint32_t style);

}  // namespace velmora
