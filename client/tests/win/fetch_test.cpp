// The request's failure paths, in-process with a short limit through the same code the program runs with 60 s.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "core/Request.h"
#include "standin/Standin.h"
#include "win/Form1.h"
#include "win/Form2.h"
#include "win/PendingBubble.h"

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

// Runs the message loop until the request has ended one way or the other: both paths answer in the background.
void RunUntilEnded(velmora::Form1& form1, Outcome& outcome, ULONGLONG start, DWORD limitMs = kLimitMs) {
    MSG msg;
    while (outcome.reports->empty() && !form1.Popup() && GetTickCount64() - start < limitMs + 5000) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
    }
    outcome.failure = outcome.reports->empty() ? L"" : outcome.reports->front();
}

Outcome RunExcite(standin::Server& server, const std::wstring& argument = L"EJhnAHello world") {
    Outcome outcome;
    velmora::ClientOptions options;
    options.requestLimitMs = kLimitMs;
    const std::wstring host = server.HostW();
    options.hosts = velmora::HostsWithOverrides(std::u16string(host.begin(), host.end()), std::nullopt);
    options.reportFailure = [reports = outcome.reports](const std::wstring& text) { reports->push_back(text); };
    options.endProgram = [](UINT) {};
    velmora::Form1 form1(std::move(options));
    EXPECT_TRUE(form1.Create());
    const ULONGLONG start = GetTickCount64();
    form1.Form_Load(argument);
    RunUntilEnded(form1, outcome, start);
    outcome.elapsedMs = GetTickCount64() - start;
    outcome.text3 = form1.Text3;
    outcome.popup = form1.Popup() != nullptr;
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
    const Outcome outcome = RunExcite(server);
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
        const Outcome outcome = RunExcite(server);
        EXPECT_NE(outcome.failure.find(c.words), std::wstring::npos) << static_cast<int>(c.fault);
        EXPECT_FALSE(outcome.popup) << static_cast<int>(c.fault);
        EXPECT_LT(outcome.elapsedMs, kLimitMs + 1500) << static_cast<int>(c.fault);
        server.Stop();
    }
}

TEST(ExciteRequestPaths, FollowsTenRedirectsAndNoMore) {
    standin::Server server;
    ASSERT_TRUE(server.Start(standin::Fault::RedirectLoop));
    const Outcome outcome = RunExcite(server);
    EXPECT_NE(outcome.failure.find(L"転送が多すぎます"), std::wstring::npos);
    EXPECT_EQ(server.RequestLines().size(), 1u + 10u);
}

TEST(ExciteRequestPaths, FollowsOneRedirectAndCutsTheResultAreaFirstPage) {
    standin::Server server;
    ASSERT_TRUE(server.Start(standin::Fault::Redirect));
    Outcome outcome = RunExcite(server);
    EXPECT_LT(outcome.elapsedMs, 1000u);
    EXPECT_EQ(outcome.failure, L"");
    EXPECT_EQ(outcome.text3, L"こんにちは、世界");
    EXPECT_EQ(server.RequestLines().size(), 2u);

    server.SetFault(standin::Fault::ResultFirst);
    outcome = RunExcite(server, L"EJhnAGood morning");
    EXPECT_EQ(outcome.text3, L"おはようございます");
}

