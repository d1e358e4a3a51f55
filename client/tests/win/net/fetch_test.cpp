// The request's failure paths, in-process with a short limit through the same code the program runs with 60 s.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <tuple>
#include <vector>

#include "common/Text.h"
#include "core/Messages.h"
#include "core/pages/Request.h"
#include "standin/Standin.h"
#include "win/Automation.h"
#include "win/Form1.h"
#include "win/WindowMessages.h"
#include "win/bubble/Form2.h"
#include "win/bubble/PendingBubble.h"
#include "win/services/ServiceTranslate.h"

namespace {

constexpr DWORD kLimitMs = 3000;

struct Outcome {
    std::wstring failure;
    // Every report of the request, also those that come after the run has returned.
    std::shared_ptr<std::vector<std::wstring>> reports = std::make_shared<std::vector<std::wstring>>();
    std::wstring text3;
    bool popup = false;
    ULONGLONG elapsedMs = 0;
};

using automation::PumpUntil;

void Pump(DWORD milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}

// Both services at the stand-in; the reports go to the outcome.
velmora::ClientOptions Options(const standin::Server& server, const Outcome& outcome, DWORD limitMs = kLimitMs) {
    velmora::ClientOptions options;
    options.requestLimitMs = limitMs;
    const std::wstring host = server.HostW();
    const std::u16string host16(host.begin(), host.end());
    options.hosts = velmora::HostsWithOverrides(host16, host16);
    options.reportFailure = [reports = outcome.reports](const std::wstring& text) { reports->push_back(text); };
    options.endProgram = [](UINT) {};
    return options;
}

// Starts a request and runs the message loop until it has ended one way or the other: both paths answer in the
// background. `started`, when given, runs right after the start; `keep`, when given, receives the client.
Outcome Request(standin::Server& server, const std::wstring& argument = L"EJhnAHello world",
                std::unique_ptr<velmora::Form1>* keep = nullptr,
                const std::function<void(velmora::Form1&)>& started = nullptr, DWORD limitMs = kLimitMs) {
    Outcome outcome;
    auto form1 = std::make_unique<velmora::Form1>(Options(server, outcome, limitMs));
    EXPECT_TRUE(form1->Create());
    const ULONGLONG start = GetTickCount64();
    form1->Form_Load(argument);
    // The infoseek codes go through the browser's request, the Excite ones do not.
    EXPECT_EQ(form1->BrowserRequestNumber() != 0, argument.substr(2, 2) == L"IF") << argument;
    if (started) {
        started(*form1);
    }
    PumpUntil([&] { return !outcome.reports->empty() || form1->Popup(); }, limitMs + 5000);
    outcome.elapsedMs = GetTickCount64() - start;
    outcome.failure = outcome.reports->empty() ? L"" : outcome.reports->front();
    outcome.text3 = form1->Text3;
    outcome.popup = form1->Popup() != nullptr;
    if (keep) {
        *keep = std::move(form1);
    }
    return outcome;
}

// A window procedure that refuses to create the window.
LRESULT CALLBACK RefuseCreation(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return msg == WM_NCCREATE ? FALSE : DefWindowProcW(hwnd, msg, wp, lp);
}

TEST(RequestOutcome, APopupThatCannotBeCreatedEndsTheRequestWithTheReport) {
    // The popup's window class, registered first by the test, makes its creation fail. This runs before any other
    // test of this program has made a popup, which registers the real class.
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = RefuseCreation;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VelmoraForm2";
    ASSERT_TRUE(RegisterClassExW(&wc));
    standin::Server server;
    ASSERT_TRUE(server.Start());
    const Outcome outcome = Request(server);
    UnregisterClassW(L"VelmoraForm2", GetModuleHandleW(nullptr));
    EXPECT_NE(outcome.failure.find(L"窓を開けませんでした"), std::wstring::npos);
}

TEST(ExciteFailures, EachEndsInTheReportWithinTheLimit) {
    struct Case {
        standin::Fault fault;
        const wchar_t* words;
    };
    const Case cases[] = {
        {standin::Fault::Hang, L"秒以内に応答しませんでした"},
        {standin::Fault::Drip, L"秒以内に応答しませんでした"},
        {standin::Fault::Reset, L"最後まで受け取れませんでした"},
        {standin::Fault::Truncated, L"最後まで受け取れませんでした"},
        {standin::Fault::Huge, L"大きすぎます"},
        {standin::Fault::RedirectLoop, L"転送が多すぎます"},
        {standin::Fault::Http500, L"HTTP 500"},
        {standin::Fault::Refused, L"接続できませんでした"},
    };
    for (const auto& c : cases) {
        standin::Server server;
        ASSERT_TRUE(server.Start(c.fault));
        const Outcome outcome = Request(server);
        EXPECT_NE(outcome.failure.find(c.words), std::wstring::npos) << static_cast<int>(c.fault);
        EXPECT_FALSE(outcome.popup) << static_cast<int>(c.fault);
        EXPECT_LT(outcome.elapsedMs, kLimitMs + 1500) << static_cast<int>(c.fault);
        server.Stop();
    }
}

TEST(ExciteRequestPaths, FollowsTenRedirectsAndNoMore) {
    standin::Server server;
    ASSERT_TRUE(server.Start(standin::Fault::RedirectLoop));
    const Outcome outcome = Request(server);
    EXPECT_NE(outcome.failure.find(L"転送が多すぎます"), std::wstring::npos);
    EXPECT_EQ(server.RequestLines().size(), 1u + 10u);
}

TEST(ExciteRequestPaths, FollowsOneRedirectAndCutsTheResultAreaFirstPage) {
    standin::Server server;
    ASSERT_TRUE(server.Start(standin::Fault::Redirect));
    Outcome outcome = Request(server);
    EXPECT_LT(outcome.elapsedMs, 1000u);
    EXPECT_EQ(outcome.failure, L"");
    EXPECT_EQ(outcome.text3, L"こんにちは、世界");
    EXPECT_EQ(server.RequestLines().size(), 2u);

    server.SetFault(standin::Fault::ResultFirst);
    outcome = Request(server, L"EJhnAGood morning");
    EXPECT_EQ(outcome.text3, L"おはようございます");
}

TEST(InfoseekRequestPaths, FailsWithinTheLimitOrShowsTheResult) {
    const std::pair<standin::Fault, const wchar_t*> failures[] = {
        {standin::Fault::Hang, L"秒以内に応答しませんでした"},
        {standin::Fault::NoMarkers, L"取り出せませんでした"},
        {standin::Fault::Refused, L"接続できませんでした"},
    };
    for (const auto& [fault, words] : failures) {
        standin::Server server;
        ASSERT_TRUE(server.Start(fault));
        const Outcome outcome = Request(server, L"EJIFAHello world");
        EXPECT_NE(outcome.failure.find(words), std::wstring::npos) << static_cast<int>(fault);
        EXPECT_FALSE(outcome.popup);
        EXPECT_LT(outcome.elapsedMs, kLimitMs + 1500);
        server.Stop();
    }
    // The result area may come first: the end tag is looked for after the marker.
    standin::Server server;
    ASSERT_TRUE(server.Start(standin::Fault::ResultFirst));
    const Outcome first = Request(server, L"KJIFAHello world");
    EXPECT_EQ(first.failure, L"");
    EXPECT_EQ(first.text3, L"こんにちは、世界");
}

TEST(InfoseekRequestPaths, ALaterCompletionKeepsThePopupsFirstText) {
    standin::Server server;
    ASSERT_TRUE(server.Start());
    std::unique_ptr<velmora::Form1> form1;
    const Outcome outcome = Request(server, L"EJIFAGood morning", &form1);
    ASSERT_TRUE(outcome.popup);
    EXPECT_EQ(outcome.text3, L"おはようございます");
    wchar_t shown[256] = {};
    GetWindowTextW(form1->Popup()->Text1(), shown, 256);
    form1->Text3 = L"changed";
    form1->Label3_Click();  // runs the completion handler again on the loaded document
    EXPECT_EQ(form1->Text3, L"おはようございます");
    wchar_t after[256] = {};
    GetWindowTextW(form1->Popup()->Text1(), after, 256);
    EXPECT_STREQ(after, shown);
}

TEST(InfoseekRequestPaths, TheLimitCoversParsingThePage) {
    // The page arrives within the limit (after half a second), but parsing its 7 MiB takes longer than the rest
    // of it (about 0.2 s under Wine).
    standin::Server server;
    ASSERT_TRUE(server.Start(standin::Fault::BigPage));
    constexpr DWORD kShortLimitMs = 650;
    const Outcome outcome = Request(server, L"EJIFAHello world", nullptr, nullptr, kShortLimitMs);
    EXPECT_NE(outcome.failure.find(L"秒以内に応答しませんでした"), std::wstring::npos);
    EXPECT_FALSE(outcome.popup);
    EXPECT_LT(outcome.elapsedMs, kShortLimitMs + 1000);
}

TEST(RequestOutcome, TheFirstOfTimeOutAndResultWins) {
    // On both paths: the browser's (infoseek) and the background fetch's (Excite).
    for (const wchar_t* request : {L"EJIFAGood morning", L"EJhnAGood morning"}) {
        standin::Server server;
        ASSERT_TRUE(server.Start());
        std::unique_ptr<velmora::Form1> form1;
        // The time-out comes first (its timer message is posted before the page can be there): the result that
        // follows must not open a popup over the report.
        const Outcome outcome =
            Request(server, request, &form1, [](velmora::Form1& form) { PostMessageW(form.hwnd(), WM_TIMER, 1, 0); });
        EXPECT_NE(outcome.failure.find(L"秒以内に応答しませんでした"), std::wstring::npos) << request;
        Pump(1500);
        EXPECT_EQ(form1->Popup(), nullptr) << request;
        EXPECT_EQ(outcome.reports->size(), 1u) << request;
        EXPECT_EQ(server.RequestLines().size(), 1u) << request;
    }
}

TEST(RequestOutcome, MessagesFromOutsideCarryNoResult) {
    standin::Server server;
    ASSERT_TRUE(server.Start());
    std::unique_ptr<velmora::Form1> form1;
    // The completion message with made-up values arrives before the real one: it is ignored, and the page's
    // result still makes the popup.
    auto forge = [](velmora::Form1& form) {
        for (LPARAM value : {LPARAM{0}, LPARAM{1}, LPARAM{0x12345678}, LPARAM{-1}}) {
            PostMessageW(form.hwnd(), velmora::form1::kPageCompleteMessage, 0, value);
        }
    };
    const Outcome outcome = Request(server, L"EJIFAGood morning", &form1, forge);
    EXPECT_EQ(outcome.failure, L"");
    EXPECT_TRUE(outcome.popup);
    EXPECT_EQ(outcome.text3, L"おはようございます");
    // And after it, too.
    forge(*form1);
    Pump(300);
    EXPECT_TRUE(outcome.reports->empty());
}

// A selection start may spend a while reading the selection: the pending bubble's 400 ms and the request's limit
// count from the read.
TEST(PendingBubble, WaitsFourHundredMillisecondsFromTheSelectionRead) {
    standin::Server server;
    ASSERT_TRUE(server.Start());
    server.SetAnswerDelay(2000);
    ULONGLONG readAt = 0;
    Outcome outcome;
    velmora::ClientOptions options = Options(server, outcome, 2500);
    options.readSelection = [&readAt](HWND) {
        Sleep(700);
        readAt = GetTickCount64();
        return velmora::SelectionRead{u"Hello world"};
    };
    velmora::Form1 form1(std::move(options));
    ASSERT_TRUE(form1.Create());
    form1.Form_Load(L"/selection EJhnA");
    auto shown = [&] { return form1.Pending() && IsWindowVisible(form1.Pending()->hwnd()); };
    PumpUntil(shown, 3000);
    ASSERT_TRUE(shown());
    const ULONGLONG shownAt = GetTickCount64();
    EXPECT_GE(shownAt - readAt, 390u);  // the timer's own granularity
    EXPECT_LT(shownAt - readAt, 900u);
    PumpUntil([&] { return !outcome.reports->empty() || form1.Popup(); }, 4000);
    EXPECT_TRUE(outcome.reports->empty()) << outcome.reports->front();
    EXPECT_TRUE(form1.Popup());
}

// Watches the popup's controls: every font a control holds when it gets a new one, and when it goes, must still
// be a live font object.
int g_fontChecks = 0;
int g_deadFonts = 0;

LRESULT CALLBACK WatchFont(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    const auto previous = reinterpret_cast<WNDPROC>(GetPropW(hwnd, L"VelmoraTestProc"));
    if (msg == WM_SETFONT || msg == WM_DESTROY) {
        if (const auto font = reinterpret_cast<HGDIOBJ>(CallWindowProcW(previous, hwnd, WM_GETFONT, 0, 0))) {
            ++g_fontChecks;
            g_deadFonts += GetObjectType(font) != OBJ_FONT;
        }
    }
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        RemovePropW(hwnd, L"VelmoraTestProc");
    }
    return CallWindowProcW(previous, hwnd, msg, wp, lp);
}

