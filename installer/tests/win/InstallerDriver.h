// Drives the real Install.exe from outside, as a user would: its start-up boxes, its window and its buttons.
// The install folder, the menu keys and the control copies are shared with other suites, so the environment puts
// back whatever it found there.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "win/Automation.h"

namespace testsupport {

inline const std::wstring kInstallFolder = L"C:\\Program Files\\Velmora";
inline const std::wstring kInstalledClient = kInstallFolder + L"\\velmora.exe";
inline const std::wstring kCaptions[4] = {
    L"Velmora\u3000選択範囲を英日翻訳(Excite)(&E)",
    L"Velmora\u3000選択範囲を日英翻訳(Excite)(&J)",
    L"Velmora\u3000選択範囲を英日翻訳(infoseek)(&E)",
    L"Velmora\u3000選択範囲を日英翻訳(infoseek)(&J)",
};
inline const std::wstring kControlCopies[2] = {L"C:\\windows\\system32\\MSINET.OCX",
                                               L"C:\\windows\\system\\MSINET.OCX"};
// The shortcuts of the four entries, then the two they share.
inline const std::wstring kLinkNames[6] = {L"選択範囲を英日翻訳(Excite).lnk",   L"選択範囲を日英翻訳(Excite).lnk",
                                           L"選択範囲を英日翻訳(infoseek).lnk", L"選択範囲を日英翻訳(infoseek).lnk",
                                           L"選択範囲を自動翻訳.lnk",           L"翻訳サービスの設定.lnk"};
constexpr DWORD kWaitMs = 15000;

// The shortcut folder "Velmora" in the user's Start Menu Programs folder.
[[nodiscard]] std::wstring ShortcutFolder();

// Saves and clears the shared state before the suite, and puts it back afterwards.
void SaveSharedState();
void RestoreSharedState();
// Empties the install folder and the shortcut folder and removes the four menu keys.
void ClearInstallation();

[[nodiscard]] bool MenuKeyExists(int entry);
void DeleteMenuKey(int entry);

enum class Box { Ok, OkWarning, OkStop, YesNo };

class InstallerRun {
  public:
    // Starts Install.exe from the given folder.
    explicit InstallerRun(const std::wstring& folder);

    [[nodiscard]] DWORD Pid() const { return process_ ? process_->Pid() : 0; }
    [[nodiscard]] HANDLE Handle() const { return process_ ? process_->Handle() : nullptr; }
    // Waits for a message box, checks its title, text, buttons and icon, and answers it with the button id.
    void Answer(const std::wstring& title, const std::wstring& text, Box style, int button);
    // Waits for the installer's window; false when it did not come.
    [[nodiscard]] bool WaitForForm();
    [[nodiscard]] HWND Form() const { return form_; }
    // Command1 to Command8 as the window's tab order has them: Command2 first, then Command1, then 3 to 8.
    [[nodiscard]] HWND Command(int number) const;
    // The entry's pair: true for install disabled and uninstall enabled, false for the reverse, empty otherwise.
    [[nodiscard]] std::optional<bool> Registered(int entry) const;
    void Click(int command) const;
    // Installs or removes one entry by its button, answering Yes and then the success box; true when the entry's
    // buttons then follow. `extra` is a sentence the success box carries after the usual text.
    [[nodiscard]] bool InstallEntry(int entry, const std::wstring& extra = L"");
    [[nodiscard]] bool UninstallEntry(int entry, const std::wstring& extra = L"");
    // No box and no change for a moment: the command is over.
    [[nodiscard]] bool NoBoxFor(DWORD ms) const;
    // Closes the window; true when the program then ends with 0.
    [[nodiscard]] bool Close();

  private:
    std::optional<automation::Process> process_;
    HWND form_ = nullptr;
    std::vector<HWND> tabOrder_;
};

}  // namespace testsupport
