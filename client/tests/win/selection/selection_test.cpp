// The real velmora.exe started as "/selection CODE" while a window of this test holds a focused Edit with selected
// text, against the stand-in service. Wine has no UI Automation client (CUIAutomation is not registered), so the
// text comes through the clipboard, except where a test registers the stand-in client of fake_automation.cpp.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include "UiDriver.h"

namespace {

using automation::Process;

constexpr UINT kRun = WM_APP + 1;
const std::wstring kKnownClipboard = L"known clipboard text 既知";
const std::string kCustomBytes("\x01\x00\xFF" "custom", 9);
const UINT kCustomFormat = RegisterClipboardFormatW(L"VelmoraTestFormat");

struct Selection {
    const wchar_t* text;
    int start, end;
};

const UINT kDelayedFormat = RegisterClipboardFormatW(L"VelmoraTestDelayed");

std::atomic<int> g_copies{0};
// The next time the target's Edit gets the focus (or Ctrl goes down in it), it hands the front to the Edit in its
// terminal window, as a program that puts up a window of its own when it is activated (or at the last moment).
enum class GiveAway { Never, OnFocus, OnCtrl };
std::atomic<GiveAway> g_giveAwayFront{GiveAway::Never};
std::atomic<ULONGLONG> g_lastCopy{0};
WNDPROC g_editProc = nullptr;
// A busy program: the copy lands this long after Ctrl+C. A slow owner: a delayed format is rendered this late
// (never, at kNeverRendered).
DWORD g_copyDelayMs = 0;
DWORD g_renderDelayMs = 0;
constexpr DWORD kNeverRendered = MAXDWORD;
constexpr UINT_PTR kLateCopyTimer = 77;

// How the target answers Ctrl+C: as an Edit; as an editor copying its whole line for nothing selected (marked as
// Visual Studio marks it); with its text rendered only when asked for; not at all, while another program
// (OtherProgram) writes the clipboard at that moment; with no owner (OpenClipboard(NULL)); or through a process of
// its own (ChildCopy), as WebView2 content copies for the program that hosts it.
enum class CopyAs { Edit, WholeLine, RenderedLater, OtherProgram, NoOwner, ChildProcess };
CopyAs g_copyAs = CopyAs::Edit;
const std::wstring kOtherText = L"another program's text";
const wchar_t* const kOtherWrites = L"Local\\VelmoraTestOtherProgramWrites";
const std::wstring kCopiedText = L"Hello world";
const wchar_t* const kChildWrites = L"Local\\VelmoraTestChildCopyWrites";

// Another program (this test program started again, through a launcher so that it is no process of the target's)
// or the target's own child: writes its text from a window of its own each time the event is set, until the test
// program `waitFor` (when given) ends.
int RunOtherProgram(const wchar_t* event, const std::wstring& text, DWORD waitFor) {
    HANDLE handles[2] = {CreateEventW(nullptr, FALSE, FALSE, event),
                         waitFor ? OpenProcess(SYNCHRONIZE, FALSE, waitFor) : nullptr};
    HWND window = CreateWindowExW(0, L"Static", L"other", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    for (;;) {
        const DWORD woken = MsgWaitForMultipleObjects(handles[1] ? 2 : 1, handles, FALSE, INFINITE, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0 + 1) {
            return 0;
        }
        if (woken == WAIT_OBJECT_0) {
            if (automation::WaitUntil([&] { return OpenClipboard(window) != FALSE; }, 2000)) {
                EmptyClipboard();
                const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
                HGLOBAL g = GlobalAlloc(GHND, bytes);
                memcpy(GlobalLock(g), text.c_str(), bytes);
                GlobalUnlock(g);
                SetClipboardData(CF_UNICODETEXT, g);
                CloseClipboard();
            }
        }
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        }
    }
}

// A program of its own thread: a focused top-level Edit, and an Edit in a window of the console's class (a
// terminal, where Ctrl+C interrupts). It also owns the clipboard contents the test starts with: text and a format
// of its own.
class TargetProgram {
public:
    TargetProgram() : thread_([this] { Run(); }) {
        automation::WaitUntil([this] { return ready_.load(); }, 5000);
    }
    ~TargetProgram() {
        On([] { PostQuitMessage(0); });
        thread_.join();
    }
    [[nodiscard]] std::wstring Text(bool inTerminal = false) const { return automation::WindowText(edits_[inTerminal]); }
    // The Edit goes and another takes its place: the window the text was selected in is gone.
    void CloseEdit() {
        On([this] {
            HWND old = edits_[0];
            edits_[0] = MakeEdit(nullptr);
            DestroyWindow(old);
        });
    }
    void Select(const Selection& s, bool inTerminal = false) {
        On([&] {
            HWND edit = edits_[inTerminal ? 1 : 0];
            SetWindowTextW(edit, s.text);
            SetForegroundWindow(GetAncestor(edit, GA_ROOT));
            SetFocus(edit);
            SendMessageW(edit, EM_SETSEL, s.start, s.end);
        });
    }
    // `largeBytes`: one more format of that size; `delayed`: one more format rendered only when asked for.
    void FillClipboard(size_t largeBytes = 0, bool delayed = false) {
        On([this, largeBytes, delayed] {
            if (!automation::WaitUntil([&] { return OpenClipboard(edits_[0]) != FALSE; }, 2000)) {
                return;
            }
            EmptyClipboard();
            put(CF_UNICODETEXT, kKnownClipboard.c_str(), (kKnownClipboard.size() + 1) * sizeof(wchar_t));
            put(kCustomFormat, kCustomBytes.data(), kCustomBytes.size());
            if (largeBytes) {
                put(kCustomFormat + 1, nullptr, largeBytes);
            }
            if (delayed) {
                SetClipboardData(kDelayedFormat, nullptr);
            }
            CloseClipboard();
        });
    }

private:
    static void put(UINT format, const void* bytes, size_t size) {
        HGLOBAL g = GlobalAlloc(GHND, size);
        if (bytes) {
            memcpy(GlobalLock(g), bytes, size);
            GlobalUnlock(g);
        }
        SetClipboardData(format, g);
    }
    void On(const std::function<void()>& f) { SendMessageW(edits_[0], kRun, 0, reinterpret_cast<LPARAM>(&f)); }
    static LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == kRun) {
            (*reinterpret_cast<const std::function<void()>*>(lp))();
            return 0;
        }
        if (msg == WM_SYSCOMMAND && (wp & 0xFFF0) == SC_KEYMENU) {
            return 0;  // a lone Alt must not start menu mode and swallow the keys that follow
        }
        if (msg == WM_COPY && g_copyDelayMs) {
            static UINT_PTR next = 0;  // a timer each, so that two copies asked for close together both land
            SetTimer(hwnd, kLateCopyTimer + next++ % 8, g_copyDelayMs, nullptr);
            return 0;
        }
        if (msg == WM_TIMER && wp - kLateCopyTimer < 8) {
            KillTimer(hwnd, wp);
            msg = WM_COPY;
        }
        if (msg == WM_COPY) {
            g_lastCopy = GetTickCount64();
            ++g_copies;
            if (g_copyAs != CopyAs::Edit) {
                CopyOtherwise(hwnd);
                return 0;
            }
        }
        GiveAway when = msg == WM_SETFOCUS                         ? GiveAway::OnFocus
                              : msg == WM_KEYDOWN && wp == VK_CONTROL ? GiveAway::OnCtrl
                                                                      : GiveAway::Never;
        if (when != GiveAway::Never && g_giveAwayFront.compare_exchange_strong(when, GiveAway::Never)) {
            const LRESULT result = CallWindowProcW(g_editProc, hwnd, msg, wp, lp);
            HWND other = FindWindowW(L"ConsoleWindowClass", L"terminal");
            SetForegroundWindow(other);
            SetFocus(GetWindow(other, GW_CHILD));  // an Edit there would paste what reached it
            return result;
        }
        if (msg == WM_RENDERFORMAT) {
            if (g_renderDelayMs != kNeverRendered) {
                Sleep(g_renderDelayMs);
                const std::wstring text = L"Hello world";
                wp == CF_UNICODETEXT ? put(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t))
                                     : put(static_cast<UINT>(wp), "late", 4);
            }
            return 0;
        }
        return CallWindowProcW(g_editProc, hwnd, msg, wp, lp);
    }
    static void CopyOtherwise(HWND edit) {
        if (g_copyAs == CopyAs::OtherProgram || g_copyAs == CopyAs::ChildProcess) {
            HANDLE writes =
                OpenEventW(EVENT_MODIFY_STATE, FALSE, g_copyAs == CopyAs::OtherProgram ? kOtherWrites : kChildWrites);
            SetEvent(writes);
            CloseHandle(writes);
            return;
        }
        if (!automation::WaitUntil(
                [&] { return OpenClipboard(g_copyAs == CopyAs::NoOwner ? nullptr : edit) != FALSE; }, 2000)) {
            return;
        }
        EmptyClipboard();
        if (g_copyAs == CopyAs::NoOwner) {
            put(CF_UNICODETEXT, kCopiedText.c_str(), (kCopiedText.size() + 1) * sizeof(wchar_t));
        } else if (g_copyAs == CopyAs::RenderedLater) {
            SetClipboardData(CF_UNICODETEXT, nullptr);
        } else {
            const std::wstring line = L"the whole line\r\n";
            put(CF_UNICODETEXT, line.c_str(), (line.size() + 1) * sizeof(wchar_t));
            put(RegisterClipboardFormatW(L"VisualStudioEditorOperationsLineCutCopyClipboardTag"), "\x01", 1);
        }
        CloseClipboard();
    }
    static HWND MakeEdit(HWND parent) {
        HWND edit = CreateWindowExW(0, L"Edit", L"", (parent ? WS_CHILD : WS_POPUP | WS_BORDER) | WS_VISIBLE, 100,
                                    100, 480, 30, parent, nullptr, nullptr, nullptr);
        g_editProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(edit, GWLP_WNDPROC, LONG_PTR(&EditProc)));
        return edit;
    }
    void Run() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.lpszClassName = L"ConsoleWindowClass";
        RegisterClassW(&wc);
        HWND terminal = CreateWindowExW(0, wc.lpszClassName, L"terminal", WS_POPUP | WS_VISIBLE, 0, 0, 700, 200,
                                        nullptr, nullptr, nullptr, nullptr);
        edits_[1] = MakeEdit(terminal);
        edits_[0] = MakeEdit(nullptr);
        ready_ = true;
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        DestroyWindow(edits_[0]);
        DestroyWindow(terminal);
    }

    HWND edits_[2] = {};
    std::atomic<bool> ready_{false};
    std::thread thread_;
};

