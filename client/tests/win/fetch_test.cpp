// The request's failure paths, in-process with a short limit through the same code the program runs with 60 s.
#include <gtest/gtest.h>

#include "core/Request.h"
#include "standin/Standin.h"
#include "win/Form1.h"

namespace {

constexpr DWORD kLimitMs = 3000;

struct Outcome {
    std::wstring failure;
    std::wstring text3;
    bool popup = false;
    ULONGLONG elapsedMs = 0;
};

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
    EXPECT_EQ(outcome.failure, L"");
    EXPECT_EQ(outcome.text3, L"こんにちは、世界");
    EXPECT_EQ(server.RequestLines().size(), 2u);

    server.SetFault(standin::Fault::ResultFirst);
    outcome = RunExcite(server, L"EJhnAGood morning");
    EXPECT_EQ(outcome.text3, L"おはようございます");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
