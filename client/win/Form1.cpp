#include "win/Form1.h"

#include <algorithm>
#include <atomic>
#include <utility>

#include "common/Text.h"
#include "core/Messages.h"
#include "core/pages/UrlEncode.h"
#include "core/selection/Direction.h"
#include "core/selection/Selection.h"
#include "core/services/RequestLimit.h"
#include "core/services/ServiceApi.h"
#include "core/services/ServiceMessages.h"
#include "win/bubble/Form2.h"
#include "win/bubble/PendingBubble.h"
#include "win/net/Fetch.h"
#include "win/services/ServiceTranslate.h"
#include "win/settings/Form3.h"

namespace velmora {

Form1::Form1(ClientOptions options) : options_(std::move(options)) {}

Form1::~Form1() = default;

bool Form1::Create() {
    // A tool window that is never made visible: no taskbar button, nothing on screen.
    return common::Window::Create(L"VelmoraForm1", L"1", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 0, 0, nullptr);
}

namespace {

// A text the service could not take ends here, before any request, with how much of it (`fits` units) would fit.
bool Fits(const std::u16string& raw, std::size_t fits) {
    if (fits == raw.size()) {
        return true;
    }
    const std::wstring sentence =
        SelectionTooLongText(CharacterCount(raw), CharacterCount(std::u16string_view(raw).substr(0, fits)));
    MessageBoxW(nullptr, sentence.c_str(), kCautionTitle, MB_OK | MB_ICONEXCLAMATION);
    return false;
}

bool FitsTheService(const RequestKind& kind, const std::wstring& text, const ServiceHosts& hosts) {
    const std::u16string raw = common::ToU16(text);
    return Fits(raw, FittingLength(kind, raw, hosts));
}

}  // namespace

void Form1::Form_Load(const std::wstring& argumentText) {
    Text5 = argumentText;
    ServiceConnect();
    // A selection start goes on as if the code had come with the selected text on the command line.
    const auto selectionCode = SelectionStartCode(common::ToU16(Text5));
    if (const auto& code = selectionCode) {
        const SelectionRead read = options_.readSelection ? options_.readSelection(hwnd()) : SelectionRead{};
        if (!read.text) {
            const std::wstring sentence = common::ToWide(RefusalText(read.refusal));
            MessageBoxW(nullptr, sentence.c_str(), kCautionTitle, MB_OK | MB_ICONEXCLAMATION);
            EndProgram();
            return;
        }
        const std::u16string& selection = *read.text;
        const std::u16string_view chosen = *code == kAutoDirection ? DirectionCode(selection) : *code;
        // A service that finds the language itself takes any language to Japanese; the pages need both.
        if (*code == kAutoDirection && options_.service.kind != ServiceKind::Page &&
            RowOf(options_.service.kind).detectsSource) {
            autoDirection_ = ServiceDirectionOf(selection);
        }
        Text5 = common::ToWide(chosen) + common::ToWide(selection);
    }
    // The limit is the request's: the time spent reading a selection is not taken from it.
    deadline_ = Deadline::FromNow(options_.requestLimitMs);
    if (Text5.empty()) {
        MessageBoxW(nullptr, kNoArgumentText, kWarningTitle, MB_OK | MB_ICONSTOP);
        EndProgram();
        return;
    }
    if (Text5 == L"EJhnA" || Text5 == L"JEhnA") {
        MessageBoxW(nullptr, common::ToWide(kSelectTextText).c_str(), kCautionTitle, MB_OK | MB_ICONEXCLAMATION);
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
    if (options_.service.kind != ServiceKind::Page) {
        // The browser menu marks the line breaks of the command line's text; the API gets them back as they were.
        const std::u16string text =
            selectionCode ? common::ToU16(RequestText) : RestoreScriptLineBreaks(common::ToU16(RequestText));
        if (!Fits(text, FittingApiLength(options_.service.kind, text))) {
            EndProgram();
            return;
        }
        ServiceRequest(common::ToWide(text));
        return;
    }
    if (!FitsTheService(*kind, RequestText, options_.hosts)) {
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
// Ticks inside the report box's own message loop until the box is the active window; then the hidden pending
// bubble goes. Destroyed while still active, it would hand the activation to another program first.
constexpr UINT_PTR kPendingGoneTimer = 3;
// Most answers come sooner; a bubble that flashes for a moment would be worse than none.
constexpr UINT kPendingDelayMs = 400;
constexpr UINT kExciteCompleteMessage = WM_APP + 2;
constexpr UINT kPendingReleasedMessage = WM_APP + 3;
constexpr UINT kServiceCompleteMessage = WM_APP + 4;
constexpr UINT kServiceProgressMessage = WM_APP + 5;
// Shows the text of a streamed answer that came within kStreamRefreshMs of the last one shown.
constexpr UINT_PTR kStreamTimer = 4;
// Often enough to read as it is written; less often would not look live, more often would only cost layout.
constexpr ULONGLONG kStreamRefreshMs = 50;
}  // namespace

// What the worker has read of a streamed answer so far, for the UI thread.
struct StreamedAnswer {
    Mailbox<std::wstring> text;
    std::atomic<bool> posted{false};      // a progress message is on its way and has not been taken
    std::atomic<ULONGLONG> lastPiece{0};  // when the last piece arrived: the deadline counts from it
};

void Form1::ServiceConnect() {
    const ServiceKind kind = options_.service.kind;
    if (kind == ServiceKind::Page) {
        return;
    }
    if (options_.credentials) {
        serviceKey_ = options_.credentials->Read(CredentialOf(kind));
    }
    if (!options_.connectEarly) {
        return;
    }
    // The request's own settings name the server, so that the early work is for the server the request goes to.
    velmora::ServiceRequest request;
    request.kind = kind;
    request.libreTranslateUrl = options_.service.libreTranslateUrl;
    request.chatUrl = options_.service.chatUrl;
    request.key = serviceKey_ ? &*serviceKey_ : nullptr;
    if (const std::wstring url = ServiceEndpoint(request); !url.empty()) {
        early_ = ConnectEarly(url);
    }
}

void Form1::ServiceRequest(const std::wstring& text) {
    const auto pair = LanguagesOfCode(common::ToU16(RequestCode));
    if (!pair) {
        // Every code the start-up accepts has its direction in the same table; this is only never a crash.
        decided_ = true;
        ReportFailure(kCannotStartText);
        return;
    }
    const ServiceKind kind = options_.service.kind;
    velmora::ServiceRequest request;
    if (options_.credentials && serviceKey_) {
        request.keyOrigin = options_.credentials->Origin(CredentialOf(kind));
    }
    request.kind = kind;
    request.libreTranslateUrl = options_.service.libreTranslateUrl;
    request.chatUrl = options_.service.chatUrl;
    request.chatModel = options_.service.chatModel;
    request.azureRegion = options_.service.azureRegion;
    request.early = std::move(early_);
    if (kind == ServiceKind::Chat) {
        streamed_ = std::make_shared<StreamedAnswer>();
        streamed_->lastPiece = GetTickCount64();
        request.progress = [streamed = streamed_, window = hwnd()](const std::wstring& visible) {
            streamed->lastPiece = GetTickCount64();
            streamed->text.Put(visible);
            if (!streamed->posted.exchange(true)) {
                PostMessageW(window, kServiceProgressMessage, 0, 0);
            }
        };
    }
    request.key = serviceKey_ ? &*serviceKey_ : nullptr;
    const LanguagePair languages = askedAgain_ ? LanguagePair{u"JA", u"EN"}
                                   : autoDirection_ ? autoDirection_->languages
                                                    : *pair;
    request.sourceLang = common::ToWide(languages.source);
    request.targetLang = common::ToWide(languages.target);
    request.text = text;
    serviceText_ = text;
    auto mailbox = std::make_shared<Mailbox<FetchResult>>();
    auto deliver = [mailbox, window = hwnd()](FetchResult answer) {
        mailbox->Put(std::move(answer));
        PostMessageW(window, kServiceCompleteMessage, 0, 0);
    };
    serviceAnswer_ = mailbox;
    StartPendingTimer();
    const bool started = StartServiceTranslation(request, deadline_, std::move(deliver));
    // The call holds what it needs; the key is wiped here as soon as no second request may need it.
    if (!autoDirection_ || !autoDirection_->sourceLeftToService || askedAgain_) {
        serviceKey_.reset();
    }
    if (!started) {
        decided_ = true;
        ReportFailure(kCannotStartText);
        return;
    }
    StartDeadlineTimer();
}

void Form1::ServiceRequest_Complete() {
    std::optional<FetchResult> answer = serviceAnswer_ ? serviceAnswer_->Take() : std::nullopt;
    if (!answer || decided_) {
        return;
    }
    // Japanese found in a text that went to Japanese: asked once more, from Japanese to English, in the same time.
    if (answer->ok && autoDirection_ && !askedAgain_ &&
        AskAgain(*autoDirection_, std::u16string(answer->detected.begin(), answer->detected.end()))) {
        KillTimer(hwnd(), kRequestDeadline);
        askedAgain_ = true;
        ServiceRequest(serviceText_);
        return;
    }
    serviceKey_.reset();
    if (!Decide()) {
        return;
    }
    KillTimer(hwnd(), kRequestDeadline);
    if (!answer->ok) {
        ReportFailure(answer->error);
        return;
    }
    // The popup shows Text3 as a page's raw cut, references decoded; the API's plain text keeps every "&" that way.
    Text3.clear();
    for (wchar_t c : answer->text) {
        Text3 += c == L'&' ? std::wstring(L"&amp;") : std::wstring(1, c);
    }
    Command3_Click();
}

void Form1::ServiceRequest_Progress() {
    if (!streamed_) {
        return;
    }
    streamed_->posted = false;  // first: a piece put from now on posts again
    std::optional<std::wstring> text = streamed_->text.Take();
    if (!text || decided_ || text->empty() || *text == streamedText_) {
        return;
    }
    streamedText_ = std::move(*text);
    const ULONGLONG since = GetTickCount64() - streamedShownAt_;
    if (since < kStreamRefreshMs) {
        SetTimer(hwnd(), kStreamTimer, static_cast<UINT>(kStreamRefreshMs - since), nullptr);
        return;
    }
    ShowStreamedText();
}

void Form1::ShowStreamedText() {
    KillTimer(hwnd(), kStreamTimer);
    if (decided_ || (pending_ && pending_->Dragging())) {
        return;
    }
    // The first text needs no wait: something to read is better than "翻訳中…".
    ShowPending();
    if (pending_) {
        pending_->ShowText(streamedText_);
        streamedShownAt_ = GetTickCount64();
    }
}

void Form1::ExciteRequest() {
    // In the background, as the browser loads, so that the pending bubble can show and answer the user meanwhile.
    auto mailbox = std::make_shared<Mailbox<FetchResult>>();
    auto deliver = [mailbox, window = hwnd()](FetchResult page) {
        mailbox->Put(std::move(page));
        PostMessageW(window, kExciteCompleteMessage, 0, 0);
    };
    if (!StartFetch(Text2, deadline_, std::move(deliver))) {
        decided_ = true;
        ReportFailure(kCannotStartText);
        return;
    }
    excitePage_ = std::move(mailbox);
    StartDeadlineTimer();
}

void Form1::ExciteRequest_Complete() {
    std::optional<FetchResult> page = excitePage_ ? excitePage_->Take() : std::nullopt;
    // Only our own fetch leaves a page; the same message from anywhere else finds none.
    if (!page || !Decide()) {
        return;
    }
    KillTimer(hwnd(), kRequestDeadline);
    if (!page->ok) {
        ReportFailure(page->error.empty() ? kPageNotLoadedText : page->error);
        return;
    }
    Text1 = std::move(page->text);
    ExtractAndHandOff(kExciteMarkers);
}

// A worker stuck in WinINet or in parsing never reports in time; this timer always does. It runs until the
// result is here, so the limit covers the request from its start to its result.
void Form1::StartDeadlineTimer() {
    SetTimer(hwnd(), kRequestDeadline, std::max<DWORD>(deadline_.LeftMs(), 1), nullptr);
}

void Form1::StartPendingTimer() {
    SetTimer(hwnd(), kPendingTimer, kPendingDelayMs, nullptr);
}

void Form1::PendingReleased() {
    // Posted: the outcome may destroy the pending bubble, whose drag handler is still on the stack.
    if (deferred_) {
        PostMessageW(hwnd(), kPendingReleasedMessage, 0, 0);
    }
}

bool Form1::DeferWhileDragged(std::function<void()> outcome) {
    if (!pending_ || !pending_->Dragging()) {
        return false;
    }
    // The first outcome stands (a deadline that passes during the drag does not replace the answer).
    if (!deferred_) {
        deferred_ = std::move(outcome);
    }
    return true;
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
    if (!WebBrowser1.Navigate(url, deadline_, hwnd())) {
        decided_ = true;
        ReportFailure(kPageLoadNotStartedText);
        return;
    }
    StartDeadlineTimer();
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
    Command3_Click();
}

void Form1::Command3_Click() {
    KillTimer(hwnd(), kPendingTimer);
    if (DeferWhileDragged([this] { Command3_Click(); })) {
        return;
    }
    if (!form2_) {
        form2_ = std::make_unique<Form2>(*this);
    }
    if (pending_) {
        // Loaded where the pending bubble stands, which leaves the screen just before the popup shows: one
        // bubble, no jump. It is destroyed only once the popup has taken the activation from it.
        form2_->Load(pending_->TopLeft());
        pending_->HideKeepingActivation();
    }
    if (!form2_->Show()) {
        // Without the popup nothing of the client would be left to end it.
        const DWORD error = GetLastError();
        ReportFailure(kPopupNotOpenedText + (error ? L"\n" + common::SystemErrorText(error) : L""));
        return;
    }
    pending_.reset();
}

void Form1::ReportFailure(const std::wstring& text) {
    // The pending bubble goes first: the report stands alone.
    KillTimer(hwnd(), kPendingTimer);
    if (DeferWhileDragged([this, text] { ReportFailure(text); })) {
        return;
    }
    if (pending_) {
        // Out of sight before the box shows, gone once the box has taken the activation (see kPendingGoneTimer).
        pending_->HideKeepingActivation();
        SetTimer(hwnd(), kPendingGoneTimer, 10, nullptr);
    }
    if (options_.reportFailure) {
        // A page request's report also says that the pages may be gone, and where a service that works is chosen.
        std::wstring report = text;
        if (options_.service.kind == ServiceKind::Page) {
            report += L"\n\n" + common::ToWide(PageMayHaveEndedText());
        } else if (const ServiceKind kind = options_.service.kind;
                   kind == ServiceKind::Google || kind == ServiceKind::Microsoft || kind == ServiceKind::Azure) {
            // These may change or stop without notice: the box says which one failed and where another is chosen.
            report += L"\n\n" + common::ToWide(ChooseAnotherServiceText(common::ToU16(RowOf(kind).name)));
        }
        options_.reportFailure(report);
    }
    KillTimer(hwnd(), kPendingGoneTimer);
    pending_.reset();
}

bool Form1::Decide() {
    return !std::exchange(decided_, true);
}

// Any program can close the hidden window. Before the result that would leave a client with no window running
// for ever, so the request ends as a failure; with the popup open it ends the client as the popup's Close does.
void Form1::Form_Close() {
    KillTimer(hwnd(), kRequestDeadline);
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

void Form1::ShowPopupMenu(HWND popup, std::optional<POINT> at) {
    if (!form3_) {
        form3_ = std::make_unique<Form3>(*this);
    }
    form3_->ShowMenu(popup, at);
}

LRESULT Form1::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case Browser::kCompleteMessage: {
            // Only our own load has a result to take; a result after the time-out is dropped.
            std::wstring failure;
            if (!WebBrowser1.TakeCompletion(failure) || !Decide()) {
                return 0;
            }
            KillTimer(hwnd(), kRequestDeadline);
            if (!failure.empty()) {
                ReportFailure(failure);
            } else {
                WebBrowser1_DocumentComplete();
            }
            return 0;
        }
        case kExciteCompleteMessage:
            ExciteRequest_Complete();
            return 0;
        case kServiceCompleteMessage:
            ServiceRequest_Complete();
            return 0;
        case kServiceProgressMessage:
            ServiceRequest_Progress();
            return 0;
        case kPendingReleasedMessage:
            if (auto outcome = std::exchange(deferred_, nullptr)) {
                outcome();
            }
            return 0;
        case WM_TIMER:
            if (wp == kPendingTimer) {
                ShowPending();
            } else if (wp == kPendingGoneTimer) {
                if (!pending_ || GetActiveWindow() != pending_->hwnd()) {
                    KillTimer(hwnd(), kPendingGoneTimer);
                    pending_.reset();
                }
            } else if (wp == kStreamTimer) {
                ShowStreamedText();
            } else if (wp == kRequestDeadline) {
                KillTimer(hwnd(), kRequestDeadline);
                // A streamed answer fails only after that long without a piece, however long it has been coming.
                if (streamed_ && !decided_) {
                    const ULONGLONG silent = GetTickCount64() - streamed_->lastPiece;
                    if (silent < options_.requestLimitMs) {
                        SetTimer(hwnd(), kRequestDeadline, static_cast<UINT>(options_.requestLimitMs - silent),
                                 nullptr);
                        return 0;
                    }
                }
                if (Decide()) {
                    ReportFailure(TimeoutText(options_.requestLimitMs));
                }
            }
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
