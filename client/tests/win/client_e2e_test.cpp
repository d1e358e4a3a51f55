// The real velmora.exe, started with exact command lines, against the stand-in service.
#include <windows.h>
#include <wincred.h>

#include <gtest/gtest.h>

#include "UiDriver.h"
#include "common/Text.h"
#include "core/services/ServiceMessages.h"
#include "standin/Standin.h"
#include "win/Automation.h"

namespace {

using automation::Launch;
using automation::Process;

std::wstring Client() {
    return L"\"" + automation::WindowsPath(VELMORA_CLIENT_EXE) + L"\"";
}

Process Start(const std::wstring& argumentText, const standin::Server* server = nullptr) {
    automation::EnvironmentOverrides env;
    if (server) {
        env = {{L"VELMORA_EXCITE_HOST", server->HostW()},
               {L"VELMORA_INFOSEEK_HOST", server->HostW()},
               {L"VELMORA_DEEPL_HOST", server->TlsHostW()},
               {L"VELMORA_GOOGLE_HOST", server->TlsHostW()},
               {L"VELMORA_MICROSOFT_HOST", server->TlsHostW()},
               {L"VELMORA_AZURE_HOST", server->TlsHostW()}};
    }
    auto process = Launch(argumentText.empty() ? Client() : Client() + L" " + argumentText, env);
    EXPECT_TRUE(process.has_value());
    return process ? std::move(*process) : Process();
}

// Answers the one message box the client shows and checks its icon and that the client then ends.
automation::MessageBoxInfo AnswerBox(const Process& client, DWORD expectedExit, const wchar_t* icon) {
    auto box = automation::WaitForMessageBox(client.Pid(), 20000);
    EXPECT_TRUE(box.has_value());
    if (!box) {
        return {};
    }
    EXPECT_EQ(box->buttons, std::vector<std::wstring>{L"OK"});
    EXPECT_TRUE(automation::ShowsIcon(box->iconControl, LoadIconW(nullptr, icon)));
    const wchar_t* other = icon == IDI_HAND ? IDI_EXCLAMATION : IDI_HAND;
    EXPECT_FALSE(automation::ShowsIcon(box->iconControl, LoadIconW(nullptr, other)));
    automation::PressButton(box->hwnd, IDOK);
    DWORD code = 0;
    EXPECT_TRUE(client.WaitExit(10000, &code));
    EXPECT_EQ(code, expectedExit);
    return *box;
}

std::wstring PopupText(const Process& client) {
    HWND popup = automation::WaitForWindow(client.Pid(), L"VelmoraForm2", L"Form2", 20000);
    if (!popup) {
        return L"(no popup)";
    }
    for (HWND child : automation::Children(popup)) {
        if (automation::ClassName(child) == L"Edit") {
            return automation::WindowText(child);
        }
    }
    return L"(no text box)";
}

TEST(ClientStartUp, WarnsAboutAMissingArgumentAndEnds) {
    Process client = Start(L"");
    const auto box = AnswerBox(client, 0, IDI_HAND);
    EXPECT_EQ(box.title, L"警告");
    EXPECT_EQ(box.text, L"引数が指定されてません、きちんとインストールしてください。");
}

TEST(ClientStartUp, AsksForASelectionWhenAnExciteCodeComesAlone) {
    for (const wchar_t* code : {L"EJhnA", L"JEhnA"}) {
        Process client = Start(code);
        const auto box = AnswerBox(client, 0, IDI_EXCLAMATION);
        EXPECT_EQ(box.title, L"注意") << code;
        EXPECT_EQ(box.text, L"範囲を選択してください") << code;
    }
}

TEST(ClientStartUp, EndsAtOnceWithoutAWindowForAnUnknownCode) {
    Process client = Start(L"ejhna x");
    bool sawWindow = false;
    const bool ended = automation::WaitUntil(
        [&] {
            sawWindow = sawWindow || !automation::TopLevelWindows(client.Pid(), true).empty();
            return !client.Running();
        },
        10000);
    EXPECT_TRUE(ended);
    EXPECT_FALSE(sawWindow);
}

TEST(ExciteRequest, SendsTheTextAndShowsTheTranslation) {
    standin::Server server;
    ASSERT_TRUE(server.Start());
    Process client = Start(L"EJhnA Hello world", &server);
    EXPECT_EQ(PopupText(client), L"こんにちは、世界");
    ASSERT_EQ(server.RequestLines().size(), 1u);
    EXPECT_EQ(server.RequestLines()[0], "GET /world/text/?wb_lp=ENJA&before=%20Hello%20world HTTP/1.1");
}

TEST(ExciteRequest, KeepsQueryDelimitersInsideTheText) {
    standin::Server server;
    ASSERT_TRUE(server.Start());
    Process client = Start(L"EJhnATom & Jerry #1 + 100%0D", &server);
    // The popup shows the page's "&amp;" as "&", and the line break as CR LF.
    EXPECT_EQ(PopupText(client), L"【訳】Tom & Jerry #1 + 100\r\n");
    ASSERT_EQ(server.RequestLines().size(), 1u);
    EXPECT_EQ(server.RequestLines()[0],
              "GET /world/text/?wb_lp=ENJA&before=Tom%20%26%20Jerry%20%231%20%2B%20100%0D HTTP/1.1");
}

TEST(ExciteRequest, DecodesShiftJisPagesAndJapaneseText) {
    standin::Server server;
    ASSERT_TRUE(server.Start());
    for (auto charset : {standin::Charset::ShiftJisHeader, standin::Charset::ShiftJisMetaOnly,
                         standin::Charset::ShiftJisUndeclared}) {
        server.SetCharset(charset);
        Process client = Start(L"JEhnAありがとう", &server);
        EXPECT_EQ(PopupText(client), L"Thank you") << static_cast<int>(charset);
    }
    EXPECT_EQ(server.RequestLines().back(),
              "GET /world/text/?wb_lp=JAEN&before=%E3%81%82%E3%82%8A%E3%81%8C%E3%81%A8%E3%81%86 HTTP/1.1");
}

TEST(ExciteRequest, ReportsEveryQuickFailureInOneStopBox) {
    const std::pair<standin::Fault, const wchar_t*> faults[] = {
        {standin::Fault::Refused, L"接続できませんでした"},
        {standin::Fault::Http500, L"HTTP 500"},
        {standin::Fault::NoMarkers, L"取り出せませんでした"},
        {standin::Fault::OneEndTag, L"取り出せませんでした"},
    };
    for (const auto& [fault, words] : faults) {
        standin::Server server;
        ASSERT_TRUE(server.Start(fault));
        Process client = Start(L"EJhnAHello world", &server);
        const auto box = AnswerBox(client, 1, IDI_HAND);
        EXPECT_EQ(box.title, L"Velmora");
        EXPECT_NE(box.text.find(words), std::wstring::npos) << box.text.size();
        EXPECT_TRUE(box.text.ends_with(L"\n\n" + common::ToWide(velmora::PageMayHaveEndedText())));
        EXPECT_TRUE(automation::TopLevelWindows(client.Pid(), true).empty());
    }
}

// With a service chosen, the code gives the pair and the command line's text goes to the service as JSON (the
// browser menu's line-break marks as line breaks); the popup shows the answer.
TEST(ServiceRequest, TheCommandLineTextGoesToTheChosenServiceAndItsAnswerShows) {
    const uidriver::SavedServiceSettings saved;
    standin::Server server;
    ASSERT_TRUE(server.StartTls());
    struct Case {
        const wchar_t* service;
        std::wstring url;
        const wchar_t* argument;
        std::string body;
        const wchar_t* shown;
        std::string path = "";  // the request's target, when the body does not say it all
    };
    const Case cases[] = {
        {L"deepl", L"", L"JEhnAこんにちは", R"({"text":["こんにちは"],"source_lang":"JA","target_lang":"EN-US"})",
         L"Hello"},
        // Google's answer comes in two segments, joined.
        {L"google", L"", L"EJhnAHello world", "", L"こんにちは、世界",
         "/translate_a/single?client=gtx&sl=en&tl=ja&dt=t&q=Hello+world"},
        // No value stored: a new user's client goes to Google, with no account.
        {L"", L"", L"JEhnAこんにちは", "", L"Hello", "/translate_a/single?client=gtx&sl=ja&tl=en&dt=t&q=%E3%81%93%E3%82%93%E3%81%AB%E3%81%A1%E3%81%AF"},
        {L"microsoft", L"", L"JEhnAこんにちは", R"(["こんにちは"])", L"Hello",
         "/translate/translatetext?from=ja&to=en&isEnterpriseClient=false"},
        {L"azure", L"", L"KJIFA안녕하세요", R"([{"Text":"안녕하세요"}])", L"こんにちは",
         "/translate?api-version=3.0&from=ko&to=ja"},
        {L"libretranslate", L"http://" + server.HostW(), L"KJIFA안녕하세요",
         R"({"q":"안녕하세요","source":"ko","target":"ja","format":"text","api_key":"the-key"})", L"こんにちは"},
        {L"libretranslate", L"https://" + server.TlsHostW() + L"/", L"JKIFAa & b\r%0Dc",
         R"({"q":"a & b\r\nc","source":"ja","target":"ko","format":"text","api_key":"the-key"})",
         L"【訳】a & b\r\nc"},
        {L"openai", L"https://" + server.TlsHostW() + L"/v1/", L"JEhnAこんにちは",
         R"({"model":"test-model","messages":[{"role":"system","content":"Translate the user's text from Japanese to )"
         R"(English. Answer with the translation only: no notes, no explanations, no quotes."},{"role":"user",)"
         R"("content":"こんにちは"}],"temperature":0,"stream":true})",
         L"Hello"},
    };
    server.SetExpectedKey("the-key");
    const std::wstring region = L"japaneast";
    uidriver::SetRegistryValue(L"AzureRegion", REG_SZ, region.c_str(),
                               static_cast<DWORD>((region.size() + 1) * sizeof(wchar_t)));
    for (const auto& c : cases) {
        if (*c.service) {
            uidriver::ChooseService(c.service, c.url, L"the-key");
        } else {
            RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Velmora", L"Service");
        }
        Process client = Start(c.argument, &server);
        EXPECT_EQ(PopupText(client), c.shown) << c.argument;
        const auto received = server.ApiRequests();
        ASSERT_FALSE(received.empty());
        EXPECT_EQ(received.back().body, c.body);
        EXPECT_EQ(received.back().problem, "");
        if (!c.path.empty()) {
            EXPECT_EQ(received.back().path, c.path);
            // Only Azure takes the key and the region; the others get neither.
            const bool azure = std::wstring(c.service) == L"azure";
            EXPECT_EQ(received.back().subscriptionKey, azure ? "the-key" : "");
            EXPECT_EQ(received.back().region, azure ? "japaneast" : "");
        }
    }
    CredDeleteW(L"Velmora/Azure", CRED_TYPE_GENERIC, 0);
}

