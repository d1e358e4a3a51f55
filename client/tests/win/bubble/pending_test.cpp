// The pending bubble and the keyboard of the real velmora.exe: a slow stand-in service, windows sampled every
// 50 ms, real keys and wheel through SendInput.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "UiDriver.h"
#include "common/Text.h"
#include "standin/Standin.h"
#include "win/Automation.h"

namespace {

using namespace uidriver;

const wchar_t* const kBothPaths[] = {L"EJhnAHello world", L"EJIFAHello world"};

class Pending : public ClientTest {
protected:
    void TearDown() override {
        server_->SetAnswerDelay(0);
        server_->SetFault(standin::Fault::None);
        server_->SetTranslation("");
        server_->SetChatStream(0, 20);
        ClientTest::TearDown();
    }

    ULONGLONG launched_ = 0;  // when the client was launched
    ULONGLONG ownStart_ = 0;  // when its hidden worker window existed (Wine's own start-up comes before that)

    // Starts the client with the pointer at (600, 500) and waits for its hidden worker window.
    bool Start(const std::wstring& argument) {
        // Moved as a user would: under Wine a SetCursorPos alone does not always reach a program started next.
        automation::MoveMouse({600, 500});
        SetCursorPos(600, 500);
        launched_ = GetTickCount64();
        const bool up = StartClient(argument) && automation::WaitForAnyWindow(client_.Pid(), L"VelmoraForm1", 20000);
        ownStart_ = GetTickCount64();
        return up;
    }

    HWND WaitForPending() { return automation::WaitForWindow(client_.Pid(), L"VelmoraPending", L"Velmora", 10000); }
};

// A window of another program (the test's), below the bubbles: the one the system activates when the client gives
// the activation away. Counts the times its program becomes the active one.
int g_otherActivations = 0;
LRESULT CALLBACK OtherProgram(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    g_otherActivations += msg == WM_ACTIVATEAPP && wp;
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// What is on screen of the client at one moment.
struct Sample {
    ULONGLONG at = 0;
    int otherActivations = 0;  // the other program's so far
    std::vector<HWND> pending;  // visible pending bubbles
    std::vector<HWND> popups;   // visible popups
    HWND box = nullptr;         // a visible message box
    RECT place{};               // where the first bubble stood
    std::wstring pendingText;   // what the pending bubble said
    [[nodiscard]] size_t Bubbles() const { return pending.size() + popups.size(); }
};

Sample Look(DWORD pid) {
    Sample s;
    s.at = GetTickCount64();
    s.otherActivations = g_otherActivations;
    for (HWND hwnd : automation::TopLevelWindows(pid, true)) {
        const std::wstring cls = automation::ClassName(hwnd);
        if (cls == L"VelmoraPending") {
            s.pending.push_back(hwnd);
            const std::vector<HWND> parts = automation::Children(hwnd);  // the title, the text, "Close"
            s.pendingText = parts.size() == 3 ? automation::WindowText(parts[1]) : L"";
        } else if (cls == L"VelmoraForm2") {
            s.popups.push_back(hwnd);
        } else if (cls == L"#32770") {
            s.box = hwnd;
        }
    }
    if (s.Bubbles() > 0) {
        s.place = PlaceOf(s.pending.empty() ? s.popups.front() : s.pending.front(), nullptr);
    }
    return s;
}

// Samples every 50 ms, at least once, until the popup or a message box shows (and `after` samples more), or the
// client ends.
std::vector<Sample> SampleUntilSettled(const automation::Process& client, DWORD timeoutMs, int after = 0) {
    std::vector<Sample> samples;
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    do {
        samples.push_back(Look(client.Pid()));
        after -= !samples.back().popups.empty() || samples.back().box;
        // The test's own windows answer meanwhile: the activation reaches them as messages.
        for (const ULONGLONG next = GetTickCount64() + 50; GetTickCount64() < next; Sleep(5)) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageW(&msg);
            }
        }
    } while (after >= 0 && GetTickCount64() < end && client.Running());
    return samples;
}

