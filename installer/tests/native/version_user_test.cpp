#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/Accounts.h"
#include "core/VersionInfo.h"

namespace installer {
namespace {

// A root VS_VERSIONINFO block as the resource compiler lays it out, with a child block after the fixed info.
struct Block {
    std::u16string key = u"VS_VERSION_INFO";
    std::uint32_t signature = 0xFEEF04BD;
    std::uint32_t ms = 0x00020001, ls = 0x00000007;  // 2.1.0.7
    std::size_t valueLength = 52;
    std::ptrdiff_t lengthError = 0;  // added to the true wLength

    std::vector<std::byte> Bytes() const {
        std::vector<std::byte> out;
        auto word = [&](std::uint32_t v) {
            out.push_back(std::byte(v & 0xFF));
            out.push_back(std::byte((v >> 8) & 0xFF));
        };
        auto dword = [&](std::uint32_t v) { word(v & 0xFFFF), word(v >> 16); };
        word(0), word(static_cast<std::uint32_t>(valueLength)), word(0);
        for (char16_t c : key) {
            word(c);
        }
        word(0);
        while (out.size() % 4) {
            out.push_back(std::byte{0});
        }
        dword(signature), dword(0x00010000), dword(ms), dword(ls);
        for (int i = 0; i < 9; ++i) {
            dword(0);
        }
        for (char16_t c : std::u16string_view(u"\x24\0\0\1VarFileInfo\0", 16)) {  // a child block's bytes
            word(c);
        }
        const auto length = static_cast<std::uint32_t>(static_cast<std::ptrdiff_t>(out.size()) + lengthError);
        out[0] = std::byte(length & 0xFF), out[1] = std::byte((length >> 8) & 0xFF);
        return out;
    }
};

TEST(ParseFileVersion, ReadsTheFixedInfoAndRejectsWhatIsNotAVersionBlock) {
    const std::optional<FileVersion> v2107 = FileVersion{{2, 1, 0, 7}};
    struct Case {
        const char* what;
        Block block;
        std::size_t keep;  // bytes handed over; 0 for all
        std::optional<FileVersion> expected;
    };
    const auto with = [](auto change) {
        Block b;
        change(b);
        return b;
    };
    const Case cases[] = {
        {"a whole block", Block{}, 0, v2107},
        {"all four parts at their limits", with([](Block& b) { b.ms = 0xFFFF0000, b.ls = 0x0001FFFE; }), 0,
         FileVersion{{0xFFFF, 0, 1, 0xFFFE}}},
        {"cut short inside the fixed info", Block{}, 60, std::nullopt},
        {"cut short inside the key", Block{}, 20, std::nullopt},
        {"nothing", Block{}, 1, std::nullopt},
        {"wLength past the resource", with([](Block& b) { b.lengthError = 4; }), 0, std::nullopt},
        {"wLength ends inside the fixed info", with([](Block& b) { b.lengthError = -60; }), 0, std::nullopt},
        {"another key", with([](Block& b) { b.key = u"VS_VERSION_INFX"; }), 0, std::nullopt},
        {"a key with more after it", with([](Block& b) { b.key = u"VS_VERSION_INFOX"; }), 0, std::nullopt},
        {"wrong signature", with([](Block& b) { b.signature = 0xFEEF04BC; }), 0, std::nullopt},
        {"no fixed info", with([](Block& b) { b.valueLength = 0; }), 0, std::nullopt},
    };
    for (const Case& c : cases) {
        std::vector<std::byte> bytes = c.block.Bytes();
        if (c.keep) {
            bytes.resize(c.keep);
        }
        EXPECT_EQ(ParseFileVersion(bytes), c.expected) << c.what;
    }
}

TEST(OtherUserWarning, OnlyWhenBothUsersAreKnownAndDiffer) {
    const Account admin{u"S-1-5-21-1-2-3-500", u"PC\\admin"}, user{u"S-1-5-21-1-2-3-1001", u"PC\\hanako"};
    // Same name, other SID: a local and a domain account of one name are still two users.
    const Account sameName{u"S-1-5-21-9-9-9-1001", u"PC\\admin"};
    struct Case {
        const char* what;
        std::optional<Account> elevated, desktop;
        std::optional<Message> expected;
    };
    const Case cases[] = {
        {"the desktop user elevated", user, user, std::nullopt},
        {"an administrator's password", admin, user, OtherUserNotice(u"PC\\admin", u"PC\\hanako")},
        {"same name, other account", admin, sameName, OtherUserNotice(u"PC\\admin", u"PC\\admin")},
        {"no shell", admin, std::nullopt, std::nullopt},
        {"own token unreadable", std::nullopt, user, std::nullopt},
        {"empty SID", Account{u"", u"x"}, user, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(OtherUserWarning(c.elevated, c.desktop), c.expected) << c.what;
    }
    // The warning names whose account gets the entries and the shortcut keys, and who cannot use them.
    const Message shown = OtherUserNotice(u"PC\\admin", u"PC\\hanako");
    EXPECT_NE(shown.text.find(u"IE の右ｸﾘｯｸﾒﾆｭｰとｼｮｰﾄｶｯﾄｷｰは PC\\admin のｱｶｳﾝﾄに追加され"), std::u16string::npos);
    EXPECT_NE(shown.text.find(u"PC\\hanako の IE"), std::u16string::npos);
    EXPECT_EQ(shown.title, u"Velmora");
    EXPECT_EQ(shown.style, BoxStyle::OkWarning);
}

}  // namespace
}  // namespace installer