TEST(PopupWindow, ADpiChangeLaysItOutAndPointsItAtThePointerAgain) {
    standin::Server server;
    ASSERT_TRUE(server.Start());
    std::unique_ptr<velmora::Form1> form1;
    ASSERT_TRUE(Request(server, L"EJhnAGood morning", &form1).popup);
    HWND popup = form1->Popup()->hwnd();
    RECT r{};
    GetWindowRect(popup, &r);
    const POINT pointer{r.left + 19, r.top + 87};  // where the tip pointed at 96 dpi
    for (HWND child = GetWindow(popup, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        SetPropW(child, L"VelmoraTestProc", reinterpret_cast<HANDLE>(GetWindowLongPtrW(child, GWLP_WNDPROC)));
        SetWindowLongPtrW(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchFont));
    }
    // As the system sends it when the bubble lands on a 150 % monitor, with its own suggestion (the old size
    // scaled around the old place): the tail's tip goes back to the pointer at the new scale.
    for (const auto& [dpi, tipX, tipY, cx, cy] : {std::array{144, 28, 130, 452, 141}, {96, 19, 87, 301, 94}}) {
        r = {10, 20, 10 + 452, 20 + 141};
        SendMessageW(popup, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&r));
        GetWindowRect(popup, &r);
        EXPECT_EQ(std::tuple(r.left, r.top, r.right - r.left, r.bottom - r.top),
                  std::tuple(pointer.x - tipX, pointer.y - tipY, cx, cy))
            << dpi;
    }
    form1.reset();
    // Two font changes for three controls, and the end of the labels (the text box's own procedure is put back
    // before it goes, which takes this watch off too).
    EXPECT_GE(g_fontChecks, 8);
    EXPECT_EQ(g_deadFonts, 0);

    // A bubble grown for a long answer is measured again with the new font: every line still shows, and it grows
    // from the tail's tip at the pointer.
    std::string paragraph;
    for (int i = 0; i < 16; ++i) {
        paragraph += "今日はとても良い天気なので、公園まで散歩しました。";
    }
    server.SetTranslation(paragraph);
    ASSERT_TRUE(Request(server, L"EJhnAGood morning", &form1).popup);
    popup = form1->Popup()->hwnd();
    GetWindowRect(popup, &r);
    const POINT tip{r.left + 19, r.bottom - 7};
    r = {10, 20, 10 + 452, 20 + 141};
    SendMessageW(popup, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&r));
    GetWindowRect(popup, &r);
    EXPECT_GT(r.right - r.left, 452);
    // Kept on the 1280-pixel screen when it grows past its right edge.
    EXPECT_EQ(std::tuple(r.left, r.bottom),
              std::tuple(std::min(tip.x - 28, 1280 - (r.right - r.left)), tip.y - 130 + 141));
    HWND text1 = form1->Popup()->Text1();
    const auto lines = SendMessageW(text1, EM_GETLINECOUNT, 0, 0);
    const auto lastTop =
        HIWORD(SendMessageW(text1, EM_POSFROMCHAR, SendMessageW(text1, EM_LINEINDEX, lines - 1, 0), 0));
    const auto lineHeight = HIWORD(SendMessageW(text1, EM_POSFROMCHAR, SendMessageW(text1, EM_LINEINDEX, 1, 0), 0));
    RECT box{};
    GetWindowRect(text1, &box);
    EXPECT_EQ(SendMessageW(text1, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    // Inside the text box and above the bubble's edge over the tail (30 pixels up at 144 dpi).
    EXPECT_LE(box.top + lastTop + lineHeight, std::min(box.bottom, r.bottom - 30)) << lines << " lines";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// The APIs through the client's own request against the stand-in, DeepL always over HTTPS, LibreTranslate over
// HTTP and HTTPS: the translation, the deadline, or a failure's sentence followed by what the service said (each
// failure's sentence through the real client: client_e2e_tests). Each request has its server made ready first,
// which sends nothing before the request, or has one made ready for another server, which it must not take.
TEST(ServiceRequests, EachAnswerEndsInTheTranslationOrItsReport) {
    using standin::Fault;
    using velmora::ServiceKind;
    struct Case {
        ServiceKind kind;
        Fault fault;
        bool tls;
        const wchar_t* expected;
        bool readyElsewhere = false;
    };
    const Case cases[] = {
        {ServiceKind::DeepL, Fault::None, true, L"こんにちは、世界"},
        {ServiceKind::LibreTranslate, Fault::None, true, L"こんにちは、世界", true},
        {ServiceKind::DeepL, Fault::KeyRefused, true, L"DeepL API がキーを受け付けませんでした（HTTP 403）"},
        {ServiceKind::DeepL, Fault::Hang, true, L"秒以内に応答しませんでした"},
        {ServiceKind::LibreTranslate, Fault::None, false, L"こんにちは、世界"},
        {ServiceKind::LibreTranslate, Fault::None, true, L"こんにちは、世界"},
        // A server on this computer that asks for the user's Windows logon gets its 401 back, never the logon.
        {ServiceKind::LibreTranslate, Fault::LogonChallenge, false, L"（HTTP 401）"},
    };
    const velmora::SecretText key(L"test-key:fx", 11);
    // One server for the whole table, as the real client's tests have it.
    standin::Server server;
    ASSERT_TRUE(server.StartTls());
    server.SetExpectedKey("test-key:fx");
    SetEnvironmentVariableW(L"VELMORA_DEEPL_HOST", server.TlsHostW().c_str());
    for (const auto& c : cases) {
        server.SetFault(c.fault);
        const size_t before = server.ApiRequests().size();
        const std::wstring url = c.tls ? L"https://" + server.TlsHostW() : L"http://" + server.HostW();
        velmora::ServiceRequest request{{c.kind, url + L"/"}, &key, L"EN", L"JA", L"Hello world"};
        request.early = velmora::ConnectEarly(c.readyElsewhere ? L"http://127.0.0.1:9/" : velmora::ServiceEndpoint(request));
        Sleep(100);
        EXPECT_EQ(server.ApiRequests().size(), before) << "sent before the text was known";
        const DWORD limitMs = c.fault == Fault::Hang ? 3000 : 20000;
        const auto outcome = velmora::TranslateWithService(request, velmora::Deadline::FromNow(limitMs));
        const int fault = static_cast<int>(c.fault);
        EXPECT_EQ(outcome.ok, c.fault == Fault::None) << fault;
        EXPECT_NE(outcome.text.find(c.expected), std::wstring::npos) << fault << " " << common::ToUtf8(outcome.text);
        EXPECT_EQ(outcome.text.find(L"test-key"), std::wstring::npos);
        if (c.fault == Fault::KeyRefused) {
            EXPECT_NE(outcome.text.find(L"。\n"), std::wstring::npos) << "what the service said, on its own line";
        }
        const auto received = server.ApiRequests();
        ASSERT_EQ(received.size(), before + 1) << fault;
        EXPECT_EQ(received.back().problem, "") << fault;
    }
    SetEnvironmentVariableW(L"VELMORA_DEEPL_HOST", nullptr);
}

// A failed send is worded by its cause; a revocation that cannot be checked is not a refused certificate.
TEST(ServiceRequests, ASendFailureIsWordedByItsCause) {
    const std::pair<DWORD, const wchar_t*> cases[] = {
        {ERROR_INTERNET_SEC_CERT_NO_REV, velmora::kCertificateRevocationUnknownText},
        {ERROR_INTERNET_SEC_CERT_REV_FAILED, velmora::kCertificateRevocationUnknownText},
        {ERROR_INTERNET_SEC_CERT_REVOKED, velmora::kCertificateRefusedText},
        {ERROR_INTERNET_INVALID_CA, velmora::kCertificateRefusedText},
        {ERROR_INTERNET_SECURITY_CHANNEL_ERROR, velmora::kTlsChannelText},
        {ERROR_INTERNET_CANNOT_CONNECT, velmora::kCannotConnectText},
    };
    for (const auto& [error, sentence] : cases) {
        EXPECT_STREQ(velmora::ApiSendFailureText(error), sentence) << error;
    }
}

// Nothing is sent to a server whose certificate the system does not trust, and nothing without a key or a URL; a
// connection refused is reported as such. Made ready early or not, each ends the same way.
TEST(ServiceRequests, AnUntrustedCertificateAndAMissingSettingEndBeforeAnyRequest) {
    standin::Server server;
    ASSERT_TRUE(server.StartTls(standin::Fault::None, false));
    SetEnvironmentVariableW(L"VELMORA_DEEPL_HOST", server.TlsHostW().c_str());
    const velmora::SecretText key(L"k", 1);
    const velmora::SecretText injecting(L"k\r\nX-Other: 1", 14);
    const std::wstring url = L"https://" + server.TlsHostW();
    struct Case {
        velmora::ServiceKind kind;
        std::wstring url;
        const velmora::SecretText* key;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {velmora::ServiceKind::DeepL, L"", &key, L"証明書を確かめられなかった"},
        {velmora::ServiceKind::LibreTranslate, url, nullptr, L"証明書を確かめられなかった"},
        {velmora::ServiceKind::DeepL, L"", nullptr, L"DeepL API のキーが登録されていません。"},
        {velmora::ServiceKind::DeepL, L"", &injecting, L"使えない文字（改行など）"},
        {velmora::ServiceKind::LibreTranslate, L"", &key, L"URL が設定されていません。"},
        {velmora::ServiceKind::LibreTranslate, L"ftp://localhost", &key, L"URL が正しくありません"},
        {velmora::ServiceKind::LibreTranslate, L"http://127.0.0.1:9", nullptr, L"接続できませんでした"},
    };
    for (const auto& c : cases) {
        for (bool early : {false, true}) {
            velmora::ServiceRequest request{{c.kind, c.url}, c.key, L"JA", L"EN", L"こんにちは"};
            request.early = early ? velmora::ConnectEarly(velmora::ServiceEndpoint(request)) : nullptr;
            const auto outcome = velmora::TranslateWithService(request, velmora::Deadline::FromNow(20000));
            EXPECT_FALSE(outcome.ok);
            EXPECT_NE(outcome.text.find(c.expected), std::wstring::npos) << common::ToUtf8(outcome.text) << early;
        }
    }
    EXPECT_TRUE(server.ApiRequests().empty());
    SetEnvironmentVariableW(L"VELMORA_DEEPL_HOST", nullptr);
}

// A model's stream through the client's own request, with a silence limit of 1.5 s: framing of more than 1 MiB
// around little text, and keep-alive comments for longer than the limit, both end in the translation; text and
// then silence with the connection left open ends in the time-out report, not in a wait without end.
TEST(ServiceRequests, AModelsStreamEndsByItsSilenceNotByItsFraming) {
    using standin::Fault;
    struct Case {
        Fault fault;
        int events, gapMs;
        bool translated;
    };
    const Case cases[] = {
        {Fault::HeavyFraming, 720, 0, true}, {Fault::KeepAlive, 4, 400, true}, {Fault::Stall, 8, 20, false}};
    standin::Server server;
    ASSERT_TRUE(server.Start());
    server.SetExpectedKey("");
    std::string text;
    for (int i = 0; i < 120; ++i) {
        text += "一文目です。";
    }
    server.SetTranslation(text);
    for (const auto& c : cases) {
        server.SetFault(c.fault);
        server.SetChatStream(c.events, c.gapMs);
        Outcome outcome;
        velmora::ClientOptions options = Options(server, outcome, 1500);
        options.service = {velmora::ServiceKind::Chat, L"", L"http://" + server.HostW() + L"/v1", L"test-model"};
        velmora::Form1 form1(std::move(options));
        ASSERT_TRUE(form1.Create());
        const ULONGLONG start = GetTickCount64();
        form1.Form_Load(L"EJhnAHello world");
        PumpUntil([&] { return !outcome.reports->empty() || form1.Popup(); }, 30000);
        const int fault = static_cast<int>(c.fault);
        EXPECT_EQ(form1.Popup() != nullptr, c.translated) << fault;
        if (c.translated) {
            EXPECT_EQ(form1.Text3, common::FromUtf8(text)) << fault;
        } else {
            // The silence ends it: the client's own limit, or (under Wine, whose socket keeps the first time-out it
            // was given) the connection's receive time-out, whichever comes first.
            EXPECT_EQ(outcome.reports->size(), 1u);
            EXPECT_LT(GetTickCount64() - start, 6000u);
        }
    }
}

// 試す's blocking request ends its stream at its deadline: a model still writing is cut off then, not read on
// by a worker nobody waits for.
TEST(ServiceRequests, ABlockingRequestClosesAStreamAtItsDeadline) {
    standin::Server server;
    ASSERT_TRUE(server.Start());
    server.SetExpectedKey("");
    server.SetChatStream(60, 250);
    velmora::ServiceRequest request;
    request.settings = {velmora::ServiceKind::Chat, L"", L"http://" + server.HostW() + L"/v1", L"test-model"};
    request.sourceLang = L"EN";
    request.targetLang = L"JA";
    request.text = L"Hello world";
    const auto outcome = velmora::TranslateWithService(request, velmora::Deadline::FromNow(2000));
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(automation::WaitUntil([&] { return server.ChatStreamsCut() == 1; }, 3000))
        << "read on past the deadline";
}