// The user's clipboard, exactly as the target program left it.
void ExpectClipboardGivenBack(const std::string& what) {
    EXPECT_EQ(uidriver::ClipboardText(), kKnownClipboard) << what;
    std::string custom = "(none)";
    if (uidriver::OpenTheClipboard()) {
        if (HANDLE data = GetClipboardData(kCustomFormat)) {
            const size_t size = std::min<size_t>(GlobalSize(data), kCustomBytes.size());
            custom.assign(static_cast<const char*>(GlobalLock(data)), size);
            GlobalUnlock(data);
        }
        CloseClipboard();
    }
    EXPECT_EQ(custom, kCustomBytes) << what;
}

// The marks that keep contents put back out of the clipboard history and the cloud clipboard.
bool KeptOutOfHistory() {
    if (!uidriver::OpenTheClipboard()) {
        return false;
    }
    bool kept = true;
    for (const wchar_t* name : {L"ExcludeClipboardContentFromMonitorProcessing", L"CanIncludeInClipboardHistory",
                                L"CanUploadToCloudClipboard"}) {
        HANDLE data = GetClipboardData(RegisterClipboardFormatW(name));
        kept = kept && data && GlobalSize(data) >= 4 && *static_cast<const DWORD*>(GlobalLock(data)) == 0;
        GlobalUnlock(data);
    }
    CloseClipboard();
    return kept;
}