// Starts an infoseek request and runs the message loop until it has ended one way or the other. `started`, when
// given, runs right after the request has started.
Outcome RunInfoseek(standin::Server& server, const std::wstring& argument, velmora::Form1** keep = nullptr,
                    const std::function<void(velmora::Form1&)>& started = nullptr, DWORD limitMs = kLimitMs) {
    static std::unique_ptr<velmora::Form1> kept;
    Outcome outcome;
    velmora::ClientOptions options;
    options.requestLimitMs = limitMs;
    const std::wstring host = server.HostW();
    options.hosts = velmora::HostsWithOverrides(std::nullopt, std::u16string(host.begin(), host.end()));
    options.reportFailure = [reports = outcome.reports](const std::wstring& text) { reports->push_back(text); };
    options.endProgram = [](UINT) {};
    auto form1 = std::make_unique<velmora::Form1>(std::move(options));
    EXPECT_TRUE(form1->Create());
    const ULONGLONG start = GetTickCount64();
    form1->Form_Load(argument);
    EXPECT_NE(form1->BrowserRequest, 0);
    if (started) {
        started(*form1);
    }
    RunUntilEnded(*form1, outcome, start, limitMs);
    outcome.elapsedMs = GetTickCount64() - start;
    outcome.text3 = form1->Text3;
    outcome.popup = form1->Popup() != nullptr;
    if (keep) {
        kept = std::move(form1);
        *keep = kept.get();
    }
    return outcome;
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
        const Outcome outcome = RunInfoseek(server, L"EJIFAHello world");
        EXPECT_NE(outcome.failure.find(words), std::wstring::npos) << static_cast<int>(fault);
        EXPECT_FALSE(outcome.popup);
        EXPECT_LT(outcome.elapsedMs, kLimitMs + 1500);
        server.Stop();
    }
    // The result area may come first: the end tag is looked for after the marker.
    standin::Server server;
    ASSERT_TRUE(server.Start(standin::Fault::ResultFirst));
    const Outcome first = RunInfoseek(server, L"KJIFAHello world");
    EXPECT_EQ(first.failure, L"");
    EXPECT_EQ(first.text3, L"こんにちは、世界");
}

TEST(InfoseekRequestPaths, ALaterCompletionKeepsThePopupsFirstText) {
    standin::Server server;
    ASSERT_TRUE(server.Start());
    velmora::Form1* form1 = nullptr;
    const Outcome outcome = RunInfoseek(server, L"EJIFAGood morning", &form1);
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
    const Outcome outcome = RunInfoseek(server, L"EJIFAHello world", nullptr, nullptr, kShortLimitMs);
    EXPECT_NE(outcome.failure.find(L"秒以内に応答しませんでした"), std::wstring::npos);
    EXPECT_FALSE(outcome.popup);
    EXPECT_LT(outcome.elapsedMs, kShortLimitMs + 1000);
}

// Pumps the thread's messages for a while, as the client's message loop would.
void Pump(DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    MSG msg;
    while (GetTickCount64() < end) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
    }
}

TEST(RequestOutcome, TheFirstOfTimeOutAndResultWins) {
    standin::Server server;
    ASSERT_TRUE(server.Start());
    velmora::Form1* form1 = nullptr;
    // The time-out comes first (its timer message is posted before the page can be there): the result that
    // follows must not open a popup over the report.
    const Outcome outcome = RunInfoseek(server, L"EJIFAGood morning", &form1, [](velmora::Form1& form) {
        PostMessageW(form.hwnd(), WM_TIMER, 1, 0);
    });
    EXPECT_NE(outcome.failure.find(L"秒以内に応答しませんでした"), std::wstring::npos);
    Pump(1500);
    EXPECT_EQ(form1->Popup(), nullptr);
    EXPECT_EQ(outcome.reports->size(), 1u);
    EXPECT_EQ(server.RequestLines().size(), 1u);
}

TEST(RequestOutcome, MessagesFromOutsideCarryNoResult) {
    standin::Server server;
    ASSERT_TRUE(server.Start());
    velmora::Form1* form1 = nullptr;
    // The completion message with made-up values arrives before the real one: it is ignored, and the page's
    // result still makes the popup.
    auto forge = [](velmora::Form1& form) {
        for (LPARAM value : {LPARAM{0}, LPARAM{1}, LPARAM{0x12345678}, LPARAM{-1}}) {
            PostMessageW(form.hwnd(), velmora::Browser::kCompleteMessage, 0, value);
        }
    };
    const Outcome outcome = RunInfoseek(server, L"EJIFAGood morning", &form1, forge);
    EXPECT_EQ(outcome.failure, L"");
    EXPECT_TRUE(outcome.popup);
    EXPECT_EQ(outcome.text3, L"おはようございます");
    // And after it, too.
    forge(*form1);
    Pump(300);
    EXPECT_TRUE(outcome.reports->empty());
}

