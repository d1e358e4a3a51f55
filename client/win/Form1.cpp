#include "win/Form1.h"

#include <algorithm>
#include <utility>

#include "common/Text.h"
#include "core/Messages.h"
#include "core/services/ServiceMessages.h"
#include "core/pages/DisplayText.h"
#include "win/Failure.h"
#include "win/WindowMessages.h"
#include "win/bubble/Form2.h"
#include "win/bubble/PendingBubble.h"
#include "win/net/Fetch.h"
#include "win/selection/Replacement.h"
#include "win/settings/Controls.h"
#include "win/settings/Form3.h"

namespace velmora {

Form1::Form1(ClientOptions options)
    : options_(std::move(options)),
      service_(form1::kServiceCompleteMessage, form1::kServiceProgressMessage, form1::kStreamTimer),
      pending_(form1::kPendingReleasedMessage, form1::kPendingGoneTimer) {}

Form1::~Form1() = default;

bool Form1::Create() {
    // A tool window that is never made visible: no taskbar button, nothing on screen.
    return common::Window::Create(L"VelmoraForm1", L"1", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 0, 0, nullptr);
}

void Form1::Form_Load(const std::wstring& argumentText) {
    Text5 = argumentText;
    service_.Connect(options_.service, options_.credentials, options_.connectEarly);
    StartInput input{common::ToU16(Text5), std::nullopt, options_.service.kind, options_.hosts};
    if (ReadsSelection(input.argumentText)) {
        input.selection = options_.readSelection ? options_.readSelection(hwnd()) : SelectionRead{};
        origin_ = input.selection->text ? input.selection->origin : nullptr;
    }
    const StartPlan plan = PlanStart(input);
    // The limit is the request's: the time spent reading a selection is not taken from it.
    deadline_ = Deadline::FromNow(options_.requestLimitMs);
    Text5 = common::ToWide(plan.argumentText);
    RequestCode = common::ToWide(plan.code);
    RequestText = common::ToWide(plan.text);
    RunPlan(plan);
}

void Form1::RunPlan(const StartPlan& plan) {
    switch (plan.step) {
        case StartStep::End:
            EndProgram();
            return;
        case StartStep::Box:
            ShowBox(common::ToWide(plan.boxText), plan.warning ? kWarningTitle : kCautionTitle,
                    plan.warning ? MB_ICONSTOP : MB_ICONEXCLAMATION);
            EndProgram();
            return;
        case StartStep::Api:
            StartPendingTimer();
            Started(service_.Start(plan, deadline_, hwnd()), kCannotStartText);
            return;
        case StartStep::Page:
            break;
    }
    Text2 = common::ToWide(plan.url);
    StartPendingTimer();
    if (plan.kind->service == Service::Excite) {
        ExciteRequest();
    } else {
        WebBrowser1_Navigate(Text2);
        BrowserRequest = plan.kind->browserRequest;
    }
}

void Form1::ServiceRequest_Complete() {
    std::optional<FetchResult> answer = service_.TakeAnswer();
    if (!answer || !Decide()) {
        return;
    }
    KillTimer(hwnd(), form1::kRequestDeadlineTimer);
    if (!answer->ok) {
        ReportFailure(answer->error);
        return;
    }
    // An API's translation is plain text: the popup shows it as it came, references and all.
    Text3 = std::move(answer->text);
    popupText_ = common::ToWide(PlainDisplayText(common::ToU16(Text3)));
    Command3_Click();
}

void Form1::ShowStreamedText() {
    KillTimer(hwnd(), form1::kStreamTimer);
    StreamThrottle* stream = service_.Stream();
    if (!stream || decided_ || pending_.Dragging()) {
        return;
    }
    // The first text needs no wait: something to read is better than "翻訳中…".
    ShowPending();
    if (PendingBubble* pending = pending_.Get()) {
        pending->ShowText(stream->Text());
        stream->Shown();
    }
}

void Form1::ExciteRequest() {
    // In the background, as the browser loads, so that the pending bubble can show and answer the user meanwhile.
    auto mailbox = std::make_shared<Mailbox<FetchResult>>();
    auto deliver = [mailbox, window = hwnd()](FetchResult page) {
        mailbox->Put(std::move(page));
        PostMessageW(window, form1::kExciteCompleteMessage, 0, 0);
    };
    excitePage_ = mailbox;
    Started(StartFetch(Text2, deadline_, std::move(deliver)), kCannotStartText);
}

void Form1::ExciteRequest_Complete() {
    std::optional<FetchResult> page = excitePage_ ? excitePage_->Take() : std::nullopt;
    // Only our own fetch leaves a page; the same message from anywhere else finds none.
    if (!page || !Decide()) {
        return;
    }
    KillTimer(hwnd(), form1::kRequestDeadlineTimer);
    if (!page->ok) {
        ReportFailure(page->error.empty() ? kPageNotLoadedText : page->error);
        return;
    }
    Text1 = std::move(page->text);
    ExtractAndHandOff(kExciteMarkers);
}

// A worker stuck in WinINet or in parsing never reports in time; the deadline's timer always does. It runs until
// the result is here, so the limit covers the request from its start to its result. A request that did not start
// is decided at once.
void Form1::Started(bool started, const wchar_t* failure) {
    if (!started) {
        decided_ = true;
        ReportFailure(failure);
        return;
    }
    SetTimer(hwnd(), form1::kRequestDeadlineTimer, std::max<DWORD>(deadline_.LeftMs(), 1), nullptr);
}

void Form1::RequestDeadline_Timer() {
    KillTimer(hwnd(), form1::kRequestDeadlineTimer);
    // A streamed answer fails only after that long without a byte, however long it has been coming.
    if (service_.Stream() && !decided_) {
        const ULONGLONG silent = service_.Stream()->SilentMs();
        if (silent < options_.requestLimitMs) {
            SetTimer(hwnd(), form1::kRequestDeadlineTimer, static_cast<UINT>(options_.requestLimitMs - silent),
                     nullptr);
            return;
        }
    }
    if (Decide()) {
        ReportFailure(TimeoutText(options_.requestLimitMs));
    }
}

void Form1::StartPendingTimer() {
    SetTimer(hwnd(), form1::kPendingTimer, form1::kPendingDelayMs, nullptr);
}

void Form1::PendingReleased() {
    pending_.Released(hwnd());
}

void Form1::ShowPending() {
    KillTimer(hwnd(), form1::kPendingTimer);
    if (!form2_ || !form2_->hwnd()) {
        pending_.Show(*this);
    }
}

void Form1::WebBrowser1_Navigate(const std::wstring& url) {
    Started(WebBrowser1.Navigate(url, deadline_, hwnd(), form1::kPageCompleteMessage), kPageLoadNotStartedText);
}

void Form1::WebBrowser1_Complete() {
    // Only our own load has a result to take; a result after the time-out is dropped.
    std::wstring failure;
    if (!WebBrowser1.TakeCompletion(failure) || !Decide()) {
        return;
    }
    KillTimer(hwnd(), form1::kRequestDeadlineTimer);
    if (!failure.empty()) {
        ReportFailure(failure);
    } else {
        WebBrowser1_DocumentComplete();
    }
}

void Form1::WebBrowser1_DocumentComplete() {
    if (BrowserRequest < 1 || BrowserRequest > 4) {
        return;
    }
    const html::Node* body = WebBrowser1.Body();
    if (!body) {
        ReportFailure(kPageNotLoadedText);
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
        ReportFailure(kResultNotFoundText);
        return;
    }
    Text3 = common::ToWide(*result);
    // The page's cut is HTML text: its character references are decoded once, for the popup.
    popupText_ = common::ToWide(DisplayText(*result));
    Command3_Click();
}

void Form1::Command3_Click() {
    KillTimer(hwnd(), form1::kPendingTimer);
    if (pending_.Defer([this] { Command3_Click(); })) {
        return;
    }
    if (!form2_) {
        form2_ = std::make_unique<Form2>(*this);
    }
    if (PendingBubble* pending = pending_.Get()) {
        // Loaded where the pending bubble stands, which leaves the screen just before the popup shows: one
        // bubble, no jump. It is destroyed only once the popup has taken the activation from it.
        form2_->Load(pending->TopLeft());
        pending->HideKeepingActivation();
    }
    if (!form2_->Show()) {
        // Without the popup nothing of the client would be left to end it.
        const DWORD error = GetLastError();
        ReportFailure(kPopupNotOpenedText + (error ? L"\n" + common::SystemErrorText(error) : L""));
        return;
    }
    pending_.Reset();
}

void Form1::ReportFailure(const std::wstring& text) {
    // The pending bubble goes first: the report stands alone.
    KillTimer(hwnd(), form1::kPendingTimer);
    if (pending_.Defer([this, text] { ReportFailure(text); })) {
        return;
    }
    pending_.HideForBox(hwnd());
    if (options_.reportFailure) {
        // A page request's report also says that the pages may be gone, and where a service that works is chosen.
        const std::u16string note = FailureNote(options_.service.kind);
        options_.reportFailure(note.empty() ? text : text + L"\n\n" + common::ToWide(note));
    }
    pending_.GoneTimer(hwnd(), false);
}

bool Form1::Decide() {
    return !std::exchange(decided_, true);
}

// Any program can close the hidden window. Before the result that would leave a client with no window running
// for ever, so the request ends as a failure; with the popup open it ends the client as the popup's Close does.
void Form1::Form_Close() {
    KillTimer(hwnd(), form1::kRequestDeadlineTimer);
    if (Decide()) {
        ReportFailure(kClosedMidwayText);
    } else {
        EndProgram();
    }
}

void Form1::EndProgram(UINT exitCode) {
    if (options_.endProgram) {
        options_.endProgram(exitCode);
    }
}

void Form1::ReplaceSelection() {
    if (!origin_ || !form2_ || !form2_->hwnd()) {
        return;
    }
    // Whatever the text box shows now, the user's own edits included, as the copy takes it.
    if (PutInPlaceOfSelection(*origin_, form2_->hwnd(), ControlText(form2_->Text1()))) {
        EndProgram();
    } else {
        (void)form2_->Show();
    }
}

void Form1::ShowPopupMenu(HWND popup, std::optional<POINT> at) {
    if (!form3_) {
        form3_ = std::make_unique<Form3>(*this);
    }
    form3_->ShowMenu(popup, at);
}

void Form1::Timer(UINT_PTR id) {
    if (id == form1::kPendingTimer) {
        ShowPending();
    } else if (id == form1::kPendingGoneTimer) {
        pending_.GoneTimer(hwnd(), true);
    } else if (id == form1::kStreamTimer) {
        ShowStreamedText();
    } else if (id == form1::kRequestDeadlineTimer) {
        RequestDeadline_Timer();
    }
}

LRESULT Form1::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case form1::kPageCompleteMessage:
            WebBrowser1_Complete();
            return 0;
        case form1::kExciteCompleteMessage:
            ExciteRequest_Complete();
            return 0;
        case form1::kServiceCompleteMessage:
            ServiceRequest_Complete();
            return 0;
        case form1::kServiceProgressMessage:
            if (service_.Stream() && service_.Stream()->Arrived()) {
                ShowStreamedText();
            }
            return 0;
        case form1::kPendingReleasedMessage:
            if (auto outcome = pending_.TakeDeferred()) {
                outcome();
            }
            return 0;
        case WM_TIMER:
            Timer(wp);
            return 0;
        case WM_CLOSE:
            Form_Close();
            return 0;
        case WM_SETHOTKEY:
            // The system gives the shortcut key that started the client to the first of its windows that can hold
            // one. Held by a window of ours, the key would go to that window instead of starting the next request,
            // so none of them takes it (the bubbles and the settings window refuse it the same way).
            return 0;
    }
    return common::Window::HandleMessage(msg, wp, lp);
}

}  // namespace velmora
