// What the installer does: the start-up deployment and the install and uninstall commands of the four entries.
// Written against small interfaces so that the Win32 program and the tests supply their own registry, files,
// dialogs and buttons.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/Entries.h"
#include "core/Messages.h"
#include "core/Shortcuts.h"
#include "core/Update.h"

namespace installer {

// The browser's menu entries in the current user's registry; any failure answers false.
class MenuRegistry {
  public:
    virtual ~MenuRegistry() = default;
    [[nodiscard]] virtual bool AddMenuExtEntry(std::u16string_view caption, std::u16string_view scriptPath) = 0;
    [[nodiscard]] virtual bool DeleteMenuExtEntry(std::u16string_view caption) = 0;
    [[nodiscard]] virtual bool MenuExtEntryExists(std::u16string_view caption) = 0;
};

// File operations. The ones without a result never stop a command: a failure is passed over, and what it left
// behind is found later by looking (IsOrdinaryFile) or not at all. The two writers put their file in place whole
// or not at all: a failure leaves the target as it was.
class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // Looks for name + extension in that one folder only.
    [[nodiscard]] virtual bool FindInFolder(std::u16string_view folder,
                                            std::u16string_view name,
                                            std::u16string_view extension) = 0;
    // An existing file that is not a folder, not hidden and not a system file.
    [[nodiscard]] virtual bool IsOrdinaryFile(std::u16string_view path) = 0;
    [[nodiscard]] virtual std::optional<std::uint64_t> FileSize(std::u16string_view path) = 0;
    [[nodiscard]] virtual std::optional<FileVersion> FileVersionOf(std::u16string_view path) = 0;
    // Creates only the last level; the parent must exist.
    virtual void CreateFolder(std::u16string_view path) = 0;
    // Empty when the copy is in place; otherwise the system's text of why it is not.
    [[nodiscard]] virtual std::optional<std::u16string> CopyFileOver(std::u16string_view from,
                                                                     std::u16string_view to) = 0;
    virtual void RemoveFile(std::u16string_view path) = 0;
    // Removes the folder only when it is empty.
    virtual void RemoveFolder(std::u16string_view path) = 0;
    // Deletes the temporary files (IsLeftoverTemporaryFile) that a run cut short left in the folder.
    virtual void RemoveLeftoverTemporaryFiles(std::u16string_view folder) = 0;
    [[nodiscard]] virtual bool WriteMenuScript(std::u16string_view path, std::u16string_view requestCode) = 0;
};

// The per-user Start Menu shortcuts with their shortcut keys. A failure answers false and is only reported: the
// browser menu entry stands on its own.
class StartMenu {
  public:
    virtual ~StartMenu() = default;
    // Creates or replaces the shortcut in the shortcut folder, creating the folder first when needed.
    [[nodiscard]] virtual bool CreateShortcut(const Shortcut& shortcut) = 0;
    // Removes the shortcut (one that is already gone counts as removed), and the folder once it is empty.
    [[nodiscard]] virtual bool RemoveShortcut(std::u16string_view fileName) = 0;
    [[nodiscard]] virtual bool ShortcutExists(std::u16string_view fileName) = 0;
    // Whether the shortcut was made for this user once (the user may have deleted it since), kept beside the
    // shortcuts' owner rather than in their folder, which the user may delete as a whole.
    [[nodiscard]] virtual bool WasMade(std::u16string_view fileName) = 0;
    virtual void NoteMade(std::u16string_view fileName, bool made) = 0;
};

enum class Answer { Ok, Yes, No };

class Dialogs {
  public:
    virtual ~Dialogs() = default;
    virtual Answer Show(const Message& message) = 0;
};

// The window's pair of buttons per entry.
class EntryButtons {
  public:
    virtual ~EntryButtons() = default;
    // registered: install disabled, uninstall enabled; otherwise the reverse.
    virtual void SetEntryButtons(std::size_t entry, bool registered) = 0;
};

class InstallerFlows {
  public:
    InstallerFlows(MenuRegistry& registry,
                   FileSystem& files,
                   Dialogs& dialogs,
                   EntryButtons& buttons,
                   StartMenu& startMenu,
                   std::u16string sourceFolder);

    // Start-up, before the window shows: install or update the client, give the registered entries the shortcuts
    // they lack, then set all four pairs of buttons.
    void FormLoad();
    // Creates the install folder and copies the client into it; the answer is the copy's failure text, if any.
    [[nodiscard]] std::optional<std::u16string> DeployClient();
    // Sets the entry's pair of buttons from the registry.
    void RefreshEntryButtons(std::size_t entry);
    // entry: 0 to 3, the rows of kEntries.
    void InstallCommand(std::size_t entry);
    void UninstallCommand(std::size_t entry);

  private:
    [[nodiscard]] bool ClientInstalled();
    [[nodiscard]] ClientFile ReadClient(std::u16string_view path);
    // Installs the client when there is none, or else updates it by the start-up's rule; the copy's failure text.
    [[nodiscard]] std::optional<std::u16string> InstallOrUpdateClient();
    [[nodiscard]] bool AnyOtherEntryRegistered(std::size_t entry);
    void AddMissingShortcuts();
    // Makes the shortcut unless it is there or was made once already; true unless making it failed.
    [[nodiscard]] bool MakeOnce(const Shortcut& shortcut);
    // The entry's shortcut and the shared ones (those that are missing); true when all are in place.
    [[nodiscard]] bool CreateShortcuts(std::size_t entry);
    // The entry's shortcut, and the shared ones with the last entry; true when all are gone.
    [[nodiscard]] bool RemoveShortcuts(std::size_t entry, bool last);
    void RemoveClient();

    MenuRegistry& registry_;
    FileSystem& files_;
    Dialogs& dialogs_;
    EntryButtons& buttons_;
    StartMenu& startMenu_;
    std::u16string clientSource_;
};

}  // namespace installer