// An answer or a failure after 2 s, on both paths: the pending bubble, then the popup in its place or the report
// alone; never two of them on screen, and the activation passes from one to the other without another program
// getting it in between.
TEST_F(Pending, ASlowOutcomeShowsThePendingBubbleThenThePopupInItsPlaceOrTheReportAlone) {
    server_->SetAnswerDelay(2000);
    const WNDCLASSW other{0, OtherProgram, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, L"OtherProgram"};
    RegisterClassW(&other);
    CreateWindowExW(0, other.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 900, 100, 100, 0, 0, 0, nullptr);
    // The pages' two paths, and DeepL's.
    const std::pair<const wchar_t*, const wchar_t*> paths[] = {{kBothPaths[0], nullptr}, {kBothPaths[1], nullptr},
                                                               {kBothPaths[0], L"deepl"}};
    server_->SetExpectedKey("pending-key");
    for (const bool fails : {false, true}) {
        server_->SetFault(fails ? standin::Fault::Http500 : standin::Fault::None);
        for (const auto& [argument, service] : paths) {
            SCOPED_TRACE(testing::Message() << argument << (fails ? ", failing" : "") << (service ? ", DeepL" : ""));
            std::optional<SavedServiceSettings> saved;
            if (service) {
                saved.emplace();
                ChooseService(service, L"", L"pending-key");
            }
            ASSERT_TRUE(Start(argument));
            // A few samples after the outcome too: the pending bubble must not come back.
            const std::vector<Sample> samples = SampleUntilSettled(client_, 15000, 6);
            const Sample* firstPending = nullptr;
            RECT pendingRect{};
            for (const Sample& s : samples) {
                EXPECT_LE(s.Bubbles() + (s.box ? 1 : 0), 1u) << "at " << s.at - ownStart_ << " ms";
                if (!s.pending.empty()) {
                    firstPending = firstPending ? firstPending : &s;
                    pendingRect = s.place;  // the last place it had
                }
            }
            ASSERT_TRUE(firstPending);
            std::printf("%ls: pending bubble seen %llu ms after the launch, %llu ms after the client's own start\n",
                        argument, firstPending->at - launched_, firstPending->at - ownStart_);
            // From the client's own start: on a loaded machine Wine's start-up alone can take the whole bound.
            EXPECT_LE(firstPending->at - ownStart_, 600u);
            EXPECT_GE(firstPending->at - launched_, 400u);
            const Sample& last = samples.back();
            EXPECT_TRUE(last.pending.empty());
            EXPECT_EQ(last.otherActivations, firstPending->otherActivations);
            if (fails) {
                const auto box = automation::WaitForMessageBox(client_.Pid(), 5000);
                ASSERT_TRUE(box);
                EXPECT_NE(box->text.find(service ? L"HTTP 503" : L"HTTP 500"), std::wstring::npos) << box->text;
                EXPECT_FALSE(automation::WaitForAnyWindow(client_.Pid(), L"VelmoraPending", 0));  // not even hidden
                automation::PressButton(box->hwnd, IDOK);
                EXPECT_TRUE(client_.WaitExit(5000));
                continue;
            }
            ASSERT_EQ(last.popups.size(), 1u);
            HWND text = Child(last.popups.front(), L"Edit");
            EXPECT_EQ(automation::WindowText(text), L"こんにちは、世界");
            EXPECT_EQ(last.place, pendingRect);  // no jump
            // The keyboard has followed: Esc reaches the popup that took the pending bubble's place.
            EXPECT_EQ(FocusOf(last.popups.front()), text);
            Key(VK_ESCAPE);
            EXPECT_TRUE(client_.WaitExit(3000));
            client_ = automation::Process();
        }
    }
}

