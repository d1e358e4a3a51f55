// Form1: the hidden worker window. It carries out the start's plan (core/StartPlan), runs the request and hands the
// result to the popup. It is never shown and has no taskbar button.
// Its names are the first design's:
//   Form_Load               reads the command line (or the selection) and starts the request
//   Text5 / Text2 / Text1   the argument text / the request URL / the page that came back
//   Text3                   the translation, raw as cut out of the page (an API's: its plain text)
//   WebBrowser1             the page fetch (win/net/Browser); _Navigate starts it, _DocumentComplete ends it
//   Label3_Click            cuts the translation out of the loaded page
//   Command3_Click          shows the translation in the popup (Form2)
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "common/Window.h"
#include "core/StartPlan.h"
#include "core/pages/Extract.h"
#include "core/selection/Selection.h"
#include "win/net/Browser.h"
#include "win/net/Fetch.h"
#include "win/bubble/PendingSlot.h"
#include "win/net/Worker.h"
#include "win/services/Credentials.h"
#include "win/services/ServiceRun.h"
#include "win/services/ServiceStore.h"

namespace velmora {

class Form2;
class Form3;

struct ClientOptions {
    DWORD requestLimitMs = 60000;
    ServiceHosts hosts;
    // How the client reports a failed request and how it ends; the program shows a box and exits, tests
    // record the call instead.
    std::function<void(const std::wstring&)> reportFailure;
    std::function<void(UINT exitCode)> endProgram;
    // How a selection start ("/selection CODE") reads the foreground program's selection; unset reads nothing.
    std::function<SelectionRead(HWND clipboardOwner)> readSelection;
    // The user's choice of service: the pages the code names, or one API that takes every code; and where its
    // key is read, at the moment of the request.
    ServiceChoice service{ServiceKind::Page};
    CredentialStore* credentials = nullptr;
    // An API's server is made ready while the selection is read (win/net/Fetch: ConnectEarly); the bench turns it
    // off to measure what it saves.
    bool connectEarly = true;
};

class Form1 : public common::Window {
public:
    explicit Form1(ClientOptions options);
    ~Form1() override;

    [[nodiscard]] bool Create();
    void Form_Load(const std::wstring& argumentText);
    void Command3_Click();
    void Label3_Click();

    // Ends the whole client at once (the popup's Close label and the menu's close item come here).
    void EndProgram(UINT exitCode = 0);
    // After a selection start: the popup's text in place of the selection, in the program it came from, and the
    // client ends; when that was refused, the popup comes back. Nothing after a start from the browser.
    void ReplaceSelection();
    [[nodiscard]] bool CanReplaceSelection() const { return origin_ != nullptr; }
    // The popup's menu, which belongs to the settings window: at the pointer, or at `at` when the keyboard asked.
    void ShowPopupMenu(HWND popup, std::optional<POINT> at = std::nullopt);
    [[nodiscard]] Form2* Popup() const { return form2_.get(); }
    [[nodiscard]] PendingBubble* Pending() const { return pending_.Get(); }
    // The text the popup shows: a page's cut with its references decoded, an API's translation as it came.
    [[nodiscard]] const std::wstring& PopupText() const { return popupText_; }
    // Which of the browser's requests the page start made (0: none, the Excite page).
    [[nodiscard]] int32_t BrowserRequestNumber() const { return BrowserRequest; }
    // The user has let go of the pending bubble: an outcome that came during the drag runs now.
    void PendingReleased();

    // The request's working values, as the first design keeps them.
    std::wstring Text5;            // the command line's argument text, as received
    std::wstring Text2;            // the request URL
    std::wstring Text1;            // the page that came back
    std::wstring Text3 = L"0\r\n";  // the translated text, raw as cut out of the page

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    // Starts the wait after which the pending bubble shows if the popup is not up yet, when the request is about to
    // go: after a selection start has read the selection, whose time is not the service's.
    void StartPendingTimer();
    void RunPlan(const StartPlan& plan);
    void ExciteRequest();
    void ExciteRequest_Complete();
    // The request to the chosen API instead of the page.
    void ServiceRequest_Complete();
    // A streamed answer has grown: shown in the pending bubble, at most every kStreamRefreshMs.
    void ShowStreamedText();
    void RequestDeadline_Timer();
    void Started(bool started, const wchar_t* failure);
    void ShowPending();
    void WebBrowser1_Navigate(const std::wstring& url);
    void WebBrowser1_DocumentComplete();
    void WebBrowser1_Complete();
    // Cuts the result out of Text1 and hands it to the popup; a page without the markers is a failed request.
    void ExtractAndHandOff(const Markers& markers);
    void ReportFailure(const std::wstring& text);
    // One outcome per request: true for the first of result, failure or time-out, false for any later one.
    [[nodiscard]] bool Decide();
    void Form_Close();
    void Timer(UINT_PTR id);

    std::wstring RequestCode;
    std::wstring RequestText;
    int32_t BrowserRequest = 0;
    std::wstring popupText_;
    ClientOptions options_;
    Deadline deadline_;
    bool decided_ = false;
    std::shared_ptr<Mailbox<FetchResult>> excitePage_;
    ServiceRun service_;
    Browser WebBrowser1;
    PendingSlot pending_;
    std::unique_ptr<Form2> form2_;
    std::unique_ptr<Form3> form3_;
    std::shared_ptr<SelectionOrigin> origin_;  // where a selection start read its text
};

}  // namespace velmora
