// The browser's right-click menu entries in the registry: one subkey of MenuExt per entry, named by its caption.
// The root key is a parameter so that tests can work under a scratch key; the program passes HKEY_CURRENT_USER.
#pragma once
#include <windows.h>

#include <string>

namespace installer {

inline constexpr wchar_t kMenuExtKey[] = L"Software\\Microsoft\\Internet Explorer\\MenuExt";
// Every kind of page context: default, images, controls, tables, text selection, anchors.
inline constexpr DWORD kAllMenuContexts = 0x3F;

// Creates or reuses the entry key with its default value (the script path) and "contexts". Writes nothing when the
// caption is empty or the script is not an ordinary file. True when both values were written.
[[nodiscard]] bool AddMenuExtEntry(HKEY root, const std::wstring& caption, const std::wstring& scriptPath);
// True when this call deleted the entry key; the MenuExt key itself always stays.
[[nodiscard]] bool DeleteMenuExtEntry(HKEY root, const std::wstring& caption);
// True when the entry key opens with full access.
[[nodiscard]] bool MenuExtEntryExists(HKEY root, const std::wstring& caption);

}  // namespace installer
