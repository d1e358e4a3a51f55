// The popup's menu and the settings window of the real velmora.exe, driven with real mouse and keyboard input.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cwctype>
#include <filesystem>
#include <fstream>

#include "UiDriver.h"
#include "standin/Standin.h"
#include "win/Automation.h"

namespace {

using automation::Process;
using namespace uidriver;

const std::wstring& kFolder = kSettingsFolder;
const std::wstring& kIni = kSettingsFile;
const std::string kRedOnWhite = "&HFF\r\n&HFFFFFF\r\n";
constexpr COLORREF kRed = RGB(255, 0, 0);

// Whether the process has loaded the common controls with visual styles (the side-by-side copy of the library).
bool HasVisualStyles(const Process& process) {
    HMODULE modules[512];
    DWORD bytes = 0;
    if (!EnumProcessModules(process.Handle(), modules, sizeof modules, &bytes)) {
        ADD_FAILURE() << "cannot list the modules: " << GetLastError();
        return false;
    }
    for (DWORD i = 0; i < std::min<DWORD>(bytes / sizeof(HMODULE), 512); ++i) {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameExW(process.Handle(), modules[i], path, MAX_PATH);
        std::wstring lower(path);
        std::transform(lower.begin(), lower.end(), lower.begin(), [](wchar_t c) { return std::towlower(c); });
        if (lower.find(L"comctl32.dll") != std::wstring::npos) {
            EXPECT_NE(lower.find(L"common-controls"), std::wstring::npos) << "not the visual-styles copy: " << path;
            return true;
        }
    }
    return false;
}

// A repaint after OK takes a moment under Wine.
bool PopupShows(HWND popup, COLORREF color) {
    return automation::WaitUntil([&] { return ScreenPixel(popup, 8, 40) == color; }, 3000);
}

class SettingsWindow : public ClientTest {
  protected:
    void SetUp() override {
        ClientTest::SetUp();
        WriteIni(kRedOnWhite);
    }
    void TearDown() override {
        client_ = automation::Process();
        if (GetFileAttributesW((kFolder + L".away").c_str()) != INVALID_FILE_ATTRIBUTES) {
            DeleteFileW(kFolder.c_str());  // a test may have put a file in the folder's place
            MoveFileW((kFolder + L".away").c_str(), kFolder.c_str());
        }
        ClientTest::TearDown();
    }

    HWND OpenSettings() {
        HWND menu = OpenMenu();
        if (!menu) {
            return nullptr;
        }
        ClickMenuItem(menu, kConf);
        HWND settings = automation::WaitForWindow(client_.Pid(), L"VelmoraForm3", L"設定", 3000);
        Sleep(300);
        return settings;
    }
};

TEST_F(SettingsWindow, MenuOpensOnTheBackgroundOnlyAndCopiesTheShownText) {
    ASSERT_TRUE(OpenPopup());
    HWND text1 = Child(popup_, L"Edit");
    SetClipboardText(L"");
    HWND menu = OpenMenu();
    ASSERT_TRUE(menu);
    RECT ours{};
    GetWindowRect(menu, &ours);
    ClickMenuItem(menu, kCopy);
    EXPECT_TRUE(automation::WaitUntil([&] { return ClipboardText() == L"こんにちは、世界"; }, 3000));

    // On the text box a right click brings the text box's own editing menu, a longer one, or none.
    automation::ClickAt(Center(text1), true);
    Sleep(700);
    for (HWND other : OpenMenus(client_.Pid())) {
        RECT r{};
        GetWindowRect(other, &r);
        EXPECT_GT(r.bottom - r.top, ours.bottom - ours.top);
    }
    Key(VK_ESCAPE);

    // The user's own edit goes with the copy.
    automation::ClickAt(Center(text1));
    Key(VK_END, VK_CONTROL);
    Key('X', VK_SHIFT);
    Key('Y', VK_SHIFT);
    ASSERT_EQ(automation::WindowText(text1), L"こんにちは、世界XY");
    menu = OpenMenu();
    ASSERT_TRUE(menu);
    ClickMenuItem(menu, kCopy);
    EXPECT_TRUE(automation::WaitUntil([&] { return ClipboardText() == L"こんにちは、世界XY"; }, 3000));

    // A clipboard that stays busy is reported, and the client carries on.
    menu = OpenMenu();
    ASSERT_TRUE(menu);
    ASSERT_TRUE(OpenTheClipboard());
    ClickMenuItem(menu, kCopy);
    const auto box = automation::WaitForMessageBox(client_.Pid(), 5000);
    CloseClipboard();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->title, L"Velmora");
    EXPECT_EQ(box->text.rfind(L"クリップボードにコピーできませんでした。", 0), 0u) << box->text;
    automation::PressButton(box->hwnd, IDOK);
    Sleep(300);
    EXPECT_TRUE(client_.Running());
}

