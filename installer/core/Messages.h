// The texts, titles and styles of every message box the installer shows, and the texts of its window.
#pragma once
#include <string>
#include <string_view>

#include "core/Entries.h"

namespace installer {

enum class BoxStyle {
    Ok,         // OK, no icon
    OkWarning,  // OK with the exclamation mark
    YesNo,      // Yes and No, no icon
    OkStop,     // OK with the stop sign
};

struct Message {
    std::u16string text;
    std::u16string title;  // empty: the box shows the program's own title
    BoxStyle style = BoxStyle::Ok;

    friend bool operator==(const Message&, const Message&) = default;
};

// Start-up.
[[nodiscard]] Message ClientInstallNotice();
[[nodiscard]] Message ClientUpdateNotice();
// The client could not be put in place; reason is the system's text for the failure.
[[nodiscard]] Message ClientInstallFailed(std::u16string_view reason);
[[nodiscard]] Message ClientUpdateFailed(std::u16string_view reason);
// The elevated user is not the one whose desktop the installer runs on.
[[nodiscard]] Message OtherUserNotice(std::u16string_view elevatedUser, std::u16string_view desktopUser);

// Install command.
[[nodiscard]] Message InstallConfirmation(const MenuEntry& entry);
[[nodiscard]] Message ScriptFileMissing(const MenuEntry& entry);
[[nodiscard]] Message EntryRegistered(const MenuEntry& entry);
[[nodiscard]] Message RegistrationFailed(const MenuEntry& entry);

// Uninstall command.
[[nodiscard]] Message UninstallConfirmation(const MenuEntry& entry);
[[nodiscard]] Message EntryNotRegistered(const MenuEntry& entry);
[[nodiscard]] Message EntryRemoved(const MenuEntry& entry);
[[nodiscard]] Message RemovalFailed(const MenuEntry& entry);

// The command's usual message with one sentence more, when the entry's shortcut key could not be set up or removed.
[[nodiscard]] Message ShortcutKeyNotSet(Message usual);
[[nodiscard]] Message ShortcutKeyNotRemoved(Message usual);

// The window: a frame, a label and two buttons per entry, in the order of the entries. The gap in each label is
// four ideographic spaces, which wraps the second half onto the next line.
inline constexpr const wchar_t* kFrameCaptions[] = {L"選択範囲を英日翻訳(Excite)", L"選択範囲を日英翻訳(Excite)",
                                                    L"選択範囲を英日翻訳(infoseek)", L"選択範囲を日英翻訳(infoseek)"};
inline constexpr const wchar_t* kLabelCaptions[] = {
    L"IEで選択範囲を英日翻訳して　　　　ポップアップで表示します",
    L"IEで選択範囲を日英翻訳して　　　　ポップアップで表示します",
    L"IEで選択範囲を英日翻訳して　　　　ポップアップで表示します",
    L"IEで選択範囲を日英翻訳して　　　　ポップアップで表示します",
};
inline constexpr wchar_t kInstallCaption[] = L"インストール";
inline constexpr wchar_t kUninstallCaption[] = L"アンインストール";

}  // namespace installer
