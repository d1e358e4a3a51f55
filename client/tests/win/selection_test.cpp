// The real velmora.exe started as "/selection CODE" while a window of this test holds a focused Edit with selected
// text, against the stand-in service. Wine has no UI Automation client (CUIAutomation is not registered), so the
// text comes through the clipboard, except where a test registers the stand-in client of fake_automation.cpp.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "standin/Standin.h"
#include "win/Automation.h"

namespace {

using automation::Process;

constexpr UINT kSetClipboard = WM_APP + 1;
constexpr UINT kSelect = WM_APP + 2;
const std::wstring kKnownClipboard = L"known clipboard text 既知";
const std::string kCustomBytes("\x01\x00\xFF" "custom", 9);

struct Selection {
    const wchar_t* text;
    int start, end;
};

// A program of its own thread: a window with one Edit, the foreground window, the Edit focused. It also owns the
// clipboard contents the test starts with: text and a format of its own, to see that both come back.
class TargetProgram {
public:
    TargetProgram() {
        thread_ = std::thread([this] { Run(); });
        automation::WaitUntil([this] { return edit_.load() != nullptr; }, 5000);
    }
    ~TargetProgram() {
        PostMessageW(frame_, WM_CLOSE, 0, 0);
        thread_.join();
    }
    // In the ordinary window, or in one of the console's window class (a terminal, where Ctrl+C interrupts).
    void Select(const Selection& s, bool inTerminal = false) {
        SendMessageW(inTerminal ? terminal_ : frame_, kSelect, 0, reinterpret_cast<LPARAM>(&s));
    }
    void FillClipboard() { SendMessageW(frame_, kSetClipboard, 0, 0); }
    [[nodiscard]] ULONGLONG LastCopyTick() const { return lastCopy_; }
    [[nodiscard]] int Copies() const { return copies_; }

private:
    static LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<TargetProgram*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        switch (msg) {
            case kSelect: {
                const auto& s = *reinterpret_cast<const Selection*>(lp);
                HWND edit = GetWindow(hwnd, GW_CHILD);
                SetWindowTextW(edit, s.text);
                SetForegroundWindow(hwnd);
                SetFocus(edit);
                SendMessageW(edit, EM_SETSEL, s.start, s.end);
                return 0;
            }
            case kSetClipboard:
                self->PutClipboard();
                return 0;
            case WM_SYSCOMMAND:
                if ((wp & 0xFFF0) == SC_KEYMENU) {
                    return 0;  // a lone Alt must not start menu mode and swallow the keys that follow
                }
                break;
            case WM_CLOSE:
                DestroyWindow(self->terminal_);
                DestroyWindow(hwnd);
                return 0;
            case WM_DESTROY:
                if (hwnd == self->frame_) {
                    PostQuitMessage(0);
                }
                return 0;
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    static LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<TargetProgram*>(GetWindowLongPtrW(GetParent(hwnd), GWLP_USERDATA));
        if (msg == WM_COPY) {
            self->lastCopy_ = GetTickCount64();
            ++self->copies_;
        }
        return CallWindowProcW(self->editProc_, hwnd, msg, wp, lp);
    }
    void PutClipboard() {
        if (!automation::WaitUntil([&] { return OpenClipboard(frame_) != FALSE; }, 2000)) {
            return;
        }
        EmptyClipboard();
        const auto put = [](UINT format, const void* bytes, size_t size) {
            HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, size);
            memcpy(GlobalLock(g), bytes, size);
            GlobalUnlock(g);
            SetClipboardData(format, g);
        };
        put(CF_UNICODETEXT, kKnownClipboard.c_str(), (kKnownClipboard.size() + 1) * sizeof(wchar_t));
        put(RegisterClipboardFormatW(L"VelmoraTestFormat"), kCustomBytes.data(), kCustomBytes.size());
        CloseClipboard();
    }
    HWND MakeFrame(const wchar_t* className) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = FrameProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = className;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        RegisterClassW(&wc);
        HWND frame = CreateWindowExW(0, className, L"target", WS_POPUP | WS_BORDER | WS_VISIBLE, 100, 100, 500, 80,
                                     nullptr, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(frame, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        HWND edit = CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10, 10, 480, 30, frame,
                                    nullptr, wc.hInstance, nullptr);
        editProc_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TargetProgram::EditProc)));
        return frame;
    }
    void Run() {
        terminal_ = MakeFrame(L"ConsoleWindowClass");
        frame_ = MakeFrame(L"VelmoraSelectionTarget");
        edit_ = GetWindow(frame_, GW_CHILD);
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

    std::thread thread_;
    HWND frame_ = nullptr, terminal_ = nullptr;
    std::atomic<HWND> edit_{nullptr};
    WNDPROC editProc_ = nullptr;
    std::atomic<ULONGLONG> lastCopy_{0};
    std::atomic<int> copies_{0};
};