// Ctrl and Alt, as a shortcut key leaves them, down or up through the system's input.
void CtrlAlt(DWORD upOrDown) {
    for (WORD vk : {VK_CONTROL, VK_MENU}) {
        INPUT in{INPUT_KEYBOARD};
        in.ki = {vk, static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)), upOrDown};
        SendInput(1, &in, sizeof in);
    }
}

class SelectionStart : public testing::Test {
protected:
    static void SetUpTestSuite() {
        server_ = new standin::Server;
        ASSERT_TRUE(server_->StartTls());
        target_ = new TargetProgram;
        otherWrites_ = CreateEventW(nullptr, FALSE, FALSE, kOtherWrites);
        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        const std::wstring program = L"\"" + std::wstring(self) + L"\"";
        const Process launcher =
            automation::Launch(program + L" --start-other " + std::to_wstring(GetCurrentProcessId())).value();
        EXPECT_TRUE(launcher.WaitExit(10000));
        child_ = new Process(automation::Launch(program + L" --child-copy").value());
    }
    static void TearDownTestSuite() {
        delete child_;
        CloseHandle(otherWrites_);
        delete target_;
        delete server_;
    }

    // The target selects the text and fills the clipboard (then at `sequence_`).
    static void Prepare(const Selection& s, bool terminal = false, size_t largeBytes = 0, bool delayed = false) {
        target_->FillClipboard(largeBytes, delayed);
        target_->Select(s, terminal);
        sequence_ = GetClipboardSequenceNumber();
    }
    static Process Launch(const std::wstring& argument, const wchar_t* fake = L"none") {
        auto process = automation::Launch(L"\"" + automation::WindowsPath(VELMORA_CLIENT_EXE) + L"\" " + argument,
                                          {{L"VELMORA_EXCITE_HOST", server_->HostW()},
                                           {L"VELMORA_INFOSEEK_HOST", server_->HostW()},
                                           {L"VELMORA_DEEPL_HOST", server_->TlsHostW()},
                                           {L"VELMORA_GOOGLE_HOST", server_->TlsHostW()},
                                           {L"VELMORA_FAKE_AUTOMATION", fake}});
        EXPECT_TRUE(process.has_value());
        return process ? std::move(*process) : Process();
    }
    static Process Start(const std::wstring& argument, const Selection& s, const wchar_t* fake = L"none",
                         bool terminal = false) {
        Prepare(s, terminal);
        return Launch(argument, fake);
    }

    inline static standin::Server* server_ = nullptr;
    inline static TargetProgram* target_ = nullptr;
    inline static DWORD sequence_ = 0;
    inline static Process* child_ = nullptr;
    inline static HANDLE otherWrites_ = nullptr;
};

