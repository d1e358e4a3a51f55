// The entries' shortcuts in the current user's Start Menu, made through the shell's IShellLinkW and IPersistFile.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "core/Flows.h"

namespace installer {

// Under HKEY_CURRENT_USER: which shortcuts were made for this user.
inline constexpr wchar_t kShortcutsMadeKey[] = L"Software\\Velmora\\Shortcuts";

// "Velmora" in the current user's Programs folder of the Start Menu.
[[nodiscard]] std::optional<std::wstring> UserShortcutFolder();

class WinStartMenu final : public StartMenu {
  public:
    // folder: where the shortcuts go; empty: UserShortcutFolder(), looked up at each call.
    explicit WinStartMenu(std::wstring folder = {}) : folder_(std::move(folder)) {}
    bool CreateShortcut(const Shortcut& shortcut) override;
    bool RemoveShortcut(std::u16string_view fileName) override;
    bool ShortcutExists(std::u16string_view fileName) override;
    // In the user's registry, one value per shortcut under kShortcutsMadeKey.
    bool WasMade(std::u16string_view fileName) override;
    void NoteMade(std::u16string_view fileName, bool made) override;

  private:
    [[nodiscard]] std::optional<std::wstring> Folder() const;

    std::wstring folder_;
};

}  // namespace installer
