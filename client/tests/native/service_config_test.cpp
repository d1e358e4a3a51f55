#include "core/ServiceConfig.h"

#include <gtest/gtest.h>

#include "core/ServiceForm.h"

namespace velmora {
namespace {

TEST(ServiceKind, OnlyTheThreeExactTextsChooseAndEverythingElseIsThePages) {
    const struct {
        std::wstring_view text;
        ServiceKind kind;
    } cases[] = {
        {L"page", ServiceKind::Page},
        {L"deepl", ServiceKind::DeepL},
        {L"libretranslate", ServiceKind::LibreTranslate},
        {L"DeepL", ServiceKind::Page},
        {L"deepl ", ServiceKind::Page},
        {L"libre", ServiceKind::Page},
        {L"", ServiceKind::Page},
        {std::wstring_view(L"deepl\0x", 7), ServiceKind::Page},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ServiceKindFromText(c.text), c.kind) << std::wstring(c.text).size();
    }
    for (ServiceKind kind : {ServiceKind::Page, ServiceKind::DeepL, ServiceKind::LibreTranslate}) {
        EXPECT_EQ(ServiceKindFromText(ServiceKindText(kind)), kind);
    }
}

TEST(IsValidServiceUrl, TakesHttpAndHttpsWithAHostOnly) {
    const struct {
        std::wstring_view url;
        bool valid;
    } cases[] = {
        {L"http://localhost:5000", true},
        {L"https://translate.example.org", true},
        {L"HTTPS://Translate.Example.org/", true},
        {L"http://127.0.0.1:5000/libre/", true},
        {L"http://[::1]:5000", true},
        {L"http://[::1]", true},
        {L"http://host/パス", true},
        {L"", false},
        {L"localhost:5000", false},
        {L"ftp://localhost", false},
        {L"file:///C:/x", false},
        {L"javascript:alert(1)", false},
        {L"http://", false},
        {L"http:///path", false},
        {L"http://:5000", false},
        {L"http://host:", false},
        {L"http://host:0", false},
        {L"http://host:65536", false},
        {L"http://host:50a", false},
        {L"http://host:5000:6000", false},
        {L"http://ho st", false},
        {L"http://host/a b", false},
        {L" http://host", false},
        {L"http://host\t", false},
        {L"http://host\r\nX: y", false},
        {L"http://host/\x3000", false},
        {L"http://user@host", false},
        {L"http://host?q=1", false},
        {L"http://host/#frag", false},
        {L"http://host\\path", false},
        {L"http://[::1", false},
        {L"http://[zz]", false},
        {L"http://.host", false},
        {L"http://ホスト", false},
        {std::wstring_view(L"http://host\0evil", 16), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsValidServiceUrl(c.url), c.valid) << std::string(c.url.begin(), c.url.end());
    }
}

TEST(ServiceForm, EachKeyIsKeptReplacedOrRemovedAsTheFieldSays) {
    const struct {
        KeyField field;
        KeyAction action;
        bool hasKey;
        std::wstring_view status;
    } cases[] = {
        {{false, false, false}, KeyAction::Keep, false, L"キーは保存されていません。"},
        {{true, false, false}, KeyAction::Keep, true, L"キーは保存済みです。入力すると置き換えます。"},
        {{true, false, true}, KeyAction::Remove, false, L"保存済みのキーを OK で削除します。"},
        {{true, true, false}, KeyAction::Replace, true, L"入力したキーを OK で保存します。"},
        {{true, true, true}, KeyAction::Replace, true, L"入力したキーを OK で保存します。"},  // typed after the removal
        {{false, true, false}, KeyAction::Replace, true, L"入力したキーを OK で保存します。"},
        {{false, false, true}, KeyAction::Keep, false, L"キーは保存されていません。"},  // nothing to remove
    };
    for (const auto& c : cases) {
        const std::string what =
            std::to_string(c.field.stored) + std::to_string(c.field.typed) + std::to_string(c.field.removing);
        EXPECT_EQ(ChooseKeyAction(c.field), c.action) << what;
        EXPECT_EQ(HasKeyAfterSave(c.field), c.hasKey) << what;
        EXPECT_EQ(KeyStatusText(c.field), c.status) << what;
    }
}

TEST(ServiceForm, RefusesABadUrlWhateverIsChosenAndWhatTheChoiceLacks) {
    const struct {
        ServiceKind kind;
        std::wstring_view url;
        bool deepLKey;
        FormField problem;
    } cases[] = {
        {ServiceKind::Page, L"", false, FormField::None},
        {ServiceKind::Page, L"ftp://host", true, FormField::Url},
        {ServiceKind::DeepL, L"", true, FormField::None},
        {ServiceKind::DeepL, L"", false, FormField::DeepLKey},
        {ServiceKind::DeepL, L"localhost:5000", true, FormField::Url},
        {ServiceKind::LibreTranslate, L"http://localhost:5000", false, FormField::None},
        {ServiceKind::LibreTranslate, L"", true, FormField::Url},
        {ServiceKind::LibreTranslate, L"http://", true, FormField::Url},
    };
    for (const auto& c : cases) {
        const auto problem = CheckServiceForm(c.kind, c.url, c.deepLKey);
        EXPECT_EQ(problem ? problem->field : FormField::None, c.problem) << static_cast<int>(c.kind) << c.deepLKey;
        EXPECT_TRUE(!problem || !problem->text.empty());
    }
}

TEST(ServiceForm, TheWindowStartsAloneOnlyForTheExactSwitch) {
    const struct {
        std::wstring_view argument;
        bool start;
    } cases[] = {
        {L"/settings", true},       {L"/settings  ", true},       {L"/Settings", false},
        {L"/settingsX", false},     {L"/settings x", false},      {L" /settings", false},
        {L"EJhnA/settings", false}, {L"/selection EJhnA", false}, {L"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsServiceWindowStart(c.argument), c.start) << std::string(c.argument.begin(), c.argument.end());
    }
    EXPECT_EQ(TrimBlanks(L" \t abc:fx\r\n"), L"abc:fx");
    EXPECT_EQ(TrimBlanks(L"\x3000"), L"");
}

}  // namespace
}  // namespace velmora
