// The request's failure paths, in-process with a short limit through the same code the program runs with 60 s.
#include <gtest/gtest.h>

#include <memory>

#include "core/Request.h"
#include "standin/Standin.h"
#include "win/Form1.h"
#include "win/Form2.h"

namespace {

constexpr DWORD kLimitMs = 3000;

struct Outcome {
    std::wstring failure;
    std::wstring text3;
    bool popup = false;
    ULONGLONG elapsedMs = 0;
};

// Runs the message loop until the request has ended one way or the other: both paths answer in the background.
void RunUntilEnded(velmora::Form1& form1, const Outcome& outcome, ULONGLONG start) {
    MSG msg;
    while (outcome.failure.empty() && !form1.Popup() && GetTickCount64() - start < kLimitMs + 5000) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
    }
}

Outcome RunExcite(standin::Server& server, const std::wstring& argument = L"EJhnAHello world") {
    Outcome outcome;
    velmora::ClientOptions options;
    options.requestLimitMs = kLimitMs;
    const std::wstring host = server.HostW();
    options.hosts = velmora::HostsWithOverrides(std::u16string(host.begin(), host.end()), std::nullopt);
    options.reportFailure = [&](const std::wstring& text) { outcome.failure = text; };
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

Outcome RunInfoseek(standin::Server& server, const std::wstring& argument, velmora::Form1** keep = nullptr) {
    static std::unique_ptr<velmora::Form1> kept;
    Outcome outcome;
    velmora::ClientOptions options;
    options.requestLimitMs = kLimitMs;
    const std::wstring host = server.HostW();
    options.hosts = velmora::HostsWithOverrides(std::nullopt, std::u16string(host.begin(), host.end()));
    options.reportFailure = [&outcome](const std::wstring& text) { outcome.failure = text; };
    options.endProgram = [](UINT) {};
    auto form1 = std::make_unique<velmora::Form1>(std::move(options));
    EXPECT_TRUE(form1->Create());
    const ULONGLONG start = GetTickCount64();
    form1->Form_Load(argument);
    EXPECT_NE(form1->BrowserRequest, 0);
    RunUntilEnded(*form1, outcome, start);
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

}  // namespace

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
