// The real registry, disk and message boxes behind the installer's flows.
#pragma once
#include <windows.h>

#include "core/Flows.h"

namespace installer {

// Shown on the message boxes that have no title of their own.
inline constexpr wchar_t kProgramTitle[] = L"Velmora";

class WinMenuRegistry final : public MenuRegistry {
  public:
    explicit WinMenuRegistry(HKEY root) : root_(root) {}
    bool AddMenuExtEntry(std::u16string_view caption, std::u16string_view scriptPath) override;
    bool DeleteMenuExtEntry(std::u16string_view caption) override;
    bool MenuExtEntryExists(std::u16string_view caption) override;

  private:
    HKEY root_;
};

// Failures of the operations without a result are passed over here: a command goes on with its next step.
class WinFileSystem final : public FileSystem {
  public:
    bool FindInFolder(std::u16string_view folder, std::u16string_view name, std::u16string_view extension) override;
    bool IsOrdinaryFile(std::u16string_view path) override;
    std::optional<std::uint64_t> FileSize(std::u16string_view path) override;
    std::optional<FileVersion> FileVersionOf(std::u16string_view path) override;
    void CreateFolder(std::u16string_view path) override;
    std::optional<std::u16string> CopyFileOver(std::u16string_view from, std::u16string_view to) override;
    void RemoveFile(std::u16string_view path) override;
    void RemoveFolder(std::u16string_view path) override;
    void RemoveLeftoverTemporaryFiles(std::u16string_view folder) override;
    bool WriteMenuScript(std::u16string_view path, std::u16string_view requestCode) override;
};

class WinDialogs final : public Dialogs {
  public:
    // Boxes are modal to the owner once it is on screen; before that (start-up) they stand alone.
    void SetOwner(HWND owner) { owner_ = owner; }
    Answer Show(const Message& message) override;

  private:
    HWND owner_ = nullptr;
};

// The box as the user sees it: exact text, title (or the program's), buttons and icon.
Answer ShowMessage(HWND owner, const Message& message);

}  // namespace installer