// The stand-in UI Automation client, registered for the class for the length of one test.
struct FakeAutomationRegistered {
    const std::wstring key = L"Software\\Classes\\CLSID\\{FF48DBA4-60EF-4201-AA87-54103EEF594E}";
    bool Set(const wchar_t* name, const std::wstring& value) const {
        return RegSetKeyValueW(HKEY_LOCAL_MACHINE, (key + L"\\InprocServer32").c_str(), name, REG_SZ, value.c_str(),
                               static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }
    ~FakeAutomationRegistered() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str()); }
};

// Exactly the selected text is translated and the clipboard comes back. UI Automation's selection comes first and
// leaves the clipboard alone; "none" (no text pattern), a password box or a blank selection fall back to the copy.
TEST_F(SelectionStart, TranslatesExactlyTheSelectedTextAndGivesTheClipboardBack) {
    FakeAutomationRegistered registered;
    ASSERT_TRUE(registered.Set(nullptr, automation::WindowsPath(FAKE_AUTOMATION_DLL)) &&
                registered.Set(L"ThreadingModel", L"Both"));
    struct Case {
        const wchar_t* code;
        Selection selection;
        const wchar_t* fake;
        std::string requestLine;
        const wchar_t* shown;
        bool copied;
        const wchar_t* service = nullptr;  // the pages when none
        CopyAs copyAs = CopyAs::Edit;
        std::string firstLine = "";        // the request line before the last one, when there were two
    };
    const std::string excite = "GET /world/text/?wb_lp=ENJA&before=";
    const std::string google = "GET /translate_a/single?client=gtx&sl=";
    const std::string q = "&lang=JA&toolbar=yes&c_id=velmora&translate= HTTP/1.1";
    const Selection hello{L"Say Hello world twice", 4, 15};
    const Case cases[] = {
        {L"EJhnA", hello, L"none", excite + "Hello%20world HTTP/1.1", L"こんにちは、世界", true},
        // The infoseek codes go through the browser facility, as from the browser's menu.
        {L"EJIFA", {L"Good morning", 0, 12}, L"none",
         "GET /amitext/indexUTF8.jsp?langpair=1,2&sourceText=Good%20morning" + q, L"おはようございます", true},
        {L"JEIFA", {L"「こんにちは」", 1, 6}, L"none",
         "GET /amitext/indexUTF8.jsp?langpair=2,1&sourceText=%E3%81%93%E3%82%93%E3%81%AB%E3%81%A1%E3%81%AF" + q,
         L"Hello", true},
        {L"EJhnA", hello, L"text:Good morning", excite + "Good%20morning HTTP/1.1", L"おはようございます", false},
        // A multiple selection: its ranges as lines.
        {L"EJhnA", hello, L"text:Good|morning|", excite + "Good%0D%0Amorning%0D%0A HTTP/1.1",
         L"【訳】Good\r\nmorning\r\n", false},
        // As the control reports it: no line break is dropped from this way's text.
        {L"EJhnA", hello, L"text: Good morning\r\n", excite + "%20Good%20morning%0D%0A HTTP/1.1", L"おはようございます",
         false},
        {L"EJhnA", hello, L"text: \r\n\u3000", excite + "Hello%20world HTTP/1.1", L"こんにちは、世界", true},
        // A text pattern that shows no range, not even the caret, or a cell's: an empty selection there proves
        // nothing, and the copy is asked.
        {L"EJhnA", hello, L"noranges", excite + "Hello%20world HTTP/1.1", L"こんにちは、世界", true},
        {L"EJhnA", hello, L"cell:", excite + "Hello%20world HTTP/1.1", L"こんにちは、世界", true},
        // The direction from the text: English to Japanese, Japanese to English.
        {L"auto", hello, L"none", excite + "Hello%20world HTTP/1.1", L"こんにちは、世界", true},
        {L"auto", {L"「こんにちは」", 1, 6}, L"none",
         "GET /world/text/?wb_lp=JAEN&before=%E3%81%93%E3%82%93%E3%81%AB%E3%81%A1%E3%81%AF HTTP/1.1", L"Hello", true},
        // With a service chosen, the same selection goes to it.
        {L"EJIFA", {L"Good morning", 0, 12}, L"none", "POST /v2/translate HTTP/1.1", L"おはようございます", true,
         L"deepl"},
        {L"JEhnA", {L"「こんにちは」", 1, 6}, L"none", "POST /translate HTTP/1.1", L"Hello", true, L"libretranslate"},
        // A copy with no owner right after the keys, and one by a process the target started, are the selection.
        {L"EJhnA", {L"Hello world", 0, 11}, L"none", excite + "Hello%20world HTTP/1.1", L"こんにちは、世界", true,
         nullptr, CopyAs::NoOwner},
        {L"EJhnA", {L"Hello world", 0, 11}, L"none", excite + "Hello%20world HTTP/1.1", L"こんにちは、世界", true,
         nullptr, CopyAs::ChildProcess},
        // A service that finds the language: any language to Japanese, and Han characters that were Japanese
        // asked once more to English.
        {L"auto", {L"Bonjour tout le monde", 0, 21}, L"none",
         google + "auto&tl=ja&dt=t&q=Bonjour+tout+le+monde HTTP/1.1", L"皆さん、こんにちは", true, L"google"},
        {L"auto", {L"你好世界", 0, 4}, L"none", google + "auto&tl=ja&dt=t&q=%E4%BD%A0%E5%A5%BD%E4%B8%96%E7%95%8C HTTP/1.1",
         L"こんにちは、世界", true, L"google"},
        {L"auto", {L"漢字", 0, 2}, L"none", google + "ja&tl=en&dt=t&q=%E6%BC%A2%E5%AD%97 HTTP/1.1",
         L"Chinese characters", true, L"google", CopyAs::Edit, google + "auto&tl=ja&dt=t&q=%E6%BC%A2%E5%AD%97 HTTP/1.1"},
        {L"auto", {L"「こんにちは」", 1, 6}, L"none", google + "ja&tl=en&dt=t&q=%E3%81%93%E3%82%93%E3%81%AB%E3%81%A1%E3%81%AF HTTP/1.1",
         L"Hello", true, L"google"},
    };
    server_->SetExpectedKey("selection-key");
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VelmoraTest");
    for (const Case& c : cases) {
        std::optional<uidriver::SavedServiceSettings> saved;
        if (c.service) {
            saved.emplace();
            uidriver::ChooseService(c.service, L"http://" + server_->HostW(), L"selection-key");
        }
        const int copies = g_copies;
        g_copyAs = c.copyAs;
        const size_t before = server_->RequestLines().size();
        Process client = Start(L"/selection " + std::wstring(c.code), c.selection, c.fake);
        EXPECT_EQ(uidriver::PopupText(client.Pid()), c.shown) << c.fake << static_cast<int>(c.copyAs);
        g_copyAs = CopyAs::Edit;
        const auto lines = server_->RequestLines();
        EXPECT_EQ(lines.empty() ? "" : lines.back(), c.requestLine);
        if (c.service) {
            EXPECT_EQ(lines.size(), before + (c.firstLine.empty() ? 1 : 2)) << c.requestLine;
            EXPECT_EQ(c.firstLine.empty() || lines.size() < 2 ? "" : lines[lines.size() - 2], c.firstLine);
        }
        EXPECT_EQ(g_copies, copies + (c.copied ? 1 : 0)) << c.fake;
        if (!c.copied) {
            EXPECT_EQ(GetClipboardSequenceNumber(), sequence_) << c.fake;
        } else {
            EXPECT_TRUE(KeptOutOfHistory()) << c.requestLine;
        }
        ExpectClipboardGivenBack(c.requestLine);
        if (c.service) {
            EXPECT_EQ(server_->ApiRequests().back().problem, "");
        }
    }
    // No range is asked for more than the client keeps and one unit to know a longer selection by.
    DWORD asked = 0, size = sizeof asked;
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\VelmoraTest", L"GetTextLength", RRF_RT_REG_DWORD, nullptr,
                           &asked, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(asked, 32001u);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VelmoraTest");
}

