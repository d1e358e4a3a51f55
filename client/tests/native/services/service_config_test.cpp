#include "core/services/ServiceConfig.h"

#include <gtest/gtest.h>

#include "core/services/ServiceForm.h"

namespace velmora {
namespace {

std::string Narrow(std::wstring_view text) {
    return std::string(text.begin(), text.end());  // for the failure message only
}

TEST(ServiceKind, OnlyExactTextsChooseAndEverythingElseIsGoogle) {
    const std::pair<std::wstring_view, ServiceKind> cases[] = {
        {L"page", ServiceKind::Page},
        {L"deepl", ServiceKind::DeepL},
        {L"libretranslate", ServiceKind::LibreTranslate},
        {L"openai", ServiceKind::Chat},
        {L"google", ServiceKind::Google},
        {L"microsoft", ServiceKind::Microsoft},
        {L"azure", ServiceKind::Azure},
        {L"DeepL", ServiceKind::Google},
        {L"deepl ", ServiceKind::Google},
        {L"libre", ServiceKind::Google},
        {L"", ServiceKind::Google},
        {std::wstring_view(L"deepl\0x", 7), ServiceKind::Google},
    };
    for (const auto& [text, kind] : cases) {
        EXPECT_EQ(ServiceKindFromText(text), kind) << Narrow(text);
    }
    for (const ServiceRow& row : AllServices()) {
        EXPECT_EQ(ServiceKindFromText(ServiceKindText(row.kind)), row.kind);
    }
}

TEST(IsValidServiceUrl, TakesHttpAndHttpsWithAHostOnly) {
    // clang-format off
    const std::wstring_view valid[] = {L"http://localhost:5000", L"https://translate.example.org",
        L"HTTPS://Translate.Example.org/", L"http://127.0.0.1:5000/libre/", L"http://ollama_server:11434/v1",
        L"http://host/パス"};
    const std::wstring_view invalid[] = {L"", L"localhost:5000", L"ftp://localhost", L"file:///C:/x",
        L"javascript:alert(1)", L"http://", L"http:///path", L"http://:5000", L"http://host:", L"http://host:0",
        L"http://host:65536", L"http://host:50a", L"http://host:5000:6000", L"http://ho st", L"http://host/a b",
        L" http://host", L"http://host\t", L"http://host\r\nX: y", L"http://host/\x3000", L"http://user@host",
        L"http://host?q=1", L"http://host/#frag", L"http://host\\path", L"http://[::1", L"http://[::1]:5000",
        L"http://.host", L"http://ホスト", std::wstring_view(L"http://host\0evil", 16)};
    // clang-format on
    for (std::wstring_view url : valid) {
        EXPECT_TRUE(IsValidServiceUrl(url)) << Narrow(url);
    }
    for (std::wstring_view url : invalid) {
        EXPECT_FALSE(IsValidServiceUrl(url)) << Narrow(url);
    }
}

TEST(ServiceForm, EachKeyIsKeptReplacedOrRemovedAsTheFieldSays) {
    const struct {
        KeyField field;  // stored, typed, removing
        KeyAction action;
        bool hasKey;
    } cases[] = {
        {{false, false, false}, KeyAction::Keep, false},  {{true, false, false}, KeyAction::Keep, true},
        {{true, false, true}, KeyAction::Remove, false},  {{true, true, false}, KeyAction::Replace, true},
        {{true, true, true}, KeyAction::Replace, true},  // typed after the removal
        {{false, true, false}, KeyAction::Replace, true}, {{false, false, true}, KeyAction::Keep, false},
    };
    for (const auto& c : cases) {
        const std::string what =
            std::to_string(c.field.stored) + std::to_string(c.field.typed) + std::to_string(c.field.removing);
        EXPECT_EQ(ChooseKeyAction(c.field), c.action) << what;
        EXPECT_EQ(HasKeyAfterSave(c.field), c.hasKey) << what;
    }
}

TEST(ServiceForm, RefusesABadUrlWhateverIsChosenAndWhatTheChoiceLacks) {
    constexpr std::wstring_view ollama = L"http://localhost:11434/v1";
    const struct {
        ServiceSettings input;  // kind, LibreTranslate URL, chat URL, model
        bool deepLKey;
        Field problem;
        ServiceKind of = ServiceKind::Page;
    } cases[] = {
        {{ServiceKind::Page, L"", std::wstring(ollama), L""}, false, Field::None},
        {{ServiceKind::Page, L"ftp://host", std::wstring(ollama), L""}, true, Field::Url, ServiceKind::LibreTranslate},
        {{ServiceKind::DeepL, L"", std::wstring(ollama), L""}, true, Field::None},
        {{ServiceKind::DeepL, L"", std::wstring(ollama), L""}, false, Field::Key, ServiceKind::DeepL},
        {{ServiceKind::DeepL, L"http://localhost:5000", std::wstring(ollama), L""}, false, Field::Key, ServiceKind::DeepL},
        {{ServiceKind::DeepL, L"localhost:5000", std::wstring(ollama), L""}, true, Field::Url, ServiceKind::LibreTranslate},
        {{ServiceKind::LibreTranslate, L"http://localhost:5000", std::wstring(ollama), L""}, false, Field::None},
        {{ServiceKind::LibreTranslate, L"", std::wstring(ollama), L""}, true, Field::Url, ServiceKind::LibreTranslate},
        {{ServiceKind::LibreTranslate, L"http://", std::wstring(ollama), L""}, true, Field::Url, ServiceKind::LibreTranslate},
        {{ServiceKind::Chat, L"", std::wstring(ollama), L"qwen3:8b"}, false, Field::None},
        {{ServiceKind::Chat, L"", std::wstring(ollama), L""}, false, Field::Model, ServiceKind::Chat},
        {{ServiceKind::Chat, L"", std::wstring(L"http://[::1]:11434/v1"), L"qwen3:8b"}, false, Field::Url, ServiceKind::Chat},
        {{ServiceKind::Page, L"", std::wstring(L""), L""}, false, Field::None},
        {{ServiceKind::Chat, L"", std::wstring(L""), L"qwen3:8b"}, false, Field::Url, ServiceKind::Chat},
    };
    for (const auto& c : cases) {
        const auto problem = CheckServiceForm({c.input, [&](ServiceKind kind) { return c.deepLKey && kind == ServiceKind::DeepL; }});
        EXPECT_EQ(problem ? problem->field : Field::None, c.problem)
            << static_cast<int>(c.input.kind) << Narrow(c.input.libreTranslateUrl) << Narrow(c.input.chatUrl);
        EXPECT_EQ(problem ? problem->service : ServiceKind::Page, c.of);
    }
}

// A key goes only to the server it was saved for, and across the network only with TLS; a test's leftover host
// variable is taken only when it names this computer.
TEST(ServiceForm, AKeyGoesOnlyWhereItWasSavedForAndOnlyOverTlsOffThisComputer) {
    const struct {
        std::wstring_view url, savedFor;
        bool allowed;
    } cases[] = {
        {L"https://lt.example.org/", L"", true},
        {L"http://localhost:5000", L"", true},
        {L"http://127.0.0.1:5000", L"", true},
        {L"http://lt.example.org", L"", false},
        {L"http://192.168.1.5:5000", L"", false},
        {L"HTTPS://LT.Example.org:443/api", L"https://lt.example.org:443", true},
        {L"https://lt.example.org:0443", L"https://lt.example.org:443", true},
        {L"https://lt.example.org:8443", L"https://lt.example.org:443", false},
        {L"https://evil.example.org", L"https://lt.example.org:443", false},
        {L"http://localhost:5000", L"https://localhost:5000", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(!KeyDestinationProblem(c.url, c.savedFor), c.allowed) << Narrow(c.url) << Narrow(c.savedFor);
    }
    const std::pair<std::u16string_view, bool> hosts[] = {
        {u"127.0.0.1:8443", true},     {u"localhost", true},    {u"api.deepl.com", false},
        {u"127.0.0.1.evil.io", false}, {u"127.0.0.1/x", false}, {u"", false},
    };
    for (const auto& [host, taken] : hosts) {
        EXPECT_EQ(LoopbackHostOnly(std::u16string(host)).has_value(), taken) << host.size();
    }
}

TEST(ServiceForm, TheWindowStartsAloneOnlyForTheExactSwitch) {
    EXPECT_TRUE(IsServiceWindowStart(L"/settings"));
    EXPECT_TRUE(IsServiceWindowStart(L"/settings  "));
    for (std::wstring_view argument :
         {L"/Settings", L"/settingsX", L"/settings x", L" /settings", L"EJhnA/settings", L"/selection EJhnA", L""}) {
        EXPECT_FALSE(IsServiceWindowStart(argument)) << Narrow(argument);
    }
    EXPECT_EQ(TrimBlanks(L" \t abc:fx\r\n"), L"abc:fx");
    EXPECT_EQ(TrimBlanks(L"\x3000"), L"");
    EXPECT_EQ(TrimBlanks(L"\xFEFF\x00A0sk-abc\x200B"), L"sk-abc");
    EXPECT_TRUE(IsUsableKey(L"sk-proj_AB12:fx/+="));
    for (std::wstring_view key : {L"sk abc", L"sk\tabc", L"sk-\x00E9", L"sk-\x3000x", L"sk\x7F"}) {
        EXPECT_FALSE(IsUsableKey(key)) << Narrow(key);
    }
}

TEST(IsLoopbackHost, OnlyThisComputerItself) {
    const std::pair<std::wstring_view, bool> cases[] = {
        {L"http://localhost:11434/v1", true}, {L"http://LOCALHOST", true},          {L"http://127.0.0.1:9/v1", true},
        {L"https://127.1.2.3", true},         {L"http://127.0.0.1.nip.io", false},  {L"http://127.0.0", false},
        {L"http://127.0.0.1234", false},      {L"http://localhost.example", false}, {L"http://10.0.0.1", false},
        {L"http://128.0.0.1", false},         {L"http://127.0.0.999", false},       {L"http://127.0.0.256", false},
        {L"http://127.0.0.08", false},        {L"http://127.00.0.1", false},        {L"http://0127.0.0.1", false},
        {L"http://127.255.255.255", true},    {L"http://127.0.10.0", true},
    };
    for (const auto& [url, loopback] : cases) {
        EXPECT_EQ(IsLoopbackHost(UrlHost(url)), loopback) << Narrow(url);
    }
}

}  // namespace
}  // namespace velmora
