// The popup of the real velmora.exe: colours from the settings file, shape, z-order, place and mouse handling.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "UiDriver.h"
#include "standin/Standin.h"
#include "win/Automation.h"

namespace {

using automation::Process;

using uidriver::ReadIni;
using uidriver::ScreenPixel;
using uidriver::WriteIni;
const std::wstring& kFolder = uidriver::kSettingsFolder;
const std::string kDefault = "&H00C0FFFF\r\n&H0\r\n";

// Counts the pixels of a child control's area that have exactly this colour.
int CountColor(HWND control, COLORREF color) {
    RECT r{};
    GetWindowRect(control, &r);
    HDC screen = GetDC(nullptr);
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            n += GetPixel(screen, x, y) == color;
        }
    }
    ReleaseDC(nullptr, screen);
    return n;
}

HWND Child(HWND popup, const wchar_t* cls, const wchar_t* text = nullptr) {
    for (HWND child : automation::Children(popup)) {
        if (automation::ClassName(child) == cls && (!text || automation::WindowText(child) == text)) {
            return child;
        }
    }
    return nullptr;
}

using Popup = uidriver::ClientTest;

TEST_F(Popup, CreatesAMissingSettingsFileAndKeepsTheDesignColours) {
    HWND popup = OpenPopup();
    ASSERT_TRUE(popup);
    EXPECT_EQ(ReadIni(), kDefault);
    EXPECT_EQ(ScreenPixel(popup, 8, 40), RGB(255, 255, 192));
    EXPECT_EQ(automation::WindowText(Child(popup, L"Edit")), L"こんにちは、世界");
}

TEST_F(Popup, ShowsTheColoursOfTheFileOrRepairsIt) {
    struct Case {
        std::string file;
        COLORREF background;
        COLORREF text;
        std::string fileAfter;
    };
    const std::string redWhite = "&HFF\r\n&HFFFFFF\r\n&H0\r\n";
    const Case cases[] = {
        {redWhite, RGB(255, 0, 0), RGB(255, 255, 255), redWhite},
        {"255\n16777215\n", RGB(255, 0, 0), RGB(255, 255, 255), "255\n16777215\n"},
        {"H00C0FFFF\r\n&HFF0000\r\n", RGB(255, 255, 192), RGB(0, 0, 0), kDefault},
        // A damaged file no longer ends the client: design colours, and the file is made whole again.
        {"garbage\r\n", RGB(255, 255, 192), RGB(0, 0, 0), kDefault},
    };
    for (const auto& c : cases) {
        WriteIni(c.file);
        HWND popup = OpenPopup();
        ASSERT_TRUE(popup);
        EXPECT_EQ(ScreenPixel(popup, 8, 40), c.background) << c.file;
        HWND text1 = Child(popup, L"Edit");
        EXPECT_GT(CountColor(text1, c.text), 10) << c.file;
        EXPECT_GT(CountColor(text1, c.background), 1000) << c.file;
        EXPECT_EQ(ReadIni(), c.fileAfter);
        client_ = Process();
    }
}

