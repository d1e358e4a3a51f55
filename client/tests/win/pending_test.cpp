// The pending bubble and the keyboard of the real velmora.exe: a slow stand-in service, windows sampled every
// 50 ms, real keys and wheel through SendInput.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "UiDriver.h"
#include "standin/Standin.h"
#include "win/Automation.h"

namespace {

using namespace uidriver;

enum MenuItem { kCopy, kConf, kClose };

class Pending : public ClientTest {
protected:
    void TearDown() override {
        server_->SetAnswerDelay(0);
        server_->SetFault(standin::Fault::None);
        ClientTest::TearDown();
    }

    // Starts the client with both services pointed at the stand-in. Answers the time of the start and of the
    // client's own start: when its hidden worker window exists (Wine's own start-up comes before that).
    bool Start(const std::wstring& argument, ULONGLONG* launched = nullptr, ULONGLONG* ownStart = nullptr) {
        // Moved as a user would: under Wine a SetCursorPos alone does not always reach a program started next.
        automation::MoveMouse({600, 500});
        SetCursorPos(600, 500);
        const ULONGLONG before = GetTickCount64();
        auto process = automation::Launch(L"\"" + automation::WindowsPath(VELMORA_CLIENT_EXE) + L"\" " + argument,
                                          {{L"VELMORA_EXCITE_HOST", server_->HostW()},
                                           {L"VELMORA_INFOSEEK_HOST", server_->HostW()}});
        if (!process) {
            return false;
        }
        client_ = std::move(*process);
        if (launched) {
            *launched = before;
        }
        bool worker = false;
        while (!worker && GetTickCount64() - before < 20000 && client_.Running()) {
            for (HWND hwnd : automation::TopLevelWindows(client_.Pid(), false)) {
                worker = worker || automation::ClassName(hwnd) == L"VelmoraForm1";
            }
            Sleep(worker ? 0 : 2);
        }
        if (ownStart) {
            *ownStart = GetTickCount64();
        }
        return worker;
    }

    HWND WaitForPending(DWORD timeoutMs = 10000) {
        return automation::WaitForWindow(client_.Pid(), L"VelmoraPending", L"Velmora", timeoutMs);
    }

