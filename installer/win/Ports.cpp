#include "win/Ports.h"

#include "common/Text.h"
#include "win/FileOps.h"
#include "win/MenuScriptFile.h"
#include "win/Module1.h"

namespace installer {

using common::ToWide;

bool WinMenuRegistry::AddMenuExtEntry(std::u16string_view caption, std::u16string_view scriptPath) {
    return installer::AddMenuExtEntry(root_, ToWide(caption), ToWide(scriptPath));
}

bool WinMenuRegistry::DeleteMenuExtEntry(std::u16string_view caption) {
    return installer::DeleteMenuExtEntry(root_, ToWide(caption));
}

bool WinMenuRegistry::MenuExtEntryExists(std::u16string_view caption) {
    return installer::MenuExtEntryExists(root_, ToWide(caption));
}

bool WinFileSystem::FindInFolder(std::u16string_view folder, std::u16string_view name, std::u16string_view extension) {
    return installer::FindInFolder(ToWide(folder), ToWide(name), ToWide(extension));
}

bool WinFileSystem::IsOrdinaryFile(std::u16string_view path) {
    return installer::IsOrdinaryFile(ToWide(path));
}

std::optional<std::uint64_t> WinFileSystem::FileSize(std::u16string_view path) {
    return FileSizeOf(ToWide(path));
}

std::optional<FileVersion> WinFileSystem::FileVersionOf(std::u16string_view path) {
    return installer::FileVersionOf(ToWide(path));
}

void WinFileSystem::CreateFolder(std::u16string_view path) {
    static_cast<void>(installer::CreateFolder(ToWide(path)));
}

std::optional<std::u16string> WinFileSystem::CopyFileOver(std::u16string_view from, std::u16string_view to) {
    const DWORD error = installer::CopyFileOver(ToWide(from), ToWide(to));
    if (error == ERROR_SUCCESS) {
        return std::nullopt;
    }
    return common::ToU16(common::SystemErrorText(error));
}

void WinFileSystem::RemoveFile(std::u16string_view path) {
    static_cast<void>(DeleteFileAt(ToWide(path)));
}

void WinFileSystem::RemoveFolder(std::u16string_view path) {
    static_cast<void>(RemoveEmptyFolder(ToWide(path)));
}

void WinFileSystem::RemoveLeftoverTemporaryFiles(std::u16string_view folder) {
    installer::RemoveLeftoverTemporaryFiles(ToWide(folder));
}

bool WinFileSystem::WriteMenuScript(std::u16string_view path, std::u16string_view requestCode) {
    return installer::WriteMenuScript(ToWide(path), requestCode);
}

Answer WinDialogs::Show(const Message& message) {
    return ShowMessage(owner_ && IsWindowVisible(owner_) ? owner_ : nullptr, message);
}

Answer ShowMessage(HWND owner, const Message& message) {
    UINT style = MB_OK;
    if (message.style == BoxStyle::YesNo) {
        style = MB_YESNO;
    } else if (message.style == BoxStyle::OkWarning) {
        style = MB_OK | MB_ICONWARNING;
    } else if (message.style == BoxStyle::OkStop) {
        style = MB_OK | MB_ICONSTOP;
    }
    const std::wstring title = message.title.empty() ? std::wstring(kProgramTitle) : ToWide(message.title);
    // A box that cannot be shown answers 0, which no command takes for Yes.
    switch (MessageBoxW(owner, ToWide(message.text).c_str(), title.c_str(), style)) {
        case IDYES:
            return Answer::Yes;
        case IDNO:
            return Answer::No;
        default:
            return Answer::Ok;
    }
}

}  // namespace installer
