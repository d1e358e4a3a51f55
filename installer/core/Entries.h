// The fixed places and the four browser menu entries the installer offers.
#pragma once
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace installer {

inline constexpr std::u16string_view kInstallFolder = u"C:\\Program Files\\Velmora";
inline constexpr std::u16string_view kInstalledClient = u"C:\\Program Files\\Velmora\\velmora.exe";
inline constexpr std::u16string_view kClientFileName = u"velmora.exe";

struct MenuEntry {
    std::u16string_view caption;  // the registry key name and the browser's menu item, access key included
    std::u16string_view scriptFile;
    std::u16string_view requestCode;
};

// The blank after "Velmora" is an ideographic space (U+3000).
inline constexpr std::array<MenuEntry, 4> kEntries = {{
    {u"Velmora\u3000選択範囲を英日翻訳(Excite)(&E)", u"E_J.html", u"EJhnA"},
    {u"Velmora\u3000選択範囲を日英翻訳(Excite)(&J)", u"J_E.html", u"JEhnA"},
    {u"Velmora\u3000選択範囲を英日翻訳(infoseek)(&E)", u"E_J_if.html", u"EJIFA"},
    {u"Velmora\u3000選択範囲を日英翻訳(infoseek)(&J)", u"J_E_if.html", u"JEIFA"},
}};
inline constexpr std::size_t kEntryCount = kEntries.size();

// The installer puts a file in place under a temporary name first (the system's "<prefix><hex>.tmp") and renames it.
inline constexpr std::u16string_view kTemporaryPrefix = u"vel";
// A name of that form: one that a run that was cut short may have left in the install folder. The client's own
// temporary settings files ("velmora.ini.<n>.<n>.tmp") are not of it.
[[nodiscard]] bool IsLeftoverTemporaryFile(std::u16string_view name);

// "C:\Program Files\Velmora\" + the entry's file name: the registry's default value.
[[nodiscard]] std::u16string ScriptPath(const MenuEntry& entry);

// folder + "\" + name.
[[nodiscard]] std::u16string JoinPath(std::u16string_view folder, std::u16string_view name);

}  // namespace installer