// A model's answer shows as it is written: the pending bubble carries the text so far (only ever more of it), grows
// without ever shrinking, its tail's tip fixed, and becomes the popup in its place once the answer is complete.
// Esc while it is written ends the client, at once even late in a long answer.
TEST_F(Pending, AStreamedAnswerGrowsInThePendingBubbleThenBecomesThePopup) {
    const SavedServiceSettings saved;
    ChooseService(L"openai", L"http://" + server_->HostW() + L"/v1");
    server_->SetExpectedKey("");
    std::string paragraph;
    for (int i = 0; i < 16; ++i) {
        paragraph += "今日はとても良い天気なので、公園まで散歩しました。";
    }
    server_->SetTranslation(paragraph);
    server_->SetChatStream(40, 50);
    ASSERT_TRUE(Start(L"EJhnAHello world"));
    std::vector<std::wstring> texts;
    std::vector<RECT> places;
    const std::vector<Sample> samples = SampleUntilSettled(client_, 15000, 2);
    for (const Sample& s : samples) {
        EXPECT_LE(s.Bubbles(), 1u);
        // (An empty text is a moment the client was too busy to answer the question.)
        if (!s.pending.empty() && !s.pendingText.empty()) {
            const std::wstring& text = s.pendingText;
            if (text != L"翻訳中…" && (texts.empty() || text != texts.back())) {
                texts.push_back(text);
            }
            places.push_back(s.place);
        }
    }
    const std::wstring whole = L"今日はとても良い天気なので、公園まで散歩しました。";
    ASSERT_GE(texts.size(), 5u) << "the text grows in steps";
    for (size_t i = 1; i < texts.size(); ++i) {
        EXPECT_TRUE(texts[i].starts_with(texts[i - 1]) && texts[i].size() > texts[i - 1].size())
            << i << " " << common::ToUtf8(texts[i - 1]) << " | " << common::ToUtf8(texts[i]);
    }
    for (size_t i = 1; i < places.size(); ++i) {
        EXPECT_EQ(places[i].left, places[0].left);
        EXPECT_EQ(places[i].bottom, places[0].bottom);
        EXPECT_GE(places[i].right, places[i - 1].right);
        EXPECT_LE(places[i].top, places[i - 1].top);
    }
    EXPECT_LT(places.back().top, places.front().top) << "it grew";
    const Sample& last = samples.back();
    ASSERT_EQ(last.popups.size(), 1u);
    EXPECT_EQ(automation::WindowText(Child(last.popups.front(), L"Edit")).substr(0, whole.size()), whole);
    EXPECT_EQ(last.place.left, places.back().left);
    EXPECT_EQ(last.place.bottom, places.back().bottom);
    EXPECT_EQ(FocusOf(last.popups.front()), Child(last.popups.front(), L"Edit"));
    client_ = automation::Process();

    // A long answer: the bubble is given only its latest text, a few KiB and never from the second half of a pair,
    // and Esc late in the stream still ends the client at once.
    std::string answer;
    for (int i = 0; i < 1500; ++i) {
        answer += "長い答えの" + std::to_string(i) + "文目です\U0001F600 ";
    }
    server_->SetTranslation(answer);
    server_->SetChatStream(600, 10);
    ASSERT_TRUE(Start(L"EJhnAHello world"));
    ASSERT_TRUE(WaitForPending());
    const std::wstring long_ = common::FromUtf8(answer);
    std::wstring shown;
    EXPECT_TRUE(automation::WaitUntil([&] {
        shown = Look(client_.Pid()).pendingText;
        const size_t at = shown.starts_with(L"…") ? long_.find(shown.substr(1)) : std::wstring::npos;
        return at != std::wstring::npos && at > long_.size() * 2 / 3;
    }, 15000)) << "the latest text shows";
    EXPECT_LE(shown.size(), 4097u);
    EXPECT_FALSE(shown.size() > 1 && shown[1] >= 0xDC00 && shown[1] <= 0xDFFF);
    const ULONGLONG pressed = GetTickCount64();
    Key(VK_ESCAPE);
    EXPECT_TRUE(client_.WaitExit(3000));
    EXPECT_LT(GetTickCount64() - pressed, 500u);
    client_ = automation::Process();
}

TEST_F(Pending, AnInstantAnswerNeverShowsIt) {
    for (const wchar_t* argument : kBothPaths) {
        ASSERT_TRUE(Start(argument));
        bool created = false;
        bool popup = false;
        // Polled tightly and hidden windows included, so that even a bubble that only flashed is seen.
        const ULONGLONG end = GetTickCount64() + 15000;
        while (!popup && GetTickCount64() < end && client_.Running()) {
            created = created || automation::WaitForAnyWindow(client_.Pid(), L"VelmoraPending", 0);
            popup = automation::WaitForWindow(client_.Pid(), L"VelmoraForm2", nullptr, 0);
            Sleep(2);
        }
        EXPECT_TRUE(popup) << argument;
        EXPECT_FALSE(created) << argument;
        Sleep(600);  // nothing comes after the popup either
        EXPECT_TRUE(Look(client_.Pid()).pending.empty());
        client_ = automation::Process();
    }
}