// Every failure of a service request ends in one stop box with its sentence (and what the service said), without
// the pages' sentence and with nothing else of the client on screen; a certificate the system does not trust, a
// missing key or URL end there before any request.
TEST(ServiceRequest, EachFailureEndsInItsBoxAlone) {
    using standin::Fault;
    const uidriver::SavedServiceSettings saved;
    standin::Server server;
    standin::Server untrusted;
    ASSERT_TRUE(server.StartTls() && untrusted.StartTls(Fault::None, false));
    server.SetExpectedKey("k");
    struct Case {
        const wchar_t* service;
        Fault fault;
        const standin::Server* at;
        std::wstring url;
        const wchar_t* key;
        const wchar_t* words;
        std::wstring text = L"Hello world";
    };
    const std::wstring https = L"https://" + server.TlsHostW();
    // A text just at LibreTranslate's limit, which a long key pushes over it.
    const std::wstring atLimit(15821, L'a'), longKey(600, L'k');
    constexpr const wchar_t* kRefusedFirst = L"API キーは、暗号化されない http:// では";
    const Case cases[] = {
        {L"deepl", Fault::KeyRefused, &server, L"", L"k", L"キーを受け付けませんでした（HTTP 403）。"},
        {L"deepl", Fault::TooManyRequests, &server, L"", L"k", L"（HTTP 429）。しばらく待ってから"},
        {L"deepl", Fault::QuotaExceeded, &server, L"", L"k", L"上限に達しました（HTTP 456）"},
        {L"deepl", Fault::Http500, &server, L"", L"k", L"今は利用できません（HTTP 503）"},
        {L"deepl", Fault::NotJson, &server, L"", L"k", L"応答を読み取れませんでした。"},
        {L"deepl", Fault::MissingField, &server, L"", L"k", L"応答を読み取れませんでした。"},
        {L"deepl", Fault::Redirect, &server, L"", L"k", L"転送しようとしました（HTTP 302）"},
        // The stand-in refuses this key with a 400 that repeats the Authorization header it was sent.
        {L"deepl", Fault::None, &server, L"", L"secret-key-4711:fx", L"エラーを返しました（HTTP 400）。"},
        {L"libretranslate", Fault::TooManyRequests, &server, https, L"k", L"（HTTP 429）。しばらく待ってから"},
        {L"libretranslate", Fault::KeyRefused, &server, https, L"k", L"LibreTranslate がキーを受け付けませんでした"},
        {L"libretranslate", Fault::None, &server, https, longKey.c_str(), L"長すぎて、翻訳サービスに一度に送れません", atLimit},
        {L"deepl", Fault::None, &untrusted, L"", L"k", L"証明書を確かめられなかったため"},
        {L"libretranslate", Fault::None, &untrusted, L"https://" + untrusted.TlsHostW(), nullptr,
         L"証明書を確かめられなかったため"},
        {L"deepl", Fault::None, &server, L"", nullptr, L"DeepL API のキーが登録されていません。"},
        {L"google", Fault::TooManyRequests, &server, L"", L"k", L"今は翻訳を断られています（HTTP 429）"},
        {L"google", Fault::NotJson, &server, L"", L"k", L"応答を読み取れませんでした。"},
        {L"microsoft", Fault::TooManyRequests, &server, L"", L"k", L"別の翻訳サービスを選んでください。\nThe server"},
        {L"microsoft", Fault::Http500, &server, L"", L"k", L"今は利用できません（HTTP 503）"},
        {L"azure", Fault::KeyRefused, &server, L"", L"k", L"Azure Translator がキーを受け付けませんでした（HTTP 401）"},
        {L"azure", Fault::MissingField, &server, L"", L"k", L"応答を読み取れませんでした。"},
        {L"azure", Fault::None, &server, L"", nullptr, L"Azure Translator の API キーが登録されていません。"},
        {L"libretranslate", Fault::None, &server, L"", nullptr, L"URL が設定されていません。"},
        // A key never crosses the network without TLS; nothing is sent (nothing listens there either).
        {L"libretranslate", Fault::None, &server, L"http://lt.example.org", L"k", kRefusedFirst},
        {L"openai", Fault::None, &server, L"http://10.0.0.1:11434/v1", L"k", kRefusedFirst},
        {L"openai", Fault::KeyRefused, &server, https, L"k", L"キーを受け付けませんでした（HTTP 401）。"},
        {L"openai", Fault::None, &server, https, L"secret-key-4711", L"エラーを返しました（HTTP 400）。"},
        {L"openai", Fault::ModelMissing, &server, https, L"k", L"見つかりませんでした（HTTP 404）。"},
        {L"openai", Fault::ModelMissing, &server, https, L"k", L"\nmodel \"test-model\" not found, try pulling it"},
        {L"openai", Fault::TooManyRequests, &server, https, L"k", L"（HTTP 429）。しばらく待ってから"},
        {L"openai", Fault::Http500, &server, https, L"k", L"今は利用できません（HTTP 503）"},
        {L"openai", Fault::NotJson, &server, https, L"k", L"応答を読み取れませんでした。"},
        {L"openai", Fault::MissingField, &server, https, L"k", L"空の翻訳を返しました。"},
        {L"openai", Fault::StreamError, &server, https, L"k", L"途中でエラーを返しました。\nstand-in ran out of memory  at"},
        // Nothing listens on port 9 of this computer.
        {L"openai", Fault::None, &server, L"http://127.0.0.1:9/v1", nullptr,
         L"（Ollama など）が起動していないようです（http://127.0.0.1:9/v1 に接続できませんでした）"},
    };
    for (const auto& c : cases) {
        for (const wchar_t* target : {L"Velmora/DeepL", L"Velmora/LibreTranslate", L"Velmora/OpenAI", L"Velmora/Azure"}) {
            CredDeleteW(target, CRED_TYPE_GENERIC, 0);
        }
        uidriver::ChooseService(c.service, c.url, c.key);
        server.SetFault(c.fault);
        const size_t before = server.ApiRequests().size();
        Process client = Start(L"EJhnA" + c.text, c.at);
        ASSERT_TRUE(automation::WaitForMessageBox(client.Pid(), 20000)) << common::ToUtf8(c.words);
        EXPECT_EQ(automation::TopLevelWindows(client.Pid(), true).size(), 1u) << "the box alone";
        const auto box = AnswerBox(client, 1, IDI_HAND);
        EXPECT_EQ(box.title, L"Velmora");
        EXPECT_NE(box.text.find(c.words), std::wstring::npos) << common::ToUtf8(box.text);
        EXPECT_EQ(box.text.find(L"Excite"), std::wstring::npos);
        // The services without an account, and Azure, name themselves and where another is chosen.
        const std::wstring service = c.service;
        if (service == L"google" || service == L"microsoft" || service == L"azure") {
            EXPECT_TRUE(box.text.ends_with(L"\n\n使った翻訳サービス: " +
                                           std::wstring(service == L"google"      ? L"Google 翻訳"
                                                        : service == L"microsoft" ? L"Microsoft 翻訳"
                                                                                  : L"Azure Translator") +
                                           L"。別の翻訳サービスは、スタートメニューの「Velmora\\翻訳サービスの設定」で選べます。"))
                << common::ToUtf8(box.text);
        }
        EXPECT_EQ(box.text.find(L"secret-key"), std::wstring::npos) << "a key never reaches a box";
        const bool sent = c.key && c.at == &server && c.key != longKey && c.words != kRefusedFirst;
        EXPECT_EQ(server.ApiRequests().size(), before + (sent ? 1 : 0));
    }
    EXPECT_TRUE(untrusted.ApiRequests().empty());
    CredDeleteW(L"Velmora/Azure", CRED_TYPE_GENERIC, 0);
}

