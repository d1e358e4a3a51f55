#include "core/Shortcuts.h"

namespace installer {
namespace {

constexpr std::u16string_view kCaptionPrefix = u"Velmora\u3000";

// E and J as in the browser menu's access keys; Shift tells infoseek from Excite.
constexpr struct {
    std::u16string_view requestCode;
    ShortcutKey key;
} kKeys[] = {
    {u"EJhnA", {kControlKey | kAltKey, u'E'}},
    {u"JEhnA", {kControlKey | kAltKey, u'J'}},
    {u"EJIFA", {kControlKey | kShiftKey | kAltKey, u'E'}},
    {u"JEIFA", {kControlKey | kShiftKey | kAltKey, u'J'}},
};

ShortcutKey KeyOf(std::u16string_view requestCode) {
    for (const auto& k : kKeys) {
        if (k.requestCode == requestCode) {
            return k.key;
        }
    }
    return {0, 0};  // no key: the shortcut still starts the request from the Start Menu
}

}  // namespace

std::u16string ShortcutName(std::u16string_view caption) {
    if (caption.starts_with(kCaptionPrefix)) {
        caption.remove_prefix(kCaptionPrefix.size());
    }
    // The access key: "(&" + one character + ")" at the end.
    if (caption.size() >= 4 && caption.ends_with(u')') && caption.substr(caption.size() - 4, 2) == u"(&") {
        caption.remove_suffix(4);
    }
    return std::u16string(caption);
}

Shortcut ShortcutFor(const MenuEntry& entry) {
    const std::u16string name = ShortcutName(entry.caption);
    return {name + u".lnk",
            std::u16string(kInstalledClient),
            u"/selection " + std::u16string(entry.requestCode),
            std::u16string(kInstallFolder),
            name,
            KeyOf(entry.requestCode)};
}

std::array<Shortcut, 2> SharedShortcuts() {
    const auto make = [](std::u16string_view name, std::u16string_view arguments, ShortcutKey key) {
        return Shortcut{std::u16string(name) + u".lnk", std::u16string(kInstalledClient),
                        std::u16string(arguments),      std::u16string(kInstallFolder),
                        std::u16string(name),           key};
    };
    // T for translate: the one key to learn, whichever language the selection is in.
    return {make(u"翻訳サービスの設定", u"/settings", {0, 0}),
            make(u"選択範囲を自動翻訳", u"/selection auto", {kControlKey | kAltKey, u'T'})};
}

}  // namespace installer