// Nothing or only blanks selected, with every code, a terminal (where Ctrl+C would interrupt the running program),
// a password box, a selection too long for the service, a text pattern showing the caret with nothing selected, an
// editor's copy of its whole line, another program's text arriving instead of the copy, or a copied text rendered
// too late: the box, no request, the clipboard as it was, and no copy where one was never wanted.
TEST_F(SelectionStart, NothingSelectedAsksForASelectionWithEveryCode) {
    FakeAutomationRegistered registered;
    ASSERT_TRUE(registered.Set(nullptr, automation::WindowsPath(FAKE_AUTOMATION_DLL)) &&
                registered.Set(L"ThreadingModel", L"Both"));
    const Selection none{L"nothing is selected here", 3, 3}, blanks{L"a     b", 1, 6}, text{L"Hello world", 0, 11};
    const std::wstring words(5000, L'w');
    const Selection tooLong{words.c_str(), 0, 5000};
    const std::wstring moreWords(20000, L'w');
    const Selection tooLongForLibreTranslate{moreWords.c_str(), 0, 20000};
    struct Case {
        const wchar_t* code;
        const Selection& selection;
        bool terminal;
        const wchar_t* fake = L"none";
        std::wstring box = L"範囲を選択してください";  // the box's text begins so
        const wchar_t* service = nullptr;
        CopyAs copyAs = CopyAs::Edit;
    };
    const std::wstring nothing = L"範囲を選択してください";
    const Case cases[] = {{L"EJhnA", none, false},  {L"JEhnA", none, false},   {L"EJIFA", none, false},
                          {L"JEIFA", none, false},  {L"KJIFA", none, false},   {L"JKIFA", none, false},
                          {L"EJhnA", blanks, false}, {L"EJIFA", blanks, false}, {L"EJhnA", text, true},
                          {L"EJhnA", text, false, L"password:Good morning"},
                          {L"EJhnA", tooLong, false, L"none", L"選択範囲が長すぎます（5000 文字）。この文章で一度に翻訳できるのは "},
                          {L"EJhnA", tooLongForLibreTranslate, false, L"none",
                           L"選択範囲が長すぎます（20000 文字）。この文章で一度に翻訳できるのは 15821 文字までです。",
                           L"libretranslate"},
                          {L"EJhnA", none, false, L"text:"},
                          {L"EJhnA", text, false, L"none", nothing, nullptr, CopyAs::WholeLine},
                          {L"EJhnA", text, false, L"none", nothing, nullptr, CopyAs::OtherProgram},
                          {L"EJhnA", text, false, L"none", nothing, nullptr, CopyAs::RenderedLater}};
    const size_t requests = server_->RequestLines().size();
    const size_t apiRequests = server_->ApiRequests().size();
    for (const Case& c : cases) {
        std::optional<uidriver::SavedServiceSettings> saved;
        if (c.service) {
            saved.emplace();
            uidriver::ChooseService(c.service, L"http://" + server_->HostW(), L"selection-key");
        }
        const int copies = g_copies;
        g_copyAs = c.copyAs;
        g_renderDelayMs = c.copyAs == CopyAs::RenderedLater ? 2500 : 0;
        Process client = Start(L"/selection " + std::wstring(c.code), c.selection, c.fake, c.terminal);
        const auto box = automation::WaitForMessageBox(client.Pid(), 20000);
        g_copyAs = CopyAs::Edit;
        ASSERT_TRUE(box.has_value()) << c.code << static_cast<int>(c.copyAs);
        EXPECT_EQ(box->title, L"注意");
        EXPECT_EQ(box->text.substr(0, c.box.size()), c.box);
        EXPECT_TRUE(automation::ShowsIcon(box->iconControl, LoadIconW(nullptr, IDI_EXCLAMATION))) << c.code;
        automation::PressButton(box->hwnd, IDOK);
        DWORD code = 1;
        EXPECT_TRUE(client.WaitExit(10000, &code));
        EXPECT_EQ(code, 0u);
        g_renderDelayMs = 0;
        ExpectClipboardGivenBack("nothing selected " + std::to_string(static_cast<int>(c.copyAs)));
        if (c.terminal || c.fake[0] == L'p' || c.fake[0] == L't') {
            EXPECT_EQ(g_copies, copies);
            EXPECT_EQ(GetClipboardSequenceNumber(), sequence_);
        }
    }
    EXPECT_EQ(server_->RequestLines().size(), requests);
    EXPECT_EQ(server_->ApiRequests().size(), apiRequests);
}