// A model's answer in any of its shapes ends in the popup with the translation alone: streamed (with a thinking
// block and reasoning the user never sees), or as one JSON answer; with no key stored, no Authorization is sent.
TEST(ServiceRequest, AModelsAnswerShowsWithoutItsThinking) {
    using standin::Fault;
    const uidriver::SavedServiceSettings saved;
    standin::Server server;
    ASSERT_TRUE(server.StartTls());
    server.SetExpectedKey("");
    uidriver::ChooseService(L"openai", L"http://" + server.HostW() + L"/v1");
    for (Fault fault : {Fault::None, Fault::Thinking, Fault::WholeJson}) {
        server.SetFault(fault);
        server.SetTranslation("\n\n翻訳は、ここに\n二行で。\n");
        Process client = Start(L"EJhnAHello", &server);
        EXPECT_EQ(PopupText(client), L"翻訳は、ここに\r\n二行で。") << static_cast<int>(fault);
        ASSERT_FALSE(server.ApiRequests().empty());
        EXPECT_EQ(server.ApiRequests().back().problem, "");
    }
}

TEST(InfoseekRequest, EachCodeSendsItsUrlAndShowsTheTranslation) {
    standin::Server server;
    ASSERT_TRUE(server.Start());
    const std::string q = "&lang=JA&toolbar=yes&c_id=velmora&translate= HTTP/1.1";
    struct Case {
        const wchar_t* argument;
        std::string requestLine;
        const wchar_t* shown;
    };
    const Case cases[] = {
        {L"EJIFAGood morning", "GET /amitext/indexUTF8.jsp?langpair=1,2&sourceText=Good%20morning" + q,
         L"おはようございます"},
        {L"JEIFAあ", "GET /amitext/indexUTF8.jsp?langpair=2,1&sourceText=%E3%81%82" + q, L"【訳】あ"},
        {L"KJIFA안녕 & <b>", "GET /amitext/indexUTF8.jsp?langpair=9,2&sourceText=%EC%95%88%EB%85%95%20%26%20<b>" + q,
         L"【訳】안녕 & <b>"},
        {L"JKIFAこんにちは", "GET /amitext/indexUTF8.jsp?langpair=2,9&sourceText=" +
                                   std::string("%E3%81%93%E3%82%93%E3%81%AB%E3%81%A1%E3%81%AF") + q,
         L"Hello"},
        {L"EJIFA", "GET /amitext/indexUTF8.jsp?langpair=1,2&sourceText=" + q, L"【訳】"},
    };
    for (const auto& c : cases) {
        Process client = Start(c.argument, &server);
        EXPECT_EQ(PopupText(client), c.shown) << c.requestLine;
        ASSERT_FALSE(server.RequestLines().empty());
        EXPECT_EQ(server.RequestLines().back(), c.requestLine);
    }
}