// The user holds the pending bubble while the answer (or the failure) comes: it stays under the hand, and the
// popup (or the report) follows the release, where the bubble was dropped. A long answer grows the popup from
// there: the tail's tip stays where the pending bubble's was.
TEST_F(Pending, AnOutcomeWaitsWhileTheUserHoldsTheBubble) {
    server_->SetAnswerDelay(1500);
    std::string paragraph;
    for (int i = 0; i < 16; ++i) {
        paragraph += "今日はとても良い天気なので、公園まで散歩しました。";
    }
    for (const auto& [fails, answer] : {std::pair{false, std::string()}, {true, std::string()}, {false, paragraph}}) {
        server_->SetFault(fails ? standin::Fault::Http500 : standin::Fault::None);
        server_->SetTranslation(answer);
        ASSERT_TRUE(Start(L"EJhnAHello world"));
        HWND pending = WaitForPending();
        ASSERT_TRUE(pending);
        Sleep(100);
        RECT dropped = PlaceOf(pending, nullptr);
        OffsetRect(&dropped, -50, 30);
        const POINT title = Center(ChildWithText(pending, L"翻訳結果"));
        const POINT to{title.x - 50, title.y + 30};
        automation::Press(title, automation::Button::Left);
        automation::MoveMouse({title.x - 25, title.y + 15});
        automation::MoveMouse(to);
        Sleep(2500);
        const Sample held = Look(client_.Pid());
        EXPECT_EQ(held.pending.size(), 1u) << fails;
        EXPECT_TRUE(held.popups.empty() && !held.box) << fails;
        automation::Release(to, automation::Button::Left);
        const Sample last = SampleUntilSettled(client_, 5000).back();
        if (fails) {
            EXPECT_TRUE(last.box && last.Bubbles() == 0) << "report alone";
        } else {
            ASSERT_EQ(last.popups.size(), 1u);
            EXPECT_TRUE(last.pending.empty());
            if (answer.empty()) {
                EXPECT_EQ(last.place, dropped);
            } else {
                EXPECT_EQ(last.place.left, dropped.left);
                EXPECT_EQ(last.place.bottom, dropped.bottom);
                EXPECT_GT(last.place.right, dropped.right);
                EXPECT_LT(last.place.top, dropped.top);
            }
        }
        client_ = automation::Process();
    }
}