TEST_F(SelectionStart, AnUnknownCodeAfterTheSwitchEndsAtOnceAndCopiesNothing) {
    for (const wchar_t* argument : {L"/selection ejhna", L"/selection EJhnAHello", L"/selection", L"/other EJhnA"}) {
        const int copies = g_copies;
        Process client = Start(argument, {L"Hello", 0, 5});
        bool sawWindow = false;
        EXPECT_TRUE(automation::WaitUntil(
            [&] {
                sawWindow = sawWindow || !automation::TopLevelWindows(client.Pid(), true).empty();
                return !client.Running();
            },
            10000));
        EXPECT_FALSE(sawWindow);
        EXPECT_EQ(g_copies, copies);
    }
}

// The box, its OK pressed, the client's end; then the clipboard as the user had it.
void AnswerBoxAndExpectClipboardBack(Process& client, const std::wstring& text, const std::string& what) {
    const auto box = automation::WaitForMessageBox(client.Pid(), 20000);
    ASSERT_TRUE(box.has_value()) << what;
    EXPECT_EQ(box->text, text) << what;
    automation::PressButton(box->hwnd, IDOK);
    EXPECT_TRUE(client.WaitExit(10000)) << what;
    ExpectClipboardGivenBack(what);
}

// A copy that lands after the client stopped waiting (900 ms): the user's clipboard comes back all the same, while
// the box is up or, if it is answered at once, before the client ends.
TEST_F(SelectionStart, ACopyThatLandsLateIsPutRight) {
    for (const bool answerAtOnce : {true, false}) {
        const int copies = g_copies;
        g_copyDelayMs = 900;
        Process client = Start(L"/selection EJhnA", {L"Hello world", 0, 11});
        const auto box = automation::WaitForMessageBox(client.Pid(), 20000);
        ASSERT_TRUE(box.has_value());
        EXPECT_EQ(box->text, L"範囲を選択してください");
        if (!answerAtOnce) {
            EXPECT_TRUE(automation::WaitUntil([&] { return g_copies > copies; }, 3000));
            Sleep(300);
            ExpectClipboardGivenBack("late copy, box still up");
        }
        automation::PressButton(box->hwnd, IDOK);
        EXPECT_TRUE(client.WaitExit(10000));
        g_copyDelayMs = 0;
        EXPECT_EQ(g_copies, copies + 1);
        ExpectClipboardGivenBack(answerAtOnce ? "late copy, box answered at once" : "late copy");
    }
}

