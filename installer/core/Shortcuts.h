// The Start Menu shortcut of each entry: it starts the client's selection start ("/selection CODE") with a shortcut
// key, so that a selection in any program can be translated without the browser.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/Entries.h"

namespace installer {

// The shell's hot-key modifier bits (the high byte of IShellLink's hot key).
enum KeyModifier : std::uint8_t { kShiftKey = 1, kControlKey = 2, kAltKey = 4 };

struct ShortcutKey {
    std::uint8_t modifiers;
    char16_t key;  // a capital letter, which is also its virtual-key code

    friend bool operator==(const ShortcutKey&, const ShortcutKey&) = default;
};

struct Shortcut {
    std::u16string fileName;  // "<name>.lnk", inside the shortcut folder
    std::u16string target;
    std::u16string arguments;
    std::u16string workingFolder;
    std::u16string description;
    ShortcutKey key;

    friend bool operator==(const Shortcut&, const Shortcut&) = default;
};

// The folder of the user's Programs folder that holds the shortcuts.
inline constexpr std::u16string_view kShortcutFolderName = u"Velmora";

// The caption without "Velmora　" in front and without the access key "(&E)" at the end.
[[nodiscard]] std::u16string ShortcutName(std::u16string_view caption);
[[nodiscard]] Shortcut ShortcutFor(const MenuEntry& entry);

// The shortcuts that belong to no one entry: the client's service window, and the selection start that picks the
// direction from the text itself. They come with the first installed entry and go with the last.
[[nodiscard]] std::array<Shortcut, 2> SharedShortcuts();

}  // namespace installer