// Looks like the popup, is another window, has the focus, drags without a menu; Close and Esc end the client.
TEST_F(Pending, LooksLikeThePopupDragsWithoutAMenuAndCloseOrEscEndTheClientAtOnce) {
    server_->SetAnswerDelay(20000);
    common::UniqueRgn pendingShape(CreateRectRgn(0, 0, 0, 0));
    for (const bool escape : {false, true}) {
        ASSERT_TRUE(Start(L"EJhnAHello world"));
        HWND pending = WaitForPending();
        ASSERT_TRUE(pending);
        Sleep(200);
        EXPECT_EQ(FindWindowW(nullptr, L"Form2"), nullptr);
        EXPECT_TRUE(GetWindowLongW(pending, GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_EQ(GetForegroundWindow(), pending);
        EXPECT_EQ(FocusOf(pending), pending);
        for (const wchar_t* text : {L"翻訳結果", L"Close", L"翻訳中…"}) {
            EXPECT_TRUE(ChildWithText(pending, text)) << text;
        }
        EXPECT_EQ(ScreenPixel(pending, 8, 40), RGB(255, 255, 192));
        // Placed as the popup is: the tail's tip at the pointer (600, 500), 280 x 1300 twips from the corner.
        RECT place = PlaceOf(pending, nullptr);
        EXPECT_EQ(place.left, 600 - 19);
        EXPECT_EQ(place.top, 500 - 87);
        ASSERT_NE(GetWindowRgn(pending, pendingShape.get()), ERROR);
        if (!escape) {
            // A right press on the background opens nothing; a drag by the title moves the bubble.
            automation::ClickAt({place.left + 8, place.top + 40}, true);
            Sleep(500);
            EXPECT_TRUE(OpenMenus(client_.Pid()).empty());
            const POINT title = Center(ChildWithText(pending, L"翻訳結果"));
            automation::Drag(title, {title.x + 60, title.y + 40});
            Sleep(300);
            OffsetRect(&place, 60, 40);
            EXPECT_EQ(PlaceOf(pending, nullptr), place);
        }
        const ULONGLONG start = GetTickCount64();
        if (escape) {
            Key(VK_ESCAPE);
        } else {
            automation::ClickAt(Center(ChildWithText(pending, L"Close")));
        }
        bool box = false;
        automation::WaitUntil([&] {
            box = box || Look(client_.Pid()).box;
            return !client_.Running();
        }, 500 - std::min<ULONGLONG>(500, GetTickCount64() - start));
        DWORD code = 1;
        EXPECT_TRUE(client_.WaitExit(0, &code)) << escape << " after " << GetTickCount64() - start << " ms";
        EXPECT_EQ(code, 0u);
        EXPECT_FALSE(box);
    }
    // The popup has the same shape.
    server_->SetAnswerDelay(0);
    ASSERT_TRUE(OpenPopup());
    common::UniqueRgn popupShape(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(popup_, popupShape.get()), ERROR);
    EXPECT_TRUE(EqualRgn(pendingShape.get(), popupShape.get()));
}

// Where Windows keeps the user's program in front (here the test switch refuses the foreground: Wine refuses none),
// either bubble still shows topmost: Esc closes it without the focus, or a click activates it with the keyboard
// where it belongs. Once the user has moved to another window, Esc is that window's again.
TEST_F(Pending, WithoutTheForegroundABubbleStaysOnTopAndEscOrAClickStillReachIt) {
    SetEnvironmentVariableW(L"VELMORA_TEST_NO_FOREGROUND", L"1");
    HWND user = CreateWindowExW(0, L"Static", L"user", WS_POPUP | WS_VISIBLE, 0, 800, 100, 100, 0, 0, 0, nullptr);
    HWND other = CreateWindowExW(0, L"Static", L"other", WS_POPUP | WS_VISIBLE, 200, 800, 100, 100, 0, 0, 0, nullptr);
    for (const bool popup : {false, true}) {
        for (const int way : {0, 1, 2}) {  // Esc alone, a click first, the user moved on first
            SCOPED_TRACE(testing::Message() << (popup ? "popup" : "pending bubble") << ", way " << way);
            SetForegroundWindow(user);
            server_->SetAnswerDelay(popup ? 0 : 20000);
            HWND bubble = popup ? OpenPopup() : (Start(L"EJhnAHello world") ? WaitForPending() : nullptr);
            ASSERT_TRUE(bubble);
            SampleUntilSettled(client_, 300, 100);  // the test's windows answer meanwhile
            EXPECT_TRUE(IsWindowVisible(bubble) && (GetWindowLongW(bubble, GWL_EXSTYLE) & WS_EX_TOPMOST));
            EXPECT_EQ(GetForegroundWindow(), user);
            if (way == 1) {
                automation::ClickAt(Center(ChildWithText(bubble, L"翻訳結果")));
                SampleUntilSettled(client_, 300, 100);
                EXPECT_EQ(GetForegroundWindow(), bubble);
                EXPECT_EQ(FocusOf(bubble), popup ? Child(bubble, L"Edit") : bubble);
            } else if (way == 2) {
                SetForegroundWindow(other);
                SampleUntilSettled(client_, 600, 100);
            }
            Key(VK_ESCAPE);
            EXPECT_EQ(client_.WaitExit(way == 2 ? 500 : 3000), way != 2);
            client_ = automation::Process();
        }
    }
    SetEnvironmentVariableW(L"VELMORA_TEST_NO_FOREGROUND", nullptr);
    DestroyWindow(user);
    DestroyWindow(other);
}

// A long translation: the wheel scrolls it, Shift+F10 and the context-menu key open the popup's menu, the settings
// window takes Enter and Esc, and Esc ends the client.
TEST_F(Pending, ThePopupAndItsSettingsWindowAnswerTheKeyboardAndTheWheel) {
    WriteIni("&HFF\r\n&HFFFFFF\r\n");
    // Longer than the grown bubble holds, so that it scrolls.
    std::string words;
    for (int i = 0; i < 400; ++i) {
        words += "Thank you very much ";
    }
    server_->SetTranslation(words);
    ASSERT_TRUE(OpenPopup({600, 500}));
    HWND text1 = Child(popup_, L"Edit");
    ASSERT_TRUE(text1);
    ASSERT_EQ(SendMessageW(text1, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    SetCursorPos(Center(text1).x, Center(text1).y);
    auto wheel = [&](int delta) {
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dwFlags = MOUSEEVENTF_WHEEL;
        in.mi.mouseData = static_cast<DWORD>(delta);
        SendInput(1, &in, sizeof in);
        Sleep(300);
        return SendMessageW(text1, EM_GETFIRSTVISIBLELINE, 0, 0);
    };
    const auto down = wheel(-WHEEL_DELTA);
    EXPECT_GT(down, 0);
    EXPECT_GT(wheel(-WHEEL_DELTA), down);
    EXPECT_EQ(wheel(2 * WHEEL_DELTA), 0);
    EXPECT_FALSE(GetWindowLongW(text1, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL));

    // Shift+F10: the popup's own menu at the bubble's top-left corner; Down, Enter take its first item.
    SetClipboardText(L"");
    auto menuByKeys = [&](WORD vk, WORD modifier) {
        Key(vk, modifier);
        return automation::WaitUntil([&] { return !OpenMenus(client_.Pid()).empty(); }, 3000);
    };
    ASSERT_TRUE(menuByKeys(VK_F10, VK_SHIFT));
    const RECT menu = PlaceOf(OpenMenus(client_.Pid()).front(), nullptr);
    EXPECT_EQ(menu.left, PlaceOf(popup_, nullptr).left);
    EXPECT_EQ(menu.top, PlaceOf(popup_, nullptr).top);
    Key(VK_DOWN);
    Key(VK_RETURN);
    EXPECT_TRUE(automation::WaitUntil([&] { return ClipboardText() == automation::WindowText(text1); }, 3000));

    // The shortcut key that started a client, offered to each of its windows as the system offers it: none keeps
    // it, or the key would bring this client up instead of starting the next one. (Wine 8 keeps no window's key
    // at all, so only Windows can fail this.)
    int windows = 0;
    for (HWND window : automation::TopLevelWindows(client_.Pid(), false)) {
        if (automation::ClassName(window).starts_with(L"Velmora")) {
            ++windows;
            SendMessageW(window, WM_SETHOTKEY, MAKEWORD('T', HOTKEYF_CONTROL | HOTKEYF_ALT), 0);
            EXPECT_EQ(SendMessageW(window, WM_GETHOTKEY, 0, 0), 0) << automation::ClassName(window);
        }
    }
    EXPECT_EQ(windows, 3);  // the worker, the popup and the settings window that the menu loaded

    // The settings window by the menu's third item: Cancel by Enter, then Esc, then OK by Enter; only the last
    // writes the file. Tabs count from the background list, where the choice leaves the focus.
    for (const auto& [tabs, key, saves] :
         {std::tuple{3, VK_RETURN, false}, {0, VK_ESCAPE, false}, {2, VK_RETURN, true}}) {
        ASSERT_TRUE(menuByKeys(VK_F10, VK_SHIFT));
        Key(VK_DOWN);
        Key(VK_DOWN);
        Key(VK_RETURN);
        HWND settings = automation::WaitForWindow(client_.Pid(), L"VelmoraForm3", L"設定", 3000);
        ASSERT_TRUE(settings);
        Sleep(300);
        ASSERT_EQ(FocusOf(settings), ChildWithText(settings, L"OK"));
        HWND combo1 = Child(settings, L"ComboBox", 0);
        // Esc on an open list closes the list only.
        const RECT r = PlaceOf(combo1, nullptr);
        automation::ClickAt({r.right - 8, (r.top + r.bottom) / 2});
        ASSERT_TRUE(automation::WaitForWindow(client_.Pid(), L"ComboLBox", nullptr, 3000));
        Key(VK_ESCAPE);
        EXPECT_FALSE(SendMessageW(combo1, CB_GETDROPPEDSTATE, 0, 0));
        EXPECT_TRUE(IsWindowVisible(settings));
        Sleep(500);  // seen under Wine: a click on the arrow just after the list has closed does not open it
        ChooseFromList(client_.Pid(), combo1, 4);
        for (int i = 0; i < tabs; ++i) {
            Key(VK_TAB);
        }
        Key(key);
        EXPECT_TRUE(automation::WaitUntil([&] { return !IsWindow(settings); }, 3000)) << key;
        EXPECT_EQ(ReadIni(), saves ? "&HFFFF00\r\n&H0\r\n" : "&HFF\r\n&HFFFFFF\r\n") << key;
    }

    // The context-menu key opens the same menu; Esc closes the menu only, and then ends the client as Close does.
    EXPECT_TRUE(menuByKeys(VK_APPS, 0));
    Key(VK_ESCAPE);
    Sleep(300);
    EXPECT_TRUE(OpenMenus(client_.Pid()).empty());
    ASSERT_TRUE(client_.Running());
    Key(VK_ESCAPE);
    DWORD code = 1;
    EXPECT_TRUE(client_.WaitExit(3000, &code));
    EXPECT_EQ(code, 0u);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
