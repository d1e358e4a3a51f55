#include "core/ServiceConfig.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace velmora
