// A selection start: "/selection CODE" asks the client to read the text selected in the foreground program and
// go on as if it had been started with CODE followed directly by that text.
#pragma once
#include <functional>
#include <optional>
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
// copy is asked (only then, since it touches the clipboard). The copy's text ends at its first NUL and loses the one
// line break that programs add after a copied line or cell. Nothing, when neither way gave visible text.
[[nodiscard]] std::optional<std::u16string> ChooseSelection(const SelectionSource& automation,
                                                            const SelectionSource& copy);

// Window classes of terminals, where Ctrl+C without a selection interrupts the running program instead of copying:
// the copy is never sent to them (their UI Automation text pattern, where they have one, still serves).
[[nodiscard]] bool InterruptsOnCtrlC(std::u16string_view windowClass);

}  // namespace velmora
