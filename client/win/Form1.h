// Form1: the hidden worker window. It takes the request from the command line, runs it and hands the result
// to the popup. It is never shown and has no taskbar button.
// Its names are the first design's:
//   Form_Load               reads the command line (or the selection) and starts the request
//   Text5 / Text2 / Text1   the argument text / the request URL / the page that came back
//   Text3                   the translation, raw as cut out of the page
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
#include "core/pages/Extract.h"
#include "core/pages/Request.h"
#include "core/selection/Direction.h"
#include "core/selection/Selection.h"
#include "win/net/Browser.h"
#include "win/net/Fetch.h"
#include "win/net/Worker.h"
#include "win/services/Credentials.h"
#include "win/services/ServiceStore.h"

namespace velmora {

class Form2;
class Form3;
class PendingBubble;
struct StreamedAnswer;

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
    ServiceChoice service;
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
    // The popup's menu, which belongs to the settings window: at the pointer, or at `at` when the keyboard asked.
    void ShowPopupMenu(HWND popup, std::optional<POINT> at = std::nullopt);
    [[nodiscard]] Form2* Popup() const { return form2_.get(); }
    [[nodiscard]] PendingBubble* Pending() const { return pending_.get(); }
    // Starts the wait after which the pending bubble shows if the popup is not up yet, when the request is about
    // to go: after a selection start has read the selection, whose time is not the service's. Called again, it
    // starts the wait over.
    void StartPendingTimer();
    // The user has let go of the pending bubble: an outcome that came during the drag runs now.
    void PendingReleased();

    // The request's working values, as the other windows read them.
    std::wstring Text5;            // the command line's argument text, as received
    std::wstring Text2;            // the request URL
    std::wstring Text1;            // the page that came back
    std::wstring Text3 = L"0\r\n";  // the translated text, raw as cut out of the page
    std::wstring RequestCode;
    std::wstring RequestText;
    int32_t BrowserRequest = 0;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void ExciteRequest();
    void ExciteRequest_Complete();
    // Before the text is known: the chosen API's key read and its server made ready (see ConnectEarly).
    void ServiceConnect();
    // The request to the chosen API instead of the page, with the text as it goes into the JSON body.
    void ServiceRequest(const std::wstring& text);
    void ServiceRequest_Complete();
    // A streamed answer has grown: shown in the pending bubble, at most every kStreamRefreshMs.
    void ServiceRequest_Progress();
    void ShowStreamedText();
    void StartDeadlineTimer();
    void ShowPending();
    // The pending bubble cannot go from under the user's hand: while it is dragged, the outcome waits.
    [[nodiscard]] bool DeferWhileDragged(std::function<void()> outcome);
    void WebBrowser1_Navigate(const std::wstring& url);
    void WebBrowser1_DocumentComplete();
    // Cuts the result out of Text1 and hands it to the popup; a page without the markers is a failed request.
    void ExtractAndHandOff(const Markers& markers);
    void ReportFailure(const std::wstring& text);
    // One outcome per request: true for the first of result, failure or time-out, false for any later one.
    [[nodiscard]] bool Decide();
    void Form_Close();

    ClientOptions options_;
    Deadline deadline_;
    bool decided_ = false;
    std::shared_ptr<Mailbox<FetchResult>> excitePage_;
    std::shared_ptr<Mailbox<FetchResult>> serviceAnswer_;
    std::optional<SecretText> serviceKey_;
    std::shared_ptr<EarlyConnection> early_;
    std::shared_ptr<StreamedAnswer> streamed_;
    // "/selection auto" with a service that finds the language: the languages asked for, and whether the text has
    // been asked for again from Japanese (then the text is kept for that).
    std::optional<ServiceDirection> autoDirection_;
    bool askedAgain_ = false;
    std::wstring serviceText_;
    std::wstring streamedText_;       // the latest text of a streamed answer, shown or about to be
    ULONGLONG streamedShownAt_ = 0;   // when the pending bubble last got it
    Browser WebBrowser1;
    std::unique_ptr<PendingBubble> pending_;
    std::function<void()> deferred_;
    std::unique_ptr<Form2> form2_;
    std::unique_ptr<Form3> form3_;
};

}  // namespace velmora
