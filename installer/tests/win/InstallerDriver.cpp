#include "InstallerDriver.h"

#include <gtest/gtest.h>

#include "WinTestSupport.h"
#include "win/Shortcuts.h"

namespace testsupport {
namespace {

const std::wstring kMenuExt = L"Software\\Microsoft\\Internet Explorer\\MenuExt\\";
const std::wstring kSavedFolder = L"C:\\Program Files\\Velmora.installer-test-saved";

struct SavedKey {
    bool present = false;
    std::wstring script;
    DWORD contexts = 0;
};
SavedKey savedKeys[4];
std::optional<std::string> savedControls[2];
bool savedFolder = false;
bool savedShortcuts = false;

std::wstring SavedShortcutFolder() {
    return ShortcutFolder() + L".installer-test-saved";
}

}  // namespace

bool MenuKeyExists(int entry) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, (kMenuExt + kCaptions[entry]).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

void DeleteMenuKey(int entry) {
    RegDeleteKeyW(HKEY_CURRENT_USER, (kMenuExt + kCaptions[entry]).c_str());
}

std::wstring ShortcutFolder() {
    return installer::UserShortcutFolder().value_or(L"C:\\(no Programs folder)\\Velmora");
}

void SaveSharedState() {
    savedFolder = MoveFileW(kInstallFolder.c_str(), kSavedFolder.c_str()) != FALSE;
    savedShortcuts = MoveFileW(ShortcutFolder().c_str(), SavedShortcutFolder().c_str()) != FALSE;
    for (int i = 0; i < 4; ++i) {
        SavedKey& saved = savedKeys[i];
        wchar_t script[MAX_PATH] = {};
        DWORD size = sizeof script;
        saved.present = RegGetValueW(HKEY_CURRENT_USER, (kMenuExt + kCaptions[i]).c_str(), nullptr, RRF_RT_REG_SZ,
                                     nullptr, script, &size) == ERROR_SUCCESS;
        saved.script = script;
        size = sizeof saved.contexts;
        RegGetValueW(HKEY_CURRENT_USER, (kMenuExt + kCaptions[i]).c_str(), L"contexts", RRF_RT_REG_DWORD, nullptr,
                     &saved.contexts, &size);
    }
    for (int i = 0; i < 2; ++i) {
        savedControls[i] = ReadBytes(kControlCopies[i]);
    }
    ClearInstallation();
}

void RestoreSharedState() {
    ClearInstallation();
    if (savedFolder) {
        MoveFileW(kSavedFolder.c_str(), kInstallFolder.c_str());
    }
    if (savedShortcuts) {
        MoveFileW(SavedShortcutFolder().c_str(), ShortcutFolder().c_str());
    }
    for (int i = 0; i < 4; ++i) {
        const SavedKey& saved = savedKeys[i];
        HKEY key = nullptr;
        if (saved.present && RegCreateKeyExW(HKEY_CURRENT_USER, (kMenuExt + kCaptions[i]).c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS) {
            RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(saved.script.c_str()),
                           static_cast<DWORD>((saved.script.size() + 1) * sizeof(wchar_t)));
            RegSetValueExW(key, L"contexts", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&saved.contexts),
                           sizeof saved.contexts);
            RegCloseKey(key);
        }
    }
    for (int i = 0; i < 2; ++i) {
        if (savedControls[i]) {
            WriteBytes(kControlCopies[i], *savedControls[i]);
        } else {
            DeleteFileW(kControlCopies[i].c_str());
        }
    }
}