std::optional<std::string> ClipboardBytes(UINT format) {
    if (!automation::WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }, 2000)) {
        return std::nullopt;
    }
    std::optional<std::string> bytes;
    if (HANDLE data = GetClipboardData(format)) {
        bytes = std::string(static_cast<const char*>(GlobalLock(data)), GlobalSize(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return bytes;
}

std::wstring ClipboardText() {
    const auto bytes = ClipboardBytes(CF_UNICODETEXT);
    return bytes ? std::wstring(reinterpret_cast<const wchar_t*>(bytes->data())) : L"(none)";
}

// The user's clipboard, exactly as the target program left it.
void ExpectClipboardGivenBack(const char* what) {
    EXPECT_EQ(ClipboardText(), kKnownClipboard) << what;
    const auto custom = ClipboardBytes(RegisterClipboardFormatW(L"VelmoraTestFormat"));
    ASSERT_TRUE(custom.has_value()) << what;
    EXPECT_EQ(custom->substr(0, kCustomBytes.size()), kCustomBytes) << what;
}

class SelectionStart : public testing::Test {
protected:
    static void SetUpTestSuite() {
        server_ = new standin::Server;
        ASSERT_TRUE(server_->Start());
        target_ = new TargetProgram;
    }
    static void TearDownTestSuite() {
        delete target_;
        delete server_;
    }

    Process Start(const std::wstring& argument, const std::wstring& fakeAutomation = L"none") {
        const std::wstring line = L"\"" + automation::WindowsPath(VELMORA_CLIENT_EXE) + L"\" " + argument;
        auto process = automation::Launch(line, {{L"VELMORA_EXCITE_HOST", server_->HostW()},
                                                 {L"VELMORA_INFOSEEK_HOST", server_->HostW()},
                                                 {L"VELMORA_FAKE_AUTOMATION", fakeAutomation}});
        EXPECT_TRUE(process.has_value());
        return process ? std::move(*process) : Process();
    }

    static std::wstring PopupText(const Process& client) {
        HWND popup = automation::WaitForWindow(client.Pid(), L"VelmoraForm2", L"Form2", 20000);
        for (HWND child : popup ? automation::Children(popup) : std::vector<HWND>{}) {
            if (automation::ClassName(child) == L"Edit") {
                return automation::WindowText(child);
            }
        }
        return L"(no popup)";
    }

    static standin::Server* server_;
    static TargetProgram* target_;
};

standin::Server* SelectionStart::server_ = nullptr;
TargetProgram* SelectionStart::target_ = nullptr;

TEST_F(SelectionStart, TranslatesExactlyTheSelectedTextAndGivesTheClipboardBack) {
    struct Case {
        const wchar_t* argument;
        Selection selection;
        std::string requestLine;
        const wchar_t* shown;
    };
    const std::string q = "&lang=JA&toolbar=yes&c_id=velmora&translate= HTTP/1.1";
    const Case cases[] = {
        {L"/selection EJhnA", {L"Say Hello world twice", 4, 15}, "GET /world/text/?wb_lp=ENJA&before=Hello%20world HTTP/1.1",
         L"こんにちは、世界"},
        // The infoseek codes go through the browser facility, as from the browser's menu.
        {L"/selection EJIFA", {L"Good morning", 0, 12},
         "GET /amitext/indexUTF8.jsp?langpair=1,2&sourceText=Good%20morning" + q, L"おはようございます"},
        {L"/selection JEIFA", {L"「こんにちは」", 1, 6},
         "GET /amitext/indexUTF8.jsp?langpair=2,1&sourceText=%E3%81%93%E3%82%93%E3%81%AB%E3%81%A1%E3%81%AF" + q,
         L"Hello"},
    };
    for (const Case& c : cases) {
        target_->FillClipboard();
        target_->Select(c.selection);
        Process client = Start(c.argument);
        EXPECT_EQ(PopupText(client), c.shown) << c.requestLine;
        ASSERT_FALSE(server_->RequestLines().empty());
        EXPECT_EQ(server_->RequestLines().back(), c.requestLine);
        ExpectClipboardGivenBack(c.requestLine.c_str());
    }
}

TEST_F(SelectionStart, NothingSelectedAsksForASelectionWithEveryCode) {
    const Selection none{L"nothing is selected here", 3, 3}, blanks{L"a     b", 1, 6};
    struct Case {
        const wchar_t* code;
        const Selection& selection;
    };
    const Case cases[] = {{L"EJhnA", none}, {L"JEhnA", none}, {L"EJIFA", none}, {L"JEIFA", none},
                          {L"KJIFA", none}, {L"JKIFA", none}, {L"EJhnA", blanks}, {L"EJIFA", blanks}};
    const size_t requests = server_->RequestLines().size();
    for (const Case& c : cases) {
        target_->FillClipboard();
        target_->Select(c.selection);
        Process client = Start(std::wstring(L"/selection ") + c.code);
        const auto box = automation::WaitForMessageBox(client.Pid(), 20000);
        ASSERT_TRUE(box.has_value()) << c.code;
        EXPECT_EQ(box->title, L"注意");
        EXPECT_EQ(box->text, L"範囲を選択してください");
        EXPECT_TRUE(automation::ShowsIcon(box->iconControl, LoadIconW(nullptr, IDI_EXCLAMATION))) << c.code;
        automation::PressButton(box->hwnd, IDOK);
        DWORD code = 1;
        EXPECT_TRUE(client.WaitExit(10000, &code));
        EXPECT_EQ(code, 0u);
        ExpectClipboardGivenBack("nothing selected");
    }
    EXPECT_EQ(server_->RequestLines().size(), requests);
}

TEST_F(SelectionStart, AnUnknownCodeAfterTheSwitchEndsAtOnceAndCopiesNothing) {
    for (const wchar_t* argument : {L"/selection ejhna", L"/selection EJhnAHello", L"/selection", L"/other EJhnA"}) {
        target_->Select({L"Hello", 0, 5});
        const int copies = target_->Copies();
        Process client = Start(argument);
        bool sawWindow = false;
        EXPECT_TRUE(automation::WaitUntil(
            [&] {
                sawWindow = sawWindow || !automation::TopLevelWindows(client.Pid(), true).empty();
                return !client.Running();
            },
            10000));
        EXPECT_FALSE(sawWindow);
        EXPECT_EQ(target_->Copies(), copies);
    }
}

// Ctrl+C in a terminal without a selection would interrupt the user's running program: no copy is sent there.
TEST_F(SelectionStart, ATerminalGetsNoCtrlC) {
    target_->FillClipboard();
    target_->Select({L"Hello world", 0, 11}, true);
    const int copies = target_->Copies();
    const DWORD sequence = GetClipboardSequenceNumber();
    Process client = Start(L"/selection EJhnA");
    const auto box = automation::WaitForMessageBox(client.Pid(), 20000);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, L"範囲を選択してください");
    automation::PressButton(box->hwnd, IDOK);
    EXPECT_TRUE(client.WaitExit(10000));
    EXPECT_EQ(target_->Copies(), copies);
    EXPECT_EQ(GetClipboardSequenceNumber(), sequence);
}

// The shortcut key is often still down when the client starts; the copy must wait for its release.
TEST_F(SelectionStart, CopiesOnlyAfterTheShortcutsModifiersAreReleased) {
    const auto keys = [](bool down) {
        INPUT in[2] = {};
        const WORD vk[2] = {VK_CONTROL, VK_MENU};
        for (int i = 0; i < 2; ++i) {
            in[i].type = INPUT_KEYBOARD;
            in[i].ki.wVk = vk[down ? i : 1 - i];
            in[i].ki.wScan = static_cast<WORD>(MapVirtualKeyW(in[i].ki.wVk, MAPVK_VK_TO_VSC));
            in[i].ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
        }
        SendInput(2, in, sizeof(INPUT));
    };
    target_->FillClipboard();
    target_->Select({L"Thank you very much", 0, 19});
    keys(true);
    Process client = Start(L"/selection EJhnA");
    // Its hidden worker window exists just before it reads the selection.
    EXPECT_TRUE(automation::WaitUntil(
        [&] { return !automation::TopLevelWindows(client.Pid(), false).empty() || !client.Running(); }, 10000));
    Sleep(300);
    const ULONGLONG released = GetTickCount64();
    keys(false);
    EXPECT_EQ(PopupText(client), L"どうもありがとうございます");
    EXPECT_GE(target_->LastCopyTick(), released);
    ExpectClipboardGivenBack("held modifiers");
}

// The stand-in UI Automation client, registered for the class for the length of one test.
class FakeAutomationRegistered {
public:
    FakeAutomationRegistered() {
        HKEY key = nullptr;
        const std::wstring dll = automation::WindowsPath(FAKE_AUTOMATION_DLL);
        ok_ = RegCreateKeyExW(HKEY_LOCAL_MACHINE, (kKey + L"\\InprocServer32").c_str(), 0, nullptr, 0, KEY_WRITE,
                              nullptr, &key, nullptr) == ERROR_SUCCESS;
        if (ok_) {
            const std::wstring model = L"Both";
            RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(dll.c_str()),
                           static_cast<DWORD>((dll.size() + 1) * sizeof(wchar_t)));
            RegSetValueExW(key, L"ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>(model.c_str()),
                           static_cast<DWORD>((model.size() + 1) * sizeof(wchar_t)));
            RegCloseKey(key);
        }
    }
    ~FakeAutomationRegistered() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKey.c_str()); }
    [[nodiscard]] bool Ok() const { return ok_; }