// The popup is made of the system's own controls, so that it does not wait for the control library; the settings
// window and the message boxes still get the visual styles.
TEST_F(SettingsWindow, VisualStylesComeWithTheSettingsWindowAndMessagesNotWithThePopup) {
    ASSERT_TRUE(OpenPopup());
    EXPECT_FALSE(HasVisualStyles(client_));
    ASSERT_TRUE(OpenSettings());
    EXPECT_TRUE(HasVisualStyles(client_));

    // A code without text: the client says so in a message box.
    auto process = automation::Launch(L"\"" + automation::WindowsPath(VELMORA_CLIENT_EXE) + L"\" EJhnA");
    ASSERT_TRUE(process);
    const auto box = automation::WaitForMessageBox(process->Pid(), 10000);
    ASSERT_TRUE(box);
    EXPECT_TRUE(HasVisualStyles(*process));
    automation::PressButton(box->hwnd, IDOK);
}

TEST_F(SettingsWindow, OpensOnDefaultAndOnlyOkSavesAndRecolours) {
    ASSERT_TRUE(OpenPopup());
    ASSERT_TRUE(PopupShows(popup_, kRed));
    // Cancel, the close box, then OK; each close unloads the window, so that it comes back on "Default".
    for (const wchar_t* how : {L"キャンセル", L"close box", L"OK"}) {
        HWND settings = OpenSettings();
        ASSERT_TRUE(settings);
        // The window never reads the file: both lists start on "Default" although it holds red on white.
        HWND combo1 = Child(settings, L"ComboBox", 0);
        EXPECT_EQ(automation::WindowText(combo1), L"Default") << how;
        EXPECT_EQ(automation::WindowText(Child(settings, L"ComboBox", 1)), L"Default");
        EXPECT_TRUE(GetWindowLongW(settings, GWL_EXSTYLE) & WS_EX_TOPMOST);
        ChooseFromList(client_.Pid(), combo1, 4);
        ASSERT_EQ(automation::WindowText(combo1), L"Blue");
        automation::ClickAt(std::wstring(how) == L"close box" ? CloseBox(settings)
                                                              : Center(ChildWithText(settings, how)));
        EXPECT_TRUE(automation::WaitUntil([&] { return !IsWindow(settings); }, 3000)) << how;
        if (std::wstring(how) != L"OK") {
            Sleep(300);
            EXPECT_EQ(ReadIni(), kRedOnWhite) << how;
            EXPECT_EQ(ScreenPixel(popup_, 8, 40), kRed) << how;
        }
    }
    EXPECT_EQ(ReadIni(), "&HFFFF00\r\n&H0\r\n");
    EXPECT_TRUE(PopupShows(popup_, RGB(0, 255, 255)));
    RECT text1{};
    GetClientRect(Child(popup_, L"Edit"), &text1);
    EXPECT_EQ(ScreenPixel(Child(popup_, L"Edit"), text1.right - 3, 3), RGB(0, 255, 255));
}