// Another program that writes the clipboard after the client stopped waiting for the copy (the user's own Ctrl+C
// elsewhere, a clipboard tool) keeps its text: only the target's late copy is undone.
TEST_F(SelectionStart, AnotherProgramsChangeAfterTheWaitIsKept) {
    g_copyDelayMs = 900;
    g_copyAs = CopyAs::OtherProgram;
    const int copies = g_copies;
    Process client = Start(L"/selection EJhnA", {L"Hello world", 0, 11});
    const auto box = automation::WaitForMessageBox(client.Pid(), 20000);
    ASSERT_TRUE(box.has_value());
    EXPECT_TRUE(automation::WaitUntil([&] { return g_copies > copies; }, 3000));
    Sleep(500);
    automation::PressButton(box->hwnd, IDOK);
    EXPECT_TRUE(client.WaitExit(10000));
    g_copyDelayMs = 0;
    g_copyAs = CopyAs::Edit;
    EXPECT_EQ(uidriver::ClipboardText(), kOtherText);
}

// Two starts 40 ms apart take turns at the clipboard: neither sends the user's clipboard text, and it comes back.
TEST_F(SelectionStart, TwoStartsAtOnceTakeTurns) {
    g_copyDelayMs = 150;  // each copy lands a little after its key, as in a busy program
    Prepare({L"Hello world", 0, 11});
    const size_t requests = server_->RequestLines().size();
    Process first = Launch(L"/selection EJhnA");
    Sleep(40);
    Process second = Launch(L"/selection EJhnA");
    EXPECT_EQ(uidriver::PopupText(first.Pid()), L"こんにちは、世界");
    // The first one's popup may be in front by the time the second one would copy; then it asks for a selection.
    EXPECT_TRUE(automation::WaitUntil(
        [&] {
            return automation::WaitForMessageBox(second.Pid(), 0) ||
                   uidriver::PopupText(second.Pid(), 0) == L"こんにちは、世界";
        },
        20000));
    const auto lines = server_->RequestLines();
    EXPECT_GE(lines.size(), requests + 1);
    for (size_t i = requests; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i], "GET /world/text/?wb_lp=ENJA&before=Hello%20world HTTP/1.1");
    }
    first = Process();
    second = Process();
    Sleep(300);
    g_copyDelayMs = 0;
    ExpectClipboardGivenBack("two starts");
}

// Right before Ctrl+C: a terminal brought to the front meanwhile gets nothing; the usual box. (Keys still held then
// are decided by RefuseCopy's native test: Wine's keyboard sync with X forgets keys held through SendInput within
// the second the client waits.)
TEST_F(SelectionStart, NoCopyIntoAWindowThatCameToTheFrontMeanwhile) {
    const int copies = g_copies;
    const Selection text{L"Hello world", 0, 11};
    Prepare(text);
    CtrlAlt(0);
    Process client = Launch(L"/selection EJhnA");
    EXPECT_TRUE(automation::WaitUntil(
        [&] { return !automation::TopLevelWindows(client.Pid(), false).empty() || !client.Running(); }, 10000));
    target_->Select(text, true);
    Sleep(300);
    CtrlAlt(KEYEVENTF_KEYUP);
    AnswerBoxAndExpectClipboardBack(client, L"範囲を選択してください", "terminal in front");
    EXPECT_EQ(g_copies, copies);
    EXPECT_EQ(GetClipboardSequenceNumber(), sequence_);
}

// A clipboard that cannot be saved whole (a format beyond the size budget, a delayed format its owner renders only
// after the time budget or not at all) is never overwritten: no copy, a box that says why.
TEST_F(SelectionStart, AClipboardThatCannotBeSavedIsLeftAlone) {
    for (const auto& [largeBytes, renderDelayMs] :
         {std::pair<size_t, DWORD>{0, 2500}, {129u << 20, 0}, {0, kNeverRendered}}) {
        const int copies = g_copies;
        g_renderDelayMs = renderDelayMs;
        Prepare({L"Hello world", 0, 11}, false, largeBytes, renderDelayMs != 0);
        Process client = Launch(L"/selection EJhnA");
        AnswerBoxAndExpectClipboardBack(client, L"クリップボードの内容を失わずに選択範囲を読み取れませんでした",
                                        std::to_string(largeBytes));
        EXPECT_EQ(g_copies, copies);
        EXPECT_EQ(GetClipboardSequenceNumber(), sequence_);
        g_renderDelayMs = 0;
    }
}

// The shortcut key is often still down when the client starts; the copy must wait for its release.
TEST_F(SelectionStart, CopiesOnlyAfterTheShortcutsModifiersAreReleased) {
    Prepare({L"Thank you very much", 0, 19});
    // After the target came to the front and Wine has synced the keyboard with X for it (which forgets keys that
    // X never saw pressed): the keys go to it and stay down.
    Sleep(300);
    CtrlAlt(0);
    Process client = Launch(L"/selection EJhnA");
    // Its hidden worker window exists just before it reads the selection.
    EXPECT_TRUE(automation::WaitUntil(
        [&] { return !automation::TopLevelWindows(client.Pid(), false).empty() || !client.Running(); }, 10000));
    Sleep(300);
    const ULONGLONG released = GetTickCount64();
    CtrlAlt(KEYEVENTF_KEYUP);
    EXPECT_EQ(uidriver::PopupText(client.Pid()), L"どうもありがとうございます");
    EXPECT_GE(g_lastCopy, released);
    ExpectClipboardGivenBack("held modifiers");
}

