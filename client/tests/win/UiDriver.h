// Driving the client's windows from the tests like a user: keys, clicks on menus and lists, the clipboard, and
// the places of windows. Under Wine another process cannot read a menu, so menus are found by their windows.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "standin/Standin.h"
#include "win/Automation.h"

namespace uidriver {

// The frame of the client's window tests: the stand-in service for the whole suite, the settings file saved
// before each test (and left missing) and put back after it, and the client under test.
class ClientTest : public testing::Test {
  protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Starts the client with the pointer at `cursor` and waits for its popup to be painted.
    HWND OpenPopup(POINT cursor = {600, 500}, const std::wstring& argument = L"EJhnAHello world");
    // A right press on the popup's background, then the menu that opens.
    HWND OpenMenu();
    // Starts the client with both services pointed at the stand-in; returns at once.
    bool StartClient(const std::wstring& argument);

    static standin::Server* server_;
    std::optional<std::string> saved_;
    automation::Process client_;
    HWND popup_ = nullptr;
};

// The client's settings file, read and written whole as bytes; "(missing)" when there is none.
// The user's settings folder, where every client of this user reads and writes velmora.ini.
extern const std::wstring kSettingsFolder;
extern const std::wstring kSettingsFile;
[[nodiscard]] std::string ReadIni();
void WriteIni(const std::string& bytes);

using RegistryData = std::optional<std::pair<DWORD, std::vector<BYTE>>>;  // type and bytes, or none
// A value under HKEY_CURRENT_USER\Software\Velmora; nothing when missing.
[[nodiscard]] RegistryData RegistryValue(const wchar_t* name);
void SetRegistryValue(const wchar_t* name, DWORD type, const void* bytes, DWORD size);
// A generic credential as CredReadW gives it: the blob as text (no terminator expected), its persistence and user.
struct StoredCredential {
    std::wstring blob;
    DWORD blobBytes = 0;
    DWORD persist = 0;
    std::wstring userName;
};
[[nodiscard]] std::optional<StoredCredential> ReadCredential(const wchar_t* target);
// Chooses a service as the service window saves it: `Service` and `LibreTranslateUrl` (for "openai" `OpenAIUrl`,
// and the model "test-model"), and the service's key (none when null) in Credential Manager. For use inside a SavedServiceSettings.
void ChooseService(const wchar_t* service, const std::wstring& libreTranslateUrl = L"", const wchar_t* key = nullptr);

// The service choice (HKEY_CURRENT_USER\\Software\\Velmora) and both keys of Credential Manager: saved and removed
// when made, so that a test starts from none, and put back as they were when it goes.
class SavedServiceSettings {
  public:
    SavedServiceSettings();
    ~SavedServiceSettings();
    SavedServiceSettings(const SavedServiceSettings&) = delete;
    SavedServiceSettings& operator=(const SavedServiceSettings&) = delete;

  private:
    std::vector<std::pair<const wchar_t*, RegistryData>> values_;
    std::vector<std::pair<const wchar_t*, std::optional<StoredCredential>>> keys_;
};

// The colour on screen at a point of a window's client area.
[[nodiscard]] COLORREF ScreenPixel(HWND window, int x, int y);

// The direct child with this class (the index-th of them), or with this text anywhere below the parent.
[[nodiscard]] HWND Child(HWND parent, const wchar_t* cls, int index = 0);
[[nodiscard]] HWND ChildWithText(HWND parent, const wchar_t* text);
[[nodiscard]] POINT Center(HWND window);
// A window's place in its parent's client area, or a top-level window's client area on the screen.
[[nodiscard]] RECT PlaceOf(HWND window, HWND parent, bool clientArea = false);
// A point in the window's close box, found by the window's own hit-testing.
[[nodiscard]] POINT CloseBox(HWND window);
[[nodiscard]] HWND FocusOf(HWND window);
// The text of the client's popup once it shows, or "(no popup)".
[[nodiscard]] std::wstring PopupText(DWORD pid, DWORD timeoutMs = 20000);

// A key pressed and released through the system, with a modifier (VK_SHIFT, VK_CONTROL, VK_MENU) held around it.
void Key(WORD vk, WORD modifier = 0);
// Text typed as characters, whatever the keyboard layout.
void Type(const std::wstring& text);

[[nodiscard]] bool OpenTheClipboard();
[[nodiscard]] std::wstring ClipboardText();
void SetClipboardText(const std::wstring& text);

// The visible pop-up menus of a process, and a click on the item-th of the popup menu's `items` (a selection
// start's menu has one more, after the copy).
[[nodiscard]] std::vector<HWND> OpenMenus(DWORD pid);
enum MenuItem { kCopy, kConf, kService, kClose, kMenuItems };
void ClickMenuItem(HWND menu, int item, int items = kMenuItems);
// Opens the drop-down list of a combo box with a click on its arrow and clicks the item.
void ChooseFromList(DWORD pid, HWND combo, int item);

}  // namespace uidriver

inline bool operator==(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != FALSE;
}
inline void PrintTo(const RECT& r, std::ostream* out) {
    *out << '{' << r.left << ',' << r.top << ',' << r.right << ',' << r.bottom << '}';
}