// A selection start may spend a while reading the selection: the pending bubble's 400 ms count from the read.
TEST(PendingBubble, WaitsFourHundredMillisecondsFromTheSelectionRead) {
    standin::Server server;
    ASSERT_TRUE(server.Start());
    server.SetAnswerDelay(2000);
    ULONGLONG readAt = 0;
    velmora::ClientOptions options;
    options.requestLimitMs = kLimitMs;
    const std::wstring host = server.HostW();
    options.hosts = velmora::HostsWithOverrides(std::u16string(host.begin(), host.end()), std::nullopt);
    options.reportFailure = [](const std::wstring&) {};
    options.endProgram = [](UINT) {};
    options.readSelection = [&readAt](HWND) {
        Sleep(700);
        readAt = GetTickCount64();
        return std::optional<std::wstring>(L"Hello world");
    };
    velmora::Form1 form1(std::move(options));
    ASSERT_TRUE(form1.Create());
    form1.Form_Load(L"/selection EJhnA");
    ULONGLONG shownAt = 0;
    const ULONGLONG end = GetTickCount64() + 3000;
    while (!shownAt && GetTickCount64() < end) {
        Pump(10);
        if (form1.Pending() && IsWindowVisible(form1.Pending()->hwnd())) {
            shownAt = GetTickCount64();
        }
    }
    ASSERT_NE(shownAt, 0u);
    EXPECT_GE(shownAt - readAt, 390u);  // the timer's own granularity
    EXPECT_LT(shownAt - readAt, 900u);
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
    Outcome outcome;
    {
        velmora::ClientOptions options;
        options.requestLimitMs = kLimitMs;
        const std::wstring host = server.HostW();
        options.hosts = velmora::HostsWithOverrides(std::u16string(host.begin(), host.end()), std::nullopt);
        options.reportFailure = [reports = outcome.reports](const std::wstring& text) { reports->push_back(text); };
        options.endProgram = [](UINT) {};
        velmora::Form1 form1(std::move(options));
        ASSERT_TRUE(form1.Create());
        form1.Form_Load(L"EJhnAGood morning");
        RunUntilEnded(form1, outcome, GetTickCount64());
        ASSERT_TRUE(form1.Popup() && form1.Popup()->hwnd());
        HWND popup = form1.Popup()->hwnd();
        RECT first{};
        GetWindowRect(popup, &first);
        const POINT pointer{first.left + 19, first.top + 87};  // where the tip pointed at 96 dpi
        for (HWND child = GetWindow(popup, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            SetPropW(child, L"VelmoraTestProc", reinterpret_cast<HANDLE>(GetWindowLongPtrW(child, GWLP_WNDPROC)));
            SetWindowLongPtrW(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchFont));
        }
        // As the system sends it when the bubble lands on a 150 % monitor, with its own suggestion (the old size
        // scaled around the old place): the tail's tip goes back to the pointer at the new scale.
        struct Case {
            UINT dpi;
            SIZE size;
            POINT topLeft;
        };
        const Case cases[] = {{144, {452, 141}, {pointer.x - 28, pointer.y - 130}},
                              {96, {301, 94}, {pointer.x - 19, pointer.y - 87}}};
        for (const Case& c : cases) {
            RECT suggested{10, 20, 10 + 452, 20 + 141};
            SendMessageW(popup, WM_DPICHANGED, MAKEWPARAM(c.dpi, c.dpi), reinterpret_cast<LPARAM>(&suggested));
            RECT r{};
            GetWindowRect(popup, &r);
            EXPECT_EQ(r.right - r.left, c.size.cx) << c.dpi;
            EXPECT_EQ(r.bottom - r.top, c.size.cy) << c.dpi;
            EXPECT_EQ(r.left, c.topLeft.x) << c.dpi;
            EXPECT_EQ(r.top, c.topLeft.y) << c.dpi;
        }
    }
    // Two font changes for three controls, and the end of the labels (the text box's own procedure is put back
    // before it goes, which takes this watch off too).
    EXPECT_GE(g_fontChecks, 8);
    EXPECT_EQ(g_deadFonts, 0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