private:
    inline static const std::wstring kKey = L"Software\\Classes\\CLSID\\{FF48DBA4-60EF-4201-AA87-54103EEF594E}";
    bool ok_ = false;
};

// The focused element's text pattern comes first and leaves the clipboard alone; a password box, a blank selection
// or no text pattern fall back to the copy.
TEST_F(SelectionStart, UiAutomationsSelectionComesFirstAndLeavesTheClipboardAlone) {
    FakeAutomationRegistered registered;
    ASSERT_TRUE(registered.Ok());
    struct Case {
        const wchar_t* fake;
        std::string sent;  // the text as the request line carries it
        bool copied;
    };
    const Case cases[] = {
        {L"text:Good morning", "Good%20morning", false},
        // As the control reports it: no line break is dropped from this way's text.
        {L"text: Good morning\r\n", "%20Good%20morning%0D%0A", false},
        {L"password:Good morning", "Hello%20world", true},
        {L"text: \r\n\u3000", "Hello%20world", true},
        {L"none", "Hello%20world", true},
    };
    for (const Case& c : cases) {
        target_->FillClipboard();
        target_->Select({L"Hello world", 0, 11});
        const int copies = target_->Copies();
        const DWORD sequence = GetClipboardSequenceNumber();
        Process client = Start(L"/selection EJhnA", c.fake);
        EXPECT_NE(PopupText(client), L"(no popup)") << c.fake;
        ASSERT_FALSE(server_->RequestLines().empty());
        EXPECT_EQ(server_->RequestLines().back(), "GET /world/text/?wb_lp=ENJA&before=" + c.sent + " HTTP/1.1");
        EXPECT_EQ(target_->Copies(), copies + (c.copied ? 1 : 0)) << c.fake;
        if (!c.copied) {
            EXPECT_EQ(GetClipboardSequenceNumber(), sequence) << c.fake;
        }
        ExpectClipboardGivenBack("automation");
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