// The popup's text in place of the selection, by Ctrl+Enter or the menu's item after the copy (at 96 and 144 dpi),
// and after a text read through UI Automation the same way; the user's clipboard comes back whole, kept out of
// the history.
TEST_F(SelectionStart, TheTranslationTakesThePlaceOfTheSelection) {
    FakeAutomationRegistered registered;
    ASSERT_TRUE(registered.Set(nullptr, automation::WindowsPath(FAKE_AUTOMATION_DLL)) &&
                registered.Set(L"ThreadingModel", L"Both"));
    const struct {
        bool menu;
        DWORD dpi;
        const wchar_t* fake;
    } cases[] = {{false, 96, L"none"}, {true, 96, L"none"}, {true, 144, L"none"}, {false, 96, L"text:Hello world"}};
    for (const auto& c : cases) {
        automation::SystemDpi dpi(c.dpi);
        Process client = Start(L"/selection EJhnA", {L"Say Hello world twice", 4, 15}, c.fake);
        ASSERT_EQ(uidriver::PopupText(client.Pid()), L"こんにちは、世界") << c.fake;
        HWND popup = automation::WaitForWindow(client.Pid(), L"VelmoraForm2", L"Form2", 1000);
        Sleep(300);
        if (c.menu) {
            POINT at{8, 40};
            ClientToScreen(popup, &at);
            automation::ClickAt(at, true);
            ASSERT_TRUE(automation::WaitUntil([&] { return !uidriver::OpenMenus(client.Pid()).empty(); }, 3000));
            uidriver::ClickMenuItem(uidriver::OpenMenus(client.Pid()).front(), 1, uidriver::kMenuItems + 1);
        } else {
            uidriver::Key(VK_RETURN, VK_CONTROL);
        }
        DWORD code = 1;
        EXPECT_TRUE(client.WaitExit(10000, &code)) << c.menu << c.dpi;
        EXPECT_EQ(code, 0u);
        EXPECT_EQ(target_->Text(), L"Say こんにちは、世界 twice") << c.menu << c.dpi << c.fake;
        EXPECT_TRUE(KeptOutOfHistory());
        ExpectClipboardGivenBack("replaced");
    }
}

// The window the text came from closed meanwhile, or another window in front when it is brought back or when the
// keys go: no program gets the text, the box says why, and the popup comes back.
TEST_F(SelectionStart, NothingIsPastedWhenTheWindowIsGoneOrAnotherIsInFront) {
    const Selection hello{L"Say Hello world twice", 4, 15};
    for (const GiveAway giveAway : {GiveAway::Never, GiveAway::OnFocus, GiveAway::OnCtrl}) {
        const bool gone = giveAway == GiveAway::Never;
        Process client = Start(L"/selection EJhnA", hello);
        ASSERT_EQ(uidriver::PopupText(client.Pid()), L"こんにちは、世界");
        Sleep(300);
        if (gone) {
            target_->CloseEdit();
        }
        g_giveAwayFront = giveAway;
        const DWORD sequence = GetClipboardSequenceNumber();
        const std::wstring inTerminal = target_->Text(true);
        uidriver::Key(VK_RETURN, VK_CONTROL);
        const auto box = automation::WaitForMessageBox(client.Pid(), 10000);
        g_giveAwayFront = GiveAway::Never;
        ASSERT_TRUE(box.has_value()) << gone;
        EXPECT_EQ(box->title, L"注意");
        EXPECT_EQ(box->text, gone ? L"選択範囲のあったウィンドウが閉じられたため、置き換えられませんでした"
                                  : L"選択範囲のあったウィンドウを前面に出せなかったため、置き換えませんでした");
        automation::PressButton(box->hwnd, IDOK);
        HWND popup = automation::WaitForWindow(client.Pid(), L"VelmoraForm2", L"Form2", 3000);
        EXPECT_TRUE(automation::WaitUntil([&] { return popup && IsWindowVisible(popup); }, 3000)) << gone;
        EXPECT_EQ(target_->Text(), gone ? L"" : hello.text);
        EXPECT_EQ(target_->Text(true), inTerminal);
        ExpectClipboardGivenBack(gone ? "gone" : "another in front");
        if (gone) {
            EXPECT_EQ(GetClipboardSequenceNumber(), sequence);
        }
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"--start-other" && argc > 2) {
        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        // Left running on its own (a Process here would end it with this one).
        std::wstring command = L"\"" + std::wstring(self) + L"\" --other-program " + argv[2];
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
            return 1;
        }
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
        return 0;
    }
    if (mode == L"--other-program" && argc > 2) {
        return RunOtherProgram(kOtherWrites, kOtherText, static_cast<DWORD>(_wtoi(argv[2])));
    }
    if (mode == L"--child-copy") {
        return RunOtherProgram(kChildWrites, kCopiedText, 0);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