TEST(InfoseekRequest, ShowsTheResultAsTheReaderOfThePageSawIt) {
    // The page's text area shows "&lt;br&gt;" and "</textarea>" to a reader; the popup shows the same.
    standin::Server server;
    ASSERT_TRUE(server.Start());
    Process client = Start(L"EJIFA&lt;br&gt; AT&amp;T </textarea> end", &server);
    EXPECT_EQ(PopupText(client), L"【訳】&lt;br&gt; AT&amp;T </textarea> end");
}

TEST(InfoseekRequest, ReportsAPageWithoutTheResult) {
    for (auto fault : {standin::Fault::NoMarkers, standin::Fault::OneEndTag, standin::Fault::Http500}) {
        standin::Server server;
        ASSERT_TRUE(server.Start(fault));
        Process client = Start(L"EJIFAHello", &server);
        const auto box = AnswerBox(client, 1, IDI_HAND);
        EXPECT_EQ(box.title, L"Velmora");
        EXPECT_FALSE(box.text.empty());
    }
}

// Another program posts the completion messages with made-up values (a result pointer used to be taken from them),
// then closes the hidden window while the service has not answered.
TEST(ClientWindows, IgnoresForgedCompletionsAndAClosedHiddenWindowEndsTheRequestWithTheReport) {
    standin::Server server;
    ASSERT_TRUE(server.Start(standin::Fault::Hang));
    for (const wchar_t* argument : {L"EJhnAHello", L"EJIFAHello"}) {
        Process client = Start(argument, &server);
        HWND worker = automation::WaitForAnyWindow(client.Pid(), L"VelmoraForm1", 10000);
        ASSERT_TRUE(worker);
        for (UINT message : {WM_APP + 1, WM_APP + 2}) {
            for (LPARAM value : {LPARAM{0}, LPARAM{0x12345678}, LPARAM{-1}}) {
                PostMessageW(worker, message, 0, value);
            }
        }
        Sleep(1000);
        EXPECT_TRUE(client.Running()) << argument;
        EXPECT_FALSE(automation::WaitForMessageBox(client.Pid(), 0)) << argument;
        EXPECT_FALSE(automation::WaitForWindow(client.Pid(), L"VelmoraForm2", nullptr, 0)) << argument;
        automation::WaitUntil([&] { return !server.RequestLines().empty(); }, 10000);
        PostMessageW(worker, WM_CLOSE, 0, 0);
        const auto box = AnswerBox(client, 1, IDI_HAND);
        EXPECT_EQ(box.title, L"Velmora");
        EXPECT_NE(box.text.find(L"閉じられました"), std::wstring::npos);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