TEST_F(SettingsWindow, HasTheDesignedLayoutAndKeyboardAndCloseEndsTheClient) {
    const struct {
        DWORD dpi;
        RECT client;  // on the screen
        RECT ok;      // in the client area
        RECT combo2;  // closed
    } cases[] = {
        {144, {555, 279, 863, 483}, {12, 156, 146, 194}, {12, 108, 302, 138}},
        {96, {370, 186, 575, 322}, {8, 104, 97, 129}, {8, 72, 201, 92}},
    };
    HWND settings = nullptr;
    for (const auto& c : cases) {
        client_ = automation::Process();  // the next one starts with the new DPI
        automation::SystemDpi dpi(c.dpi);
        ASSERT_TRUE(OpenPopup());
        settings = OpenSettings();
        ASSERT_TRUE(settings);
        EXPECT_EQ(PlaceOf(settings, nullptr, true), c.client) << c.dpi;
        EXPECT_EQ(PlaceOf(ChildWithText(settings, L"OK"), settings), c.ok) << c.dpi;
        EXPECT_EQ(PlaceOf(Child(settings, L"ComboBox", 1), settings), c.combo2) << c.dpi;
    }
    const std::pair<const wchar_t*, RECT> controls[] = {
        {L"背景色", {8, 8, 161, 25}}, {L"文字色", {8, 56, 161, 73}}, {L"キャンセル", {104, 104, 193, 129}}};
    for (const auto& [text, place] : controls) {
        EXPECT_EQ(PlaceOf(ChildWithText(settings, text), settings), place) << automation::WindowText(settings);
    }
    HWND combo1 = Child(settings, L"ComboBox", 0);
    EXPECT_EQ(PlaceOf(combo1, settings), (RECT{8, 24, 201, 44}));
    const LONG style = GetWindowLongW(settings, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
              WS_CAPTION | WS_SYSMENU);
    EXPECT_TRUE(GetWindowLongW(settings, GWL_EXSTYLE) & WS_EX_APPWINDOW);

    // OK holds the focus first and Tab goes round in the designed order. (Enter on a button and Escape close
    // the window: client_pending_tests.)
    HWND ok = ChildWithText(settings, L"OK");
    ASSERT_EQ(FocusOf(settings), ok);
    for (HWND expected : {ChildWithText(settings, L"キャンセル"), combo1, Child(settings, L"ComboBox", 1), ok}) {
        Key(VK_TAB);
        HWND focus = FocusOf(settings);
        EXPECT_TRUE(focus == expected || IsChild(expected, focus)) << automation::ClassName(focus);
    }
    Key(VK_TAB);
    Key(VK_TAB);
    ASSERT_TRUE(IsChild(combo1, FocusOf(settings)));
    // Enter on a list presses nothing: no button is the default one.
    Key(VK_RETURN);
    Sleep(300);
    EXPECT_TRUE(IsWindowVisible(settings));

    // "閉じる" ends the client at once, the unsaved choice in the open window included.
    ChooseFromList(client_.Pid(), combo1, 4);
    HWND menu = OpenMenu();
    ASSERT_TRUE(menu);
    ClickMenuItem(menu, kClose);
    DWORD code = 1;
    EXPECT_TRUE(client_.WaitExit(5000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(ReadIni(), kRedOnWhite);
}

TEST_F(SettingsWindow, TypingIsUndoneAndOnlyWholeNamesStand) {
    ASSERT_TRUE(OpenPopup());
    HWND settings = OpenSettings();
    ASSERT_TRUE(settings);
    HWND combo1 = Child(settings, L"ComboBox", 0);
    HWND combo2 = Child(settings, L"ComboBox", 1);
    automation::ClickAt(Center(combo2));
    Key('R', VK_SHIFT);
    EXPECT_EQ(automation::WindowText(combo2), L"Default");

    // After a choice from the list, a keystroke goes back to that choice, not to the name the list had before.
    ChooseFromList(client_.Pid(), combo1, 5);
    EXPECT_EQ(automation::WindowText(combo1), L"Red");
    automation::ClickAt(Center(combo1));
    Key(VK_END);
    Key('R', VK_SHIFT);
    EXPECT_EQ(automation::WindowText(combo1), L"Red");

    const std::pair<const wchar_t*, const wchar_t*> pastes[] = {
        {L"White", L"White"}, {L"red", L"White"}, {L"Pink", L"White"}, {L"Green", L"Green"}};
    for (const auto& [pasted, shown] : pastes) {
        SetClipboardText(pasted);
        automation::ClickAt(Center(combo1));
        Key(VK_HOME);
        Key(VK_END, VK_SHIFT);
        Key('V', VK_CONTROL);
        EXPECT_EQ(automation::WindowText(combo1), shown) << pasted;
    }
    automation::ClickAt(Center(ChildWithText(settings, L"OK")));
    EXPECT_TRUE(automation::WaitUntil([&] { return !IsWindow(settings); }, 3000));
    EXPECT_EQ(ReadIni(), "&HFF00\r\n&H0\r\n");
}

TEST_F(SettingsWindow, AFailedSaveIsReportedAndChangesNothing) {
    ASSERT_TRUE(OpenPopup());
    ASSERT_TRUE(PopupShows(popup_, kRed));
    HWND settings = OpenSettings();
    ASSERT_TRUE(settings);
    ChooseFromList(client_.Pid(), Child(settings, L"ComboBox", 0), 4);
    // A file where the settings folder should be: the settings cannot be written.
    ASSERT_TRUE(MoveFileW(kFolder.c_str(), (kFolder + L".away").c_str()));
    std::ofstream(std::filesystem::path(kFolder), std::ios::binary) << "not a folder";
    automation::ClickAt(Center(ChildWithText(settings, L"OK")));
    const auto box = automation::WaitForMessageBox(client_.Pid(), 5000);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->title, L"Velmora");
    EXPECT_EQ(box->text.rfind(L"色の設定を保存できませんでした。", 0), 0u) << box->text;
    automation::PressButton(box->hwnd, IDOK);
    Sleep(500);
    EXPECT_TRUE(client_.Running());
    EXPECT_EQ(ScreenPixel(popup_, 8, 40), kRed);

    // The window is still there with the choice, and a second OK saves once the folder is back.
    ASSERT_TRUE(DeleteFileW(kFolder.c_str()) && MoveFileW((kFolder + L".away").c_str(), kFolder.c_str()));
    ASSERT_TRUE(IsWindowVisible(settings));
    automation::ClickAt(Center(ChildWithText(settings, L"OK")));
    EXPECT_TRUE(automation::WaitUntil([&] { return !IsWindow(settings); }, 3000));
    EXPECT_EQ(ReadIni(), "&HFFFF00\r\n&H0\r\n");
    EXPECT_TRUE(PopupShows(popup_, RGB(0, 255, 255)));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