    // Opens the popup's menu with the keys, then the settings window with Down, Down, Enter.
    HWND OpenSettingsByKeys() {
        Key(VK_F10, VK_SHIFT);
        if (!automation::WaitUntil([&] { return !OpenMenus(client_.Pid()).empty(); }, 3000)) {
            return nullptr;
        }
        Key(VK_DOWN);
        Key(VK_DOWN);
        Key(VK_RETURN);
        HWND settings = automation::WaitForWindow(client_.Pid(), L"VelmoraForm3", L"設定", 3000);
        Sleep(300);
        return settings;
    }
};

// What is on screen of the client at one moment.
struct Sample {
    ULONGLONG at = 0;
    std::vector<HWND> pending;  // visible pending bubbles
    std::vector<HWND> popups;   // visible popups
    HWND box = nullptr;         // a visible message box
    RECT place{};               // where the first bubble stood
    [[nodiscard]] size_t Bubbles() const { return pending.size() + popups.size(); }
};

Sample Look(DWORD pid) {
    Sample s;
    s.at = GetTickCount64();
    for (HWND hwnd : automation::TopLevelWindows(pid, true)) {
        const std::wstring cls = automation::ClassName(hwnd);
        if (cls == L"VelmoraPending") {
            s.pending.push_back(hwnd);
        } else if (cls == L"VelmoraForm2") {
            s.popups.push_back(hwnd);
        } else if (cls == L"#32770") {
            s.box = hwnd;
        }
    }
    if (s.Bubbles() > 0) {
        GetWindowRect(s.pending.empty() ? s.popups.front() : s.pending.front(), &s.place);
    }
    return s;
}

// Samples every 50 ms until the popup or a message box shows, or the client ends.
std::vector<Sample> SampleUntilSettled(const automation::Process& client, DWORD timeoutMs) {
    std::vector<Sample> samples;
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (GetTickCount64() < end && client.Running()) {
        samples.push_back(Look(client.Pid()));
        if (!samples.back().popups.empty() || samples.back().box) {
            break;
        }
        Sleep(50);
    }
    return samples;
}

RECT WindowRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

TEST_F(Pending, ASlowAnswerShowsThePendingBubbleThenThePopupInItsPlaceOnBothPaths) {
    server_->SetAnswerDelay(2000);
    for (const wchar_t* argument : {L"EJhnAHello world", L"EJIFAHello world"}) {
        ULONGLONG launched = 0;
        ULONGLONG ownStart = 0;
        ASSERT_TRUE(Start(argument, &launched, &ownStart)) << argument;
        std::vector<Sample> samples = SampleUntilSettled(client_, 15000);
        ASSERT_FALSE(samples.empty());
        // A few more samples once the popup is up: the pending bubble must not come back.
        for (int i = 0; i < 6; ++i) {
            Sleep(50);
            samples.push_back(Look(client_.Pid()));
        }

        const Sample* firstPending = nullptr;
        RECT pendingRect{};
        for (const Sample& s : samples) {
            EXPECT_LE(s.Bubbles(), 1u) << argument << " at " << s.at - ownStart << " ms";
            if (!s.pending.empty()) {
                firstPending = firstPending ? firstPending : &s;
                pendingRect = s.place;  // the last place it had
            }
        }
        ASSERT_TRUE(firstPending) << argument;
        std::printf("%ls: pending bubble seen %llu ms after the launch, %llu ms after the client's own start\n",
                    argument, firstPending->at - launched, firstPending->at - ownStart);
        // Measured from the client's own start: under a loaded machine Wine's start-up alone can take longer
        // than the whole bound.
        EXPECT_LE(firstPending->at - ownStart, 600u) << argument;
        EXPECT_GE(firstPending->at - launched, 400u) << argument;

        const Sample& last = samples.back();
        ASSERT_EQ(last.popups.size(), 1u) << argument;
        EXPECT_TRUE(last.pending.empty());
        EXPECT_EQ(automation::WindowText(Child(last.popups.front(), L"Edit")), L"こんにちは、世界");
        // In the pending bubble's place, at once: no jump.
        EXPECT_EQ(last.place, pendingRect) << argument;
        // The keyboard has followed: Esc reaches the popup that took the pending bubble's place.
        EXPECT_EQ(FocusOf(last.popups.front()), Child(last.popups.front(), L"Edit"));
        Key(VK_ESCAPE);
        EXPECT_TRUE(client_.WaitExit(3000)) << argument;
        client_ = automation::Process();
    }
}

TEST_F(Pending, LooksLikeThePopupButIsAnotherWindowWithTheFocus) {
    server_->SetAnswerDelay(3000);
    ASSERT_TRUE(Start(L"EJhnAHello world"));
    HWND pending = WaitForPending();
    ASSERT_TRUE(pending);
    Sleep(200);
    EXPECT_EQ(FindWindowW(nullptr, L"Form2"), nullptr);
    EXPECT_TRUE(GetWindowLongW(pending, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetForegroundWindow(), pending);
    EXPECT_EQ(FocusOf(pending), pending);
    EXPECT_TRUE(ChildWithText(pending, L"翻訳結果"));
    EXPECT_TRUE(ChildWithText(pending, L"Close"));
    EXPECT_TRUE(ChildWithText(pending, L"翻訳中…"));
    EXPECT_EQ(ScreenPixel(pending, 8, 40), RGB(255, 255, 192));
    // Placed as the popup is: the tail's tip at the pointer (600, 500), 280 x 1300 twips from the corner.
    EXPECT_EQ(WindowRect(pending).left, 600 - 19);
    EXPECT_EQ(WindowRect(pending).top, 500 - 87);
    common::UniqueRgn pendingShape(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(pending, pendingShape.get()), ERROR);
    // The popup that follows has the same shape and the same place.
    HWND popup = automation::WaitForWindow(client_.Pid(), L"VelmoraForm2", L"Form2", 10000);
    ASSERT_TRUE(popup);
    common::UniqueRgn popupShape(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(popup, popupShape.get()), ERROR);
    EXPECT_TRUE(EqualRgn(pendingShape.get(), popupShape.get()));
}

TEST_F(Pending, AnInstantAnswerNeverShowsIt) {
    for (const wchar_t* argument : {L"EJhnAHello world", L"EJIFAHello world"}) {
        ASSERT_TRUE(Start(argument));
        bool created = false;
        bool popup = false;
        // Polled tightly and hidden windows included, so that even a bubble that only flashed is seen.
        const ULONGLONG end = GetTickCount64() + 15000;
        while (!popup && GetTickCount64() < end && client_.Running()) {
            for (HWND hwnd : automation::TopLevelWindows(client_.Pid(), false)) {
                const std::wstring cls = automation::ClassName(hwnd);
                created = created || cls == L"VelmoraPending";
                popup = popup || (cls == L"VelmoraForm2" && IsWindowVisible(hwnd));
            }
            Sleep(2);
        }
        EXPECT_TRUE(popup) << argument;
        EXPECT_FALSE(created) << argument;
        // Nothing comes after the popup either.
        Sleep(600);
        EXPECT_TRUE(Look(client_.Pid()).pending.empty());
        client_ = automation::Process();
    }
}

// The user holds the pending bubble while the answer (or the failure) comes: it stays under the hand, and
// the popup (or the report) follows when the button is released, where the bubble was dropped.
TEST_F(Pending, AnOutcomeWaitsWhileTheUserHoldsTheBubble) {
    server_->SetAnswerDelay(1500);
    for (const bool fails : {false, true}) {
        server_->SetFault(fails ? standin::Fault::Http500 : standin::Fault::None);
        ASSERT_TRUE(Start(L"EJhnAHello world"));
        HWND pending = WaitForPending();
        ASSERT_TRUE(pending);
        Sleep(100);
        const RECT before = WindowRect(pending);
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
        const std::vector<Sample> samples = SampleUntilSettled(client_, 5000);
        ASSERT_FALSE(samples.empty());
        const Sample& last = samples.back();
        if (fails) {
            EXPECT_TRUE(last.box && last.Bubbles() == 0) << "report alone";
            client_ = automation::Process();
            continue;
        }
        ASSERT_EQ(last.popups.size(), 1u);
        EXPECT_TRUE(last.pending.empty());
        EXPECT_EQ(last.place, (RECT{before.left - 50, before.top + 30, before.right - 50, before.bottom + 30}));
        client_ = automation::Process();
    }
}

TEST_F(Pending, AFailureAfterTwoSecondsShowsThePendingBubbleThenOnlyTheReport) {
    server_->SetAnswerDelay(2000);
    server_->SetFault(standin::Fault::Http500);
    for (const wchar_t* argument : {L"EJhnAHello world", L"EJIFAHello world"}) {
        ASSERT_TRUE(Start(argument));
        const std::vector<Sample> samples = SampleUntilSettled(client_, 15000);
        bool sawPending = false;
        for (const Sample& s : samples) {
            sawPending = sawPending || !s.pending.empty();
            EXPECT_FALSE(s.box && s.Bubbles() > 0) << argument;
        }
        EXPECT_TRUE(sawPending) << argument;
        const auto box = automation::WaitForMessageBox(client_.Pid(), 5000);
        ASSERT_TRUE(box) << argument;
        EXPECT_NE(box->text.find(L"HTTP 500"), std::wstring::npos) << box->text;
        for (HWND hwnd : automation::TopLevelWindows(client_.Pid(), false)) {
            EXPECT_NE(automation::ClassName(hwnd), L"VelmoraPending");
        }
        automation::PressButton(box->hwnd, IDOK);
        EXPECT_TRUE(client_.WaitExit(5000)) << argument;
    }
}

TEST_F(Pending, DragsWithoutAMenuAndCloseOrEscEndTheClientAtOnce) {
    server_->SetAnswerDelay(20000);
    for (const bool escape : {false, true}) {
        ASSERT_TRUE(Start(L"EJhnAHello world"));
        HWND pending = WaitForPending();
        ASSERT_TRUE(pending);
        Sleep(200);
        if (!escape) {
            // A right press on the background opens nothing; a drag by the title moves the bubble.
            POINT background{8, 40};
            ClientToScreen(pending, &background);
            automation::ClickAt(background, true);
            Sleep(500);
            EXPECT_TRUE(OpenMenus(client_.Pid()).empty());
            const RECT before = WindowRect(pending);
            const POINT title = Center(ChildWithText(pending, L"翻訳結果"));
            automation::Drag(title, {title.x + 60, title.y + 40});
            Sleep(300);
            const RECT after = WindowRect(pending);
            EXPECT_EQ(after.left - before.left, 60);
            EXPECT_EQ(after.top - before.top, 40);
        }
        const ULONGLONG start = GetTickCount64();
        if (escape) {
            INPUT keys[2] = {};
            keys[0].type = keys[1].type = INPUT_KEYBOARD;
            keys[0].ki.wVk = keys[1].ki.wVk = VK_ESCAPE;
            keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
            SendInput(2, keys, sizeof *keys);
        } else {
            automation::ClickAt(Center(ChildWithText(pending, L"Close")));
        }
        bool box = false;
        automation::WaitUntil([&] {
            box = box || Look(client_.Pid()).box;
            return !client_.Running();
        }, 500);
        DWORD code = 1;
        EXPECT_TRUE(client_.WaitExit(0, &code)) << (escape ? "Esc" : "Close") << " after "
                                                << GetTickCount64() - start << " ms";
        EXPECT_EQ(code, 0u);
        EXPECT_FALSE(box);
        client_ = automation::Process();
    }
}

TEST_F(Pending, ThePopupAnswersTheKeyboard) {
    ASSERT_TRUE(OpenPopup());
    SetClipboardText(L"");
    // Shift+F10: the popup's own menu at the bubble's top-left corner; Down, Enter take its first item.
    Key(VK_F10, VK_SHIFT);
    ASSERT_TRUE(automation::WaitUntil([&] { return !OpenMenus(client_.Pid()).empty(); }, 3000));
    const RECT menu = WindowRect(OpenMenus(client_.Pid()).front());
    const RECT bubble = WindowRect(popup_);
    EXPECT_EQ(menu.left, bubble.left);
    EXPECT_EQ(menu.top, bubble.top);
    Key(VK_DOWN);
    Key(VK_RETURN);
    EXPECT_TRUE(automation::WaitUntil([&] { return ClipboardText() == L"こんにちは、世界"; }, 3000));

    // The context-menu key opens the same menu; Esc closes the menu only.
    Key(VK_APPS);
    EXPECT_TRUE(automation::WaitUntil([&] { return !OpenMenus(client_.Pid()).empty(); }, 3000));
    Key(VK_ESCAPE);
    Sleep(300);
    EXPECT_TRUE(OpenMenus(client_.Pid()).empty());
    ASSERT_TRUE(client_.Running());

    // Esc in the popup ends the client, as "Close" does.
    Key(VK_ESCAPE);
    DWORD code = 1;
    EXPECT_TRUE(client_.WaitExit(3000, &code));
    EXPECT_EQ(code, 0u);
}

TEST_F(Pending, TheWheelScrollsALongTextWithoutScrollBars) {
    std::wstring words;
    for (int i = 0; i < 40; ++i) {
        words += L"Thank you very much ";
    }
    ASSERT_TRUE(OpenPopup({600, 500}, L"EJhnA" + words));
    HWND text1 = Child(popup_, L"Edit");
    ASSERT_TRUE(text1);
    EXPECT_FALSE(GetWindowLongW(text1, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL));
    ASSERT_EQ(SendMessageW(text1, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    SetCursorPos(Center(text1).x, Center(text1).y);
    auto wheel = [](int delta) {
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dwFlags = MOUSEEVENTF_WHEEL;
        in.mi.mouseData = static_cast<DWORD>(delta);
        SendInput(1, &in, sizeof in);
        Sleep(300);
    };
    wheel(-WHEEL_DELTA);
    const auto down = SendMessageW(text1, EM_GETFIRSTVISIBLELINE, 0, 0);
    EXPECT_GT(down, 0);
    wheel(-WHEEL_DELTA);
    EXPECT_GT(SendMessageW(text1, EM_GETFIRSTVISIBLELINE, 0, 0), down);
    wheel(2 * WHEEL_DELTA);
    EXPECT_EQ(SendMessageW(text1, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    EXPECT_FALSE(GetWindowLongW(text1, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL));
}

TEST_F(Pending, SettingsWindowTakesEnterOnAFocusedButtonAndEscAsCancel) {
    WriteIni("&HFF\r\n&HFFFFFF\r\n");
    ASSERT_TRUE(OpenPopup());
    struct Case {
        int tabs;  // from the background list, where the choice leaves the focus
        WORD key;
        bool saves;
    };
    // Cancel by Enter, then Esc, then OK by Enter: only the last writes the file.
    const Case cases[] = {{3, VK_RETURN, false}, {0, VK_ESCAPE, false}, {2, VK_RETURN, true}};
    for (const Case& c : cases) {
        HWND settings = OpenSettingsByKeys();
        ASSERT_TRUE(settings);
        ASSERT_EQ(FocusOf(settings), ChildWithText(settings, L"OK"));
        HWND combo1 = Child(settings, L"ComboBox", 0);
        // Esc on an open list closes the list only.
        RECT r{};
        GetWindowRect(combo1, &r);
        automation::ClickAt({r.right - 8, (r.top + r.bottom) / 2});
        ASSERT_TRUE(automation::WaitForWindow(client_.Pid(), L"ComboLBox", nullptr, 3000));
        Key(VK_ESCAPE);
        EXPECT_FALSE(SendMessageW(combo1, CB_GETDROPPEDSTATE, 0, 0));
        EXPECT_TRUE(IsWindowVisible(settings));
        Sleep(500);  // seen under Wine: a click on the arrow just after the list has closed does not open it
        ChooseFromList(client_.Pid(), combo1, 4);
        for (int i = 0; i < c.tabs; ++i) {
            Key(VK_TAB);
        }
        Key(c.key);
        EXPECT_TRUE(automation::WaitUntil([&] { return !IsWindow(settings); }, 3000)) << c.key;
        EXPECT_EQ(ReadIni(), c.saves ? "&HFFFF00\r\n&H0\r\n" : "&HFF\r\n&HFFFFFF\r\n") << c.key;
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
