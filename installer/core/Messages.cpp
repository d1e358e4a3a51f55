#include "core/Messages.h"

namespace installer {
namespace {

// The installer's texts use half-width katakana, as the first release did.
constexpr char16_t kInstallFailedTitle[] = u"ｲﾝｽﾄｰﾙ失敗";
constexpr char16_t kUninstallFailedTitle[] = u"ｱﾝｲﾝｽﾄｰﾙ失敗";

std::u16string Caption(const MenuEntry& entry) {
    return std::u16string(entry.caption);
}

}  // namespace

Message ClientInstallNotice() {
    return {u"本体をインストールします", u"", BoxStyle::Ok};
}

Message ClientUpdateNotice() {
    return {u"本体をアップデートします", u"", BoxStyle::Ok};
}

Message ClientInstallFailed(std::u16string_view reason) {
    return {u"本体のインストールに失敗しました。\n\n" + std::u16string(reason), u"Velmora", BoxStyle::OkStop};
}

// The copy goes to a temporary name first, so a failed update leaves the old client as it was.
Message ClientUpdateFailed(std::u16string_view reason) {
    return {u"本体のアップデートに失敗しました。これまでの本体をそのまま使います。\n\n" + std::u16string(reason),
            u"Velmora", BoxStyle::OkStop};
}

Message OtherUserNotice(std::u16string_view elevatedUser, std::u16string_view desktopUser) {
    const std::u16string elevated(elevatedUser), desktop(desktopUser);
    return {u"このｲﾝｽﾄｰﾗｰは " + elevated + u" のｱｶｳﾝﾄで動いています。\n\nIE の右ｸﾘｯｸﾒﾆｭｰとｼｮｰﾄｶｯﾄｷｰは " + elevated +
                u" のｱｶｳﾝﾄに追加され、" + desktop + u" の IE とｽﾀｰﾄﾒﾆｭｰでは使えません。",
            u"Velmora", BoxStyle::OkWarning};
}

Message InstallConfirmation(const MenuEntry& entry) {
    return {u"IE の右ｸﾘｯｸﾒﾆｭｰに「" + Caption(entry) + u"」を追加しますか。", u"Velmora のｲﾝｽﾄｰﾙ", BoxStyle::YesNo};
}

Message ScriptFileMissing(const MenuEntry& entry) {
    return {u"ｽｸﾘﾌﾟﾄﾌｧｲﾙ " + std::u16string(entry.scriptFile) + u" が見つかりません。", kInstallFailedTitle,
            BoxStyle::OkWarning};
}

Message EntryRegistered(const MenuEntry& entry) {
    return {Caption(entry) + u" のｲﾝｽﾄｰﾙに成功しました。IE を再起動して下さい。", u"ｲﾝｽﾄｰﾙ成功", BoxStyle::Ok};
}

Message RegistrationFailed(const MenuEntry& entry) {
    return {Caption(entry) + u" のｲﾝｽﾄｰﾙに失敗しました。", kInstallFailedTitle, BoxStyle::OkWarning};
}

Message UninstallConfirmation(const MenuEntry& entry) {
    return {u"IE の右ｸﾘｯｸﾒﾆｭｰから「" + Caption(entry) + u"」を削除しますか。", u"Velmora のｱﾝｲﾝｽﾄｰﾙ", BoxStyle::YesNo};
}

Message EntryNotRegistered(const MenuEntry& entry) {
    return {u"「" + Caption(entry) + u"」ｷｰが存在しません。", kUninstallFailedTitle, BoxStyle::OkWarning};
}

Message EntryRemoved(const MenuEntry& entry) {
    return {Caption(entry) + u" のｱﾝｲﾝｽﾄｰﾙに成功しました。IE を再起動して下さい。", u"ｱﾝｲﾝｽﾄｰﾙ成功", BoxStyle::Ok};
}

Message RemovalFailed(const MenuEntry& entry) {
    return {Caption(entry) + u" のｱﾝｲﾝｽﾄｰﾙに失敗しました。", kUninstallFailedTitle, BoxStyle::OkWarning};
}

Message ShortcutKeyNotSet(Message usual) {
    usual.text += u"ｼｮｰﾄｶｯﾄｷｰは設定できませんでした。";
    return usual;
}

Message ShortcutKeyNotRemoved(Message usual) {
    usual.text += u"ｼｮｰﾄｶｯﾄｷｰは削除できませんでした。";
    return usual;
}

}  // namespace installer
