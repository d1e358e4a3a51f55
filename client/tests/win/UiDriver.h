// Driving the client's windows from the tests like a user: keys, clicks on menus and lists, the clipboard, and
// the places of windows. Under Wine another process cannot read a menu, so menus are found by their windows.
#pragma once
#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

namespace uidriver {

// The direct child with this class (the index-th of them), or with this text anywhere below the parent.
[[nodiscard]] HWND Child(HWND parent, const wchar_t* cls, int index = 0);
[[nodiscard]] HWND ChildWithText(HWND parent, const wchar_t* text);
[[nodiscard]] POINT Center(HWND window);
// A window's place in its parent's client area, or a top-level window's client area on the screen.
[[nodiscard]] RECT PlaceOf(HWND window, HWND parent, bool clientArea = false);
// A point in the window's close box, found by the window's own hit-testing.
[[nodiscard]] POINT CloseBox(HWND window);
[[nodiscard]] HWND FocusOf(HWND window);

// A key pressed and released through the system, with a modifier (VK_SHIFT, VK_CONTROL) held around it.
void Key(WORD vk, WORD modifier = 0);

[[nodiscard]] bool OpenTheClipboard();
[[nodiscard]] std::wstring ClipboardText();
void SetClipboardText(const std::wstring& text);

// The visible pop-up menus of a process, and a click on the item-th of three items.
[[nodiscard]] std::vector<HWND> OpenMenus(DWORD pid);
void ClickMenuItem(HWND menu, int item);
// Opens the drop-down list of a combo box with a click on its arrow and clicks the item.
void ChooseFromList(DWORD pid, HWND combo, int item);

// Sets the system DPI that new processes start with, and puts the old value back at the end.
class SystemDpi {
  public:
    explicit SystemDpi(DWORD dpi) {
        DWORD size = sizeof old_;
        had_ = !RegGetValueW(HKEY_CURRENT_USER, kKey, L"LogPixels", RRF_RT_REG_DWORD, nullptr, &old_, &size);
        RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
    }
    ~SystemDpi() {
        if (had_) {
            RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"LogPixels", REG_DWORD, &old_, sizeof old_);
        } else {
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"LogPixels");
        }
    }

  private:
    static constexpr const wchar_t* kKey = L"Control Panel\\Desktop";
    DWORD old_ = 96;
    bool had_ = false;
};

}  // namespace uidriver

inline bool operator==(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != FALSE;
}
inline void PrintTo(const RECT& r, std::ostream* out) {
    *out << '{' << r.left << ',' << r.top << ',' << r.right << ',' << r.bottom << '}';
}
