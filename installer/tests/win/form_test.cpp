#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win/Accounts.h"
#include "win/Form1.h"

namespace installer {
namespace {

// Watches every WM_SETFONT and WM_DESTROY that reaches a control of the window, and notes each moment at which the
// control's current font is no longer a live GDI object.
std::vector<std::wstring> g_deadFonts;
HWND g_form = nullptr;

LRESULT CALLBACK WatchFonts(int code, WPARAM wp, LPARAM lp) {
    const auto* m = reinterpret_cast<const CWPSTRUCT*>(lp);
    if (code == HC_ACTION && g_form && GetParent(m->hwnd) == g_form &&
        (m->message == WM_SETFONT || m->message == WM_DESTROY)) {
        const auto font = reinterpret_cast<HGDIOBJ>(SendMessageW(m->hwnd, WM_GETFONT, 0, 0));
        if (font && GetObjectType(font) != OBJ_FONT) {
            g_deadFonts.push_back(m->message == WM_SETFONT ? L"set" : L"destroy");
        }
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

TEST(Form1, ControlsNeverHoldADeletedFont) {
    g_deadFonts.clear();
    const HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, WatchFonts, nullptr, GetCurrentThreadId());
    ASSERT_TRUE(hook);
    {
        Form1 form;
        ASSERT_TRUE(form.Create());
        g_form = form.hwnd();
        for (UINT dpi : {144u, 192u, 96u}) {
            RECT r{};
            GetWindowRect(form.hwnd(), &r);
            SendMessageW(form.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&r));
        }
    }  // the window goes with the object, its controls last
    g_form = nullptr;
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(g_deadFonts, std::vector<std::wstring>{});
}

// Under Wine the session's user is the user who runs everything: both are found and are one account.
TEST(Accounts, TheDesktopOwnerIsTheUserHere) {
    const auto elevated = ElevatedUser(), desktop = DesktopOwner();
    ASSERT_TRUE(elevated);
    ASSERT_TRUE(desktop);
    EXPECT_TRUE(elevated->sid.starts_with(u"S-1-5-")) << std::string(elevated->sid.begin(), elevated->sid.end());
    EXPECT_FALSE(elevated->name.empty());
    EXPECT_EQ(elevated->sid, desktop->sid);
    EXPECT_EQ(elevated->name, desktop->name);
}

}  // namespace
}  // namespace installer
