#include "win/Shortcuts.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "common/Handles.h"
#include "common/Text.h"

namespace installer {
namespace {

using common::ToWide;

bool SaveShortcut(const std::wstring& path, const Shortcut& shortcut) {
    // COM for the length of one call.
    const common::ComScope com(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE, &CoInitializeEx, &CoUninitialize);
    common::ComPtr<IShellLinkW> link;
    common::ComPtr<IPersistFile> file;
    const WORD hotKey = MAKEWORD(static_cast<BYTE>(shortcut.key.key), shortcut.key.modifiers);
    return SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                      reinterpret_cast<void**>(link.Out()))) &&
           SUCCEEDED(link->SetPath(ToWide(shortcut.target).c_str())) &&
           SUCCEEDED(link->SetArguments(ToWide(shortcut.arguments).c_str())) &&
           SUCCEEDED(link->SetWorkingDirectory(ToWide(shortcut.workingFolder).c_str())) &&
           SUCCEEDED(link->SetDescription(ToWide(shortcut.description).c_str())) &&
           SUCCEEDED(link->SetHotkey(hotKey)) && SUCCEEDED(link->SetShowCmd(SW_SHOWNORMAL)) &&
           SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Out()))) &&
           SUCCEEDED(file->Save(path.c_str(), TRUE));
}

}  // namespace

std::optional<std::wstring> UserShortcutFolder() {
    PWSTR programs = nullptr;
    if (FAILED(SHGetKnownFolderPath(FOLDERID_Programs, 0, nullptr, &programs))) {
        return std::nullopt;
    }
    std::wstring folder = std::wstring(programs) + L"\\" + ToWide(kShortcutFolderName);
    CoTaskMemFree(programs);
    return folder;
}

std::optional<std::wstring> WinStartMenu::Folder() const {
    return folder_.empty() ? UserShortcutFolder() : std::optional(folder_);
}

bool WinStartMenu::CreateShortcut(const Shortcut& shortcut) {
    const auto folder = Folder();
    if (!folder) {
        return false;
    }
    // A file of the folder's name makes the save fail below, which is the answer we want.
    const bool made = CreateDirectoryW(folder->c_str(), nullptr) != FALSE;
    if (SaveShortcut(*folder + L"\\" + ToWide(shortcut.fileName), shortcut)) {
        return true;
    }
    if (made) {
        RemoveDirectoryW(folder->c_str());
    }
    return false;
}

bool WinStartMenu::ShortcutExists(std::u16string_view fileName) {
    const auto folder = Folder();
    const DWORD attributes =
        folder ? GetFileAttributesW((*folder + L"\\" + ToWide(fileName)).c_str()) : INVALID_FILE_ATTRIBUTES;
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool WinStartMenu::RemoveShortcut(std::u16string_view fileName) {
    const auto folder = Folder();
    if (!folder) {
        return false;
    }
    const bool gone = DeleteFileW((*folder + L"\\" + ToWide(fileName)).c_str()) ||
                      GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
    // Only an empty folder goes; the other entries' shortcuts keep it.
    RemoveDirectoryW(folder->c_str());
    return gone;
}

bool WinStartMenu::WasMade(std::u16string_view fileName) {
    DWORD made = 0;
    DWORD size = sizeof made;
    return RegGetValueW(HKEY_CURRENT_USER, kShortcutsMadeKey, ToWide(fileName).c_str(), RRF_RT_REG_DWORD, nullptr,
                        &made, &size) == ERROR_SUCCESS &&
           made != 0;
}

void WinStartMenu::NoteMade(std::u16string_view fileName, bool made) {
    const std::wstring name = ToWide(fileName);
    if (!made) {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kShortcutsMadeKey, name.c_str());
        return;
    }
    const DWORD one = 1;
    RegSetKeyValueW(HKEY_CURRENT_USER, kShortcutsMadeKey, name.c_str(), REG_DWORD, &one, sizeof one);
}

}  // namespace installer