TEST_F(Popup, HasTheBubbleShapeAndStaysOnTop) {
    HWND popup = OpenPopup();
    ASSERT_TRUE(popup);
    RECT client{};
    GetClientRect(popup, &client);
    EXPECT_EQ(client.right, 301);
    EXPECT_EQ(client.bottom, 94);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(popup, region), ERROR);
    // A rounded-rectangle region leaves out its last row and column, so the body ends at row 72 and the tail's
    // top row (73) does not overlap it: the XOR keeps the whole tail.
    const std::pair<POINT, bool> points[] = {
        {{150, 40}, true}, {{21, 92}, true},   {{25, 80}, true},  {{0, 0}, false},  {{300, 0}, false},
        {{300, 93}, false}, {{100, 85}, false}, {{30, 73}, true}, {{30, 72}, true}, {{45, 73}, false},
        {{20, 93}, true},  {{21, 93}, false},  {{150, 72}, true}, {{299, 40}, true}, {{300, 40}, false},
    };
    for (const auto& [p, inside] : points) {
        EXPECT_EQ(PtInRegion(region, p.x, p.y) != 0, inside) << p.x << "," << p.y;
    }
    DeleteObject(region);
    EXPECT_TRUE(GetWindowLongW(popup, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(GetWindowLongW(popup, GWL_STYLE) & WS_CAPTION);
}

TEST_F(Popup, ScalesWithTheDpi) {
    struct Case {
        DWORD dpi;
        SIZE client;
        POINT tailInside;
        POINT outsideRight;
        POINT seam;  // on the tail's top row where it overlaps the body's last row: cut out by the XOR, kept by OR
    };
    const Case cases[] = {
        {120, {376, 118}, {27, 114}, {376 - 1, 10}, {-1, -1}},
        {144, {452, 141}, {32, 137}, {452 - 1, 10}, {40, 109}},
        {192, {602, 188}, {42, 183}, {602 - 1, 10}, {50, 146}},
    };
    for (const auto& c : cases) {
        automation::SystemDpi dpi(c.dpi);
        HWND popup = OpenPopup();
        ASSERT_TRUE(popup);
        RECT client{};
        GetClientRect(popup, &client);
        EXPECT_EQ(client.right, c.client.cx) << c.dpi;
        EXPECT_EQ(client.bottom, c.client.cy) << c.dpi;
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        EXPECT_NE(GetWindowRgn(popup, region), ERROR);
        EXPECT_TRUE(PtInRegion(region, c.tailInside.x, c.tailInside.y)) << c.dpi;
        EXPECT_FALSE(PtInRegion(region, c.outsideRight.x, c.outsideRight.y)) << c.dpi;
        EXPECT_FALSE(PtInRegion(region, 0, 0)) << c.dpi;
        if (c.seam.x >= 0) {
            EXPECT_FALSE(PtInRegion(region, c.seam.x, c.seam.y)) << c.dpi;
            EXPECT_TRUE(PtInRegion(region, c.seam.x, c.seam.y + 1)) << c.dpi;  // the tail goes on below it
            EXPECT_TRUE(PtInRegion(region, c.seam.x, c.seam.y - 1)) << c.dpi;  // and the body above it
        }
        DeleteObject(region);
        client_ = Process();
    }
}

TEST_F(Popup, OpensAtThePointerAndStaysOnTheScreen) {
    const std::pair<POINT, POINT> cases[] = {
        {{600, 500}, {581, 413}},  // tail tip at the pointer
        {{0, 0}, {0, 0}},          // would be off the top-left corner: moved just inside
        {{1279, 1023}, {979, 930}},
    };
    for (const auto& [cursor, topLeft] : cases) {
        HWND popup = OpenPopup(cursor);
        ASSERT_TRUE(popup);
        RECT r{};
        GetWindowRect(popup, &r);
        EXPECT_EQ(r.left, topLeft.x) << cursor.x << "," << cursor.y;
        EXPECT_EQ(r.top, topLeft.y) << cursor.x << "," << cursor.y;
        client_ = Process();
    }
}

TEST_F(Popup, DragsByItsBackgroundAndTitle) {
    HWND popup = OpenPopup({600, 500});
    ASSERT_TRUE(popup);
    RECT before{};
    GetWindowRect(popup, &before);
    automation::Drag({before.left + 8, before.top + 40}, {before.left + 108, before.top + 90});
    RECT after{};
    EXPECT_TRUE(automation::WaitUntil([&] { return GetWindowRect(popup, &after) && after.left != before.left; }, 3000));
    EXPECT_EQ(after.left - before.left, 100);
    EXPECT_EQ(after.top - before.top, 50);

    RECT title{};
    GetWindowRect(Child(popup, L"Static", L"翻訳結果"), &title);
    automation::Drag({title.left + 5, title.top + 5}, {title.left - 45, title.top + 35});
    RECT moved{};
    EXPECT_TRUE(automation::WaitUntil([&] { return GetWindowRect(popup, &moved) && moved.left != after.left; }, 3000));
    EXPECT_EQ(moved.left - after.left, -50);
    EXPECT_EQ(moved.top - after.top, 30);
}

// About 400 Japanese characters: the bubble grows wider, then taller, and shows every line; 5,000: it stops at half
// the screen's height and scrolls. The tail's tip stays at the pointer, the region and "Close" follow the size.
TEST_F(Popup, GrowsToShowALongTranslationUpToHalfTheScreen) {
    std::string sentences;
    for (int i = 0; i < 200; ++i) {
        sentences += "今日はとても良い天気なので、公園まで散歩しました。";  // 25 characters
    }
    for (const bool capped : {false, true}) {
        SCOPED_TRACE(capped ? "5,000 characters" : "400 characters");
        server_->SetTranslation(capped ? sentences : sentences.substr(0, 16 * 25 * 3));
        HWND popup = OpenPopup({600, 700});
        ASSERT_TRUE(popup);
        RECT r{};
        GetWindowRect(popup, &r);
        const int width = r.right - r.left;
        const int height = r.bottom - r.top;
        EXPECT_TRUE(width > 301 && width <= 301 + 273 && height > 94) << width << " x " << height;
        EXPECT_EQ(height == 1024 / 2, capped);
        EXPECT_EQ(std::pair(r.left, r.bottom), std::pair(600L - 19, 700L - 87 + 94));  // the tail's tip in place
        common::UniqueRgn region(CreateRectRgn(0, 0, 0, 0));
        ASSERT_NE(GetWindowRgn(popup, region.get()), ERROR);
        for (const auto& [x, y, inside] : {std::tuple{20, height - 1, true}, {21, height - 1, false},
                                          {width - 2, 40, true}, {width - 1, 40, false}}) {
            EXPECT_EQ(PtInRegion(region.get(), x, y) != 0, inside) << x << "," << y;
        }
        EXPECT_EQ(r.right - uidriver::PlaceOf(Child(popup, L"Static", L"Close"), nullptr).left, 301 - 256);

        // Every line shows, from the first, inside the text box and above the bubble's edge over the tail (20
        // pixels up at 96 dpi); beyond the cap the last line is reached by scrolling.
        HWND text1 = Child(popup, L"Edit");
        auto lastLineShows = [&] {
            auto top = [&](LRESULT line) {
                return HIWORD(SendMessageW(text1, EM_POSFROMCHAR, SendMessageW(text1, EM_LINEINDEX, line, 0), 0));
            };
            const LRESULT lines = SendMessageW(text1, EM_GETLINECOUNT, 0, 0);
            const RECT box = uidriver::PlaceOf(text1, nullptr);
            return lines > 4 && box.top + top(lines - 1) + top(1) - top(0) <= std::min(box.bottom, r.bottom - 20);
        };
        EXPECT_EQ(SendMessageW(text1, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
        EXPECT_EQ(lastLineShows(), !capped);
        if (capped) {
            uidriver::Key(VK_END, VK_CONTROL);
            EXPECT_TRUE(automation::WaitUntil(lastLineShows, 3000));
        }
        client_ = Process();
    }
}

// Twenty clients open their popups while five programs save colours over and over: every client shows its
// popup, every save succeeds, and the file is always one whole content of the colour table.
TEST_F(Popup, TwentyClientsLoadWhileFiveSave) {
    WriteIni(kDefault);
    const std::wstring worker = L"\"" + automation::WindowsPath(VELMORA_SETTINGS_WORKER_EXE) + L"\" ";
    std::vector<Process> savers;
    for (int i = 0; i < 5; ++i) {
        auto saver = automation::Launch(worker + L"save \"" + kFolder + L"\" 60 " + std::to_wstring(i));
        ASSERT_TRUE(saver);
        savers.push_back(std::move(*saver));
    }
    std::vector<Process> clients;
    for (int i = 0; i < 20; ++i) {
        auto client = automation::Launch(L"\"" + automation::WindowsPath(VELMORA_CLIENT_EXE) + L"\" EJhnAHello world",
                                         {{L"VELMORA_EXCITE_HOST", server_->HostW()}});
        ASSERT_TRUE(client);
        clients.push_back(std::move(*client));
    }
    for (const auto& client : clients) {
        EXPECT_TRUE(automation::WaitForWindow(client.Pid(), L"VelmoraForm2", L"Form2", 60000)) << client.Pid();
        EXPECT_FALSE(automation::WaitForWindow(client.Pid(), L"#32770", nullptr, 0)) << client.Pid();
    }
    for (const auto& saver : savers) {
        DWORD code = 1;
        EXPECT_TRUE(saver.WaitExit(60000, &code));
        EXPECT_EQ(code, 0u);
    }
    const std::string last = ReadIni();
    EXPECT_EQ(std::count(last.begin(), last.end(), '\n'), 2) << last;
    EXPECT_EQ(last.rfind("&H", 0), 0u) << last;
}

// The labels' class asks for double clicks, so a quick second press arrives as one: it is a press all the same.
TEST_F(Popup, AQuickSecondPressOnALabelIsAPressToo) {
    HWND popup = OpenPopup();
    ASSERT_TRUE(popup);
    HWND close = Child(popup, L"Static", L"Close");
    RECT r{};
    GetWindowRect(close, &r);
    const POINT at{r.left + 10, r.top + 8};
    automation::ClickAt(at, true);
    automation::Press(at, automation::Button::Right);
    Sleep(200);
    EXPECT_GT(CountColor(close, RGB(0, 0, 0)), 5);
    automation::Release(at, automation::Button::Right);
    Sleep(200);
    EXPECT_GT(CountColor(close, RGB(128, 128, 128)), 5);
    EXPECT_TRUE(client_.Running());

    RECT before{};
    GetWindowRect(popup, &before);
    RECT title{};
    GetWindowRect(Child(popup, L"Static", L"翻訳結果"), &title);
    const POINT from{title.left + 5, title.top + 5};
    automation::ClickAt(from);
    automation::Drag(from, {from.x + 40, from.y + 30});
    RECT after{};
    EXPECT_TRUE(automation::WaitUntil([&] { return GetWindowRect(popup, &after) && after.left != before.left; }, 3000));
    EXPECT_EQ(after.left - before.left, 40);
    EXPECT_EQ(after.top - before.top, 30);
}

TEST_F(Popup, IgnoresTheMiddleButtonOnItsBackground) {
    HWND popup = OpenPopup();
    ASSERT_TRUE(popup);
    RECT before{};
    GetWindowRect(popup, &before);
    automation::Press({before.left + 8, before.top + 40}, automation::Button::Middle);
    automation::Release({before.left + 60, before.top + 80}, automation::Button::Middle);
    Sleep(300);
    RECT after{};
    GetWindowRect(popup, &after);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(automation::TopLevelWindows(client_.Pid(), true).size(), 1u);  // no menu opened
}

TEST_F(Popup, CloseTurnsBlackWhilePressedAndEndsTheClientOnAClick) {
    HWND popup = OpenPopup();
    ASSERT_TRUE(popup);
    HWND close = Child(popup, L"Static", L"Close");
    ASSERT_TRUE(close);
    EXPECT_GT(CountColor(close, RGB(128, 128, 128)), 5);
    RECT r{};
    GetWindowRect(close, &r);
    const POINT at{r.left + 10, r.top + 8};
    // Any button darkens it while held, but only a left click closes.
    for (auto button : {automation::Button::Right, automation::Button::Middle, automation::Button::Left}) {
        automation::Press(at, button);
        Sleep(200);
        EXPECT_GT(CountColor(close, RGB(0, 0, 0)), 5) << static_cast<int>(button);
        EXPECT_EQ(CountColor(close, RGB(128, 128, 128)), 0) << static_cast<int>(button);
        if (button == automation::Button::Left) {
            break;
        }
        automation::Release(at, button);
        Sleep(200);
        EXPECT_TRUE(client_.Running());
        EXPECT_GT(CountColor(close, RGB(128, 128, 128)), 5);
    }
    automation::Release(at, automation::Button::Left);
    DWORD code = 1;
    EXPECT_TRUE(client_.WaitExit(5000, &code));
    EXPECT_EQ(code, 0u);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