void ClearInstallation() {
    RemoveTree(kInstallFolder);
    const std::wstring shortcuts = ShortcutFolder();
    SetFileAttributesW(shortcuts.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(shortcuts.c_str());  // a test may have put a file in its place
    RemoveTree(shortcuts);
    for (int i = 0; i < 4; ++i) {
        DeleteMenuKey(i);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Velmora\\Shortcuts");
}

InstallerRun::InstallerRun(const std::wstring& folder) {
    process_ = automation::Launch(L"\"" + folder + L"\\Install.exe\"");
    EXPECT_TRUE(process_) << "Install.exe did not start: " << GetLastError();
}

void InstallerRun::Answer(const std::wstring& title, const std::wstring& text, Box style, int button) {
    const auto box = automation::WaitForMessageBox(Pid(), kWaitMs);
    ASSERT_TRUE(box) << "no message box";
    EXPECT_EQ(box->title, title);
    EXPECT_EQ(box->text, text);
    const bool yesNo = style == Box::YesNo;
    EXPECT_EQ(GetDlgItem(box->hwnd, IDYES) != nullptr, yesNo);
    EXPECT_EQ(GetDlgItem(box->hwnd, IDNO) != nullptr, yesNo);
    EXPECT_EQ(GetDlgItem(box->hwnd, IDOK) != nullptr, !yesNo);
    EXPECT_EQ(box->buttons.size(), yesNo ? 2u : 1u);
    if (style == Box::OkWarning || style == Box::OkStop) {
        EXPECT_TRUE(
            automation::ShowsIcon(box->iconControl, LoadIconW(nullptr, style == Box::OkStop ? IDI_ERROR : IDI_WARNING)));
    } else {
        // Wine keeps the empty icon control in the box; it must hold no icon.
        EXPECT_TRUE(!box->iconControl || !IsWindowVisible(box->iconControl) ||
                    !SendMessageW(box->iconControl, STM_GETICON, 0, 0))
            << "a box without icon shows one";
    }
    EXPECT_TRUE(automation::PressButton(box->hwnd, button));
    EXPECT_TRUE(automation::WaitUntil([&] { return !IsWindow(box->hwnd); }, kWaitMs));
}

bool InstallerRun::WaitForForm() {
    automation::WaitUntil(
        [&] {
            for (HWND w : automation::TopLevelWindows(Pid(), true)) {
                if (automation::WindowText(w) == L"Velmora" && automation::ClassName(w) != L"#32770") {
                    form_ = w;
                }
            }
            return form_ != nullptr;
        },
        kWaitMs);
    tabOrder_.clear();
    for (HWND child : form_ ? automation::Children(form_) : std::vector<HWND>{}) {
        if (automation::ClassName(child) == L"Button" && (GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP)) {
            tabOrder_.push_back(child);
        }
    }
    return form_ && tabOrder_.size() == 8;
}

HWND InstallerRun::Command(int number) const {
    constexpr int kTabIndex[] = {1, 0, 2, 3, 4, 5, 6, 7};
    return tabOrder_.at(kTabIndex[number - 1]);
}

std::optional<bool> InstallerRun::Registered(int entry) const {
    const bool install = IsWindowEnabled(Command(2 * entry + 1)), uninstall = IsWindowEnabled(Command(2 * entry + 2));
    return install == uninstall ? std::nullopt : std::optional<bool>(uninstall);
}

void InstallerRun::Click(int command) const {
    PostMessageW(Command(command), BM_CLICK, 0, 0);
}

bool InstallerRun::InstallEntry(int entry, const std::wstring& extra) {
    const std::wstring& caption = kCaptions[entry];
    Click(2 * entry + 1);
    Answer(L"Velmora のｲﾝｽﾄｰﾙ", L"IE の右ｸﾘｯｸﾒﾆｭｰに「" + caption + L"」を追加しますか。", Box::YesNo, IDYES);
    Answer(L"ｲﾝｽﾄｰﾙ成功", caption + L" のｲﾝｽﾄｰﾙに成功しました。IE を再起動して下さい。" + extra, Box::Ok, IDOK);
    return automation::WaitUntil([&] { return Registered(entry) == true; }, kWaitMs);
}

bool InstallerRun::UninstallEntry(int entry, const std::wstring& extra) {
    const std::wstring& caption = kCaptions[entry];
    Click(2 * entry + 2);
    Answer(L"Velmora のｱﾝｲﾝｽﾄｰﾙ", L"IE の右ｸﾘｯｸﾒﾆｭｰから「" + caption + L"」を削除しますか。", Box::YesNo, IDYES);
    Answer(L"ｱﾝｲﾝｽﾄｰﾙ成功", caption + L" のｱﾝｲﾝｽﾄｰﾙに成功しました。IE を再起動して下さい。" + extra, Box::Ok,
           IDOK);
    return automation::WaitUntil([&] { return Registered(entry) == false; }, kWaitMs);
}

bool InstallerRun::NoBoxFor(DWORD ms) const {
    return !automation::WaitForMessageBox(Pid(), ms);
}

bool InstallerRun::Close() {
    DWORD code = 1;
    PostMessageW(form_, WM_CLOSE, 0, 0);
    return process_->WaitExit(kWaitMs, &code) && code == 0;
}

}  // namespace testsupport
