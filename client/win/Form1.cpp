#include "win/Form1.h"

#include "common/Text.h"
#include "core/UrlEncode.h"
#include "win/Fetch.h"
#include "win/Form2.h"
#include "win/Form3.h"
#include "win/PendingBubble.h"

namespace velmora {

Form1::Form1(ClientOptions options) : options_(std::move(options)) {}

Form1::~Form1() = default;

bool Form1::Create() {
    // A tool window that is never made visible: no taskbar button, nothing on screen.
    return common::Window::Create(L"VelmoraForm1", L"1", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 0, 0, nullptr);
}

void Form1::Form_Load(const std::wstring& argumentText) {
    Text5 = argumentText;
    if (Text5.empty()) {
        MessageBoxW(nullptr, L"引数が指定されてません、きちんとインストールしてください。", L"警告", MB_OK | MB_ICONSTOP);
        EndProgram();
        return;
    }
    if (Text5 == L"EJhnA" || Text5 == L"JEhnA") {
        MessageBoxW(nullptr, L"範囲を選択してください", L"注意", MB_OK | MB_ICONEXCLAMATION);
        EndProgram();
        return;
    }
    RequestCode = Text5.substr(0, 5);
    RequestText = Text5.size() > 5 ? Text5.substr(5) : std::wstring();

    const RequestKind* kind = FindRequest(common::ToU16(RequestCode));
    if (!kind) {
        // Nothing was asked for, and no window exists that could end the client later.
        EndProgram();
        return;
    }
    if (kind->encodeText) {
        RequestText = common::ToWide(UrlEncodeUtf8(common::ToU16(RequestText)));
    }
    Text2 = common::ToWide(BuildRequestUrl(*kind, common::ToU16(RequestText), options_.hosts));
    StartPendingTimer();
    if (kind->service == Service::Excite) {
        ExciteRequest();
    } else {
        WebBrowser1_Navigate(Text2);
        BrowserRequest = kind->browserRequest;
    }
}

namespace {
constexpr UINT_PTR kRequestDeadline = 1;
constexpr UINT_PTR kPendingTimer = 2;
// Most answers come sooner; a bubble that flashes for a moment would be worse than none.
constexpr UINT kPendingDelayMs = 400;
constexpr UINT kExciteCompleteMessage = WM_APP + 2;
}  // namespace

void Form1::ExciteRequest() {
    // In the background, as the browser loads, so that the pending bubble can show and answer the user meanwhile.
    if (!StartFetch(Text2, options_.requestLimitMs, hwnd(), kExciteCompleteMessage)) {
        ReportFailure(L"翻訳の処理を開始できませんでした。");
        return;
    }
    SetTimer(hwnd(), kRequestDeadline, options_.requestLimitMs, nullptr);
}

void Form1::ExciteRequest_Complete(LPARAM result) {
    std::unique_ptr<FetchResult> page(reinterpret_cast<FetchResult*>(result));
    if (!page || !page->ok) {
        ReportFailure(page ? page->error : L"翻訳ページを読み込めませんでした。");
        return;
    }
    Text1 = std::move(page->text);
    ExtractAndHandOff(kExciteMarkers);
}

void Form1::StartPendingTimer() {
    SetTimer(hwnd(), kPendingTimer, kPendingDelayMs, nullptr);
}

void Form1::ShowPending() {
    KillTimer(hwnd(), kPendingTimer);
    if (pending_ || (form2_ && form2_->hwnd())) {
        return;
    }
    pending_ = std::make_unique<PendingBubble>(*this);
    if (!pending_->Show()) {
        pending_.reset();
    }
}

void Form1::WebBrowser1_Navigate(const std::wstring& url) {
    if (!WebBrowser1.Navigate(url, options_.requestLimitMs, hwnd())) {
        ReportFailure(L"翻訳ページの読み込みを開始できませんでした。");
        return;
    }
    // The load has its own deadline, but a worker stuck in WinINet never reports; this timer always does.
    SetTimer(hwnd(), kRequestDeadline, options_.requestLimitMs, nullptr);
}

void Form1::WebBrowser1_DocumentComplete() {
    if (BrowserRequest < 1 || BrowserRequest > 4) {
        return;
    }
    const html::Node* body = WebBrowser1.Body();
    if (!body) {
        ReportFailure(L"翻訳ページを読み込めませんでした。");
        return;
    }
    Text1 = common::ToWide(html::InnerHtml(*body));
    ExtractAndHandOff(kInfoseekMarkers);
}

void Form1::Label3_Click() {
    WebBrowser1_DocumentComplete();
}

void Form1::ExtractAndHandOff(const Markers& markers) {
    const auto result = ExtractBetweenMarkers(common::ToU16(Text1), markers);
    if (!result) {
        ReportFailure(L"翻訳結果をページから取り出せませんでした。翻訳サービスのページが変わった可能性があります。");
        return;
    }
    Text3 = common::ToWide(*result);
    Command3_Click();
}

void Form1::Command3_Click() {
    KillTimer(hwnd(), kPendingTimer);
    if (!form2_) {
        form2_ = std::make_unique<Form2>(*this);
    }
    if (pending_) {
        // Loaded where the pending bubble stands, which goes just before the popup shows: one bubble, no jump.
        form2_->Load(pending_->TopLeft());
        pending_.reset();
    }
    form2_->Show();
}

void Form1::ReportFailure(const std::wstring& text) {
    // The pending bubble goes first: the report stands alone.
    KillTimer(hwnd(), kPendingTimer);
    pending_.reset();
    if (options_.reportFailure) {
        options_.reportFailure(text);
    }
}

void Form1::EndProgram(UINT exitCode) {
    if (options_.endProgram) {
        options_.endProgram(exitCode);
    }
}

void Form1::ShowPopupMenu(HWND popup, std::optional<POINT> at) {
    if (!form3_) {
        form3_ = std::make_unique<Form3>(*this);
    }
    form3_->ShowMenu(popup, at);
}

LRESULT Form1::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case Browser::kCompleteMessage:
            KillTimer(hwnd(), kRequestDeadline);
            if (const auto failure = WebBrowser1.Complete(lp)) {
                ReportFailure(*failure);
            } else {
                WebBrowser1_DocumentComplete();
            }
            return 0;
        case kExciteCompleteMessage:
            KillTimer(hwnd(), kRequestDeadline);
            ExciteRequest_Complete(lp);
            return 0;
        case WM_TIMER:
            if (wp == kPendingTimer) {
                ShowPending();
            } else if (wp == kRequestDeadline) {
                KillTimer(hwnd(), kRequestDeadline);
                ReportFailure(TimeoutText(options_.requestLimitMs));
            }
            return 0;
    }
    return common::Window::HandleMessage(msg, wp, lp);
}

}  // namespace velmora
