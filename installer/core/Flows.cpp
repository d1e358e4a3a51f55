#include "core/Flows.h"

namespace installer {

InstallerFlows::InstallerFlows(MenuRegistry& registry,
                               FileSystem& files,
                               Dialogs& dialogs,
                               EntryButtons& buttons,
                               StartMenu& startMenu,
                               std::u16string sourceFolder)
    : registry_(registry),
      files_(files),
      dialogs_(dialogs),
      buttons_(buttons),
      startMenu_(startMenu),
      clientSource_(JoinPath(sourceFolder, kClientFileName)) {}

void InstallerFlows::FormLoad() {
    // A copy cut short (power lost, the process ended) leaves its temporary file, which would keep an uninstall
    // from removing the folder.
    files_.RemoveLeftoverTemporaryFiles(kInstallFolder);
    if (ClientInstalled()) {
        if (ShouldUpdateClient(ReadClient(clientSource_), ReadClient(kInstalledClient))) {
            dialogs_.Show(ClientUpdateNotice());
            if (const auto failure = files_.CopyFileOver(clientSource_, kInstalledClient)) {
                dialogs_.Show(ClientUpdateFailed(*failure));
            }
        }
    } else {
        dialogs_.Show(ClientInstallNotice());
        if (const auto failure = DeployClient()) {
            dialogs_.Show(ClientInstallFailed(*failure));
        }
    }
    AddMissingShortcuts();
    for (std::size_t entry = 0; entry < kEntryCount; ++entry) {
        RefreshEntryButtons(entry);
    }
}

// The transfer control that early clients needed is no longer copied into the system folder: the client does not
// use it, and an elevated copy of whatever lies beside the installer under that name is a gift to an attacker.
std::optional<std::u16string> InstallerFlows::DeployClient() {
    files_.CreateFolder(kInstallFolder);
    return files_.CopyFileOver(clientSource_, kInstalledClient);
}

void InstallerFlows::RefreshEntryButtons(std::size_t entry) {
    buttons_.SetEntryButtons(entry, registry_.MenuExtEntryExists(kEntries[entry].caption));
}

bool InstallerFlows::ClientInstalled() {
    return files_.FindInFolder(kInstallFolder, u"velmora", u".exe");
}

ClientFile InstallerFlows::ReadClient(std::u16string_view path) {
    return {files_.FileSize(path), files_.FileVersionOf(path)};
}

// The install button follows the start-up's rule, so that an older installer never puts its client over a newer
// one. A failed update leaves the installed client as it was, still working.
std::optional<std::u16string> InstallerFlows::InstallOrUpdateClient() {
    if (!ClientInstalled()) {
        return DeployClient();
    }
    if (ShouldUpdateClient(ReadClient(clientSource_), ReadClient(kInstalledClient))) {
        return files_.CopyFileOver(clientSource_, kInstalledClient);
    }
    return std::nullopt;
}

void InstallerFlows::InstallCommand(std::size_t entry) {
    const MenuEntry& e = kEntries[entry];
    const std::u16string script = ScriptPath(e);
    const auto failure = InstallOrUpdateClient();
    // Without a client an entry and its shortcut would start nothing: nothing is written or registered, and only
    // the folder this attempt may have made (still empty) goes again.
    if (!files_.IsOrdinaryFile(kInstalledClient)) {
        dialogs_.Show(ClientInstallFailed(failure.value_or(u"")));
        files_.RemoveFolder(kInstallFolder);
        RefreshEntryButtons(entry);
        return;
    }
    const bool written = files_.WriteMenuScript(script, e.requestCode);
    // Nothing of an entry that cannot be written may stay behind; the script of a registered entry is its own.
    if (!written && !registry_.MenuExtEntryExists(e.caption)) {
        files_.RemoveFile(script);
    }
    if (dialogs_.Show(InstallConfirmation(e)) == Answer::Yes) {
        // The box that has always stood for a script that could not be written.
        if (!written || !files_.IsOrdinaryFile(script)) {
            dialogs_.Show(ScriptFileMissing(e));
        } else if (registry_.AddMenuExtEntry(e.caption, script)) {
            dialogs_.Show(CreateShortcuts(entry) ? EntryRegistered(e) : ShortcutKeyNotSet(EntryRegistered(e)));
        } else {
            dialogs_.Show(RegistrationFailed(e));
        }
    }
    RefreshEntryButtons(entry);
}

// The registry key goes first and the files only once it is gone, so that a registered entry never names a
// deleted script. Whether the client is still needed is asked of the registry itself, not of the buttons.
void InstallerFlows::UninstallCommand(std::size_t entry) {
    const MenuEntry& e = kEntries[entry];
    if (dialogs_.Show(UninstallConfirmation(e)) == Answer::Yes) {
        if (!registry_.MenuExtEntryExists(e.caption)) {
            // The key went some other way; the entry's shortcut must not outlive it. The files stay, as before.
            static_cast<void>(RemoveShortcuts(entry, !AnyOtherEntryRegistered(entry)));
            dialogs_.Show(EntryNotRegistered(e));
        } else if (!registry_.DeleteMenuExtEntry(e.caption)) {
            dialogs_.Show(RemovalFailed(e));
        } else {
            files_.RemoveFile(ScriptPath(e));
            const bool last = !AnyOtherEntryRegistered(entry);
            if (last) {
                RemoveClient();
            }
            dialogs_.Show(RemoveShortcuts(entry, last) ? EntryRemoved(e) : ShortcutKeyNotRemoved(EntryRemoved(e)));
        }
    }
    RefreshEntryButtons(entry);
}

bool InstallerFlows::AnyOtherEntryRegistered(std::size_t entry) {
    for (std::size_t other = 0; other < kEntryCount; ++other) {
        if (other != entry && registry_.MenuExtEntryExists(kEntries[other].caption)) {
            return true;
        }
    }
    return false;
}

// Users of a release without shortcuts get them for the entries they have. One that is there stays as it is: its
// key may be the user's own choice. One the user deleted (to free its key) stays deleted. Silent, since the user
// asked for none of it; with no client, none is made.
void InstallerFlows::AddMissingShortcuts() {
    if (!files_.IsOrdinaryFile(kInstalledClient)) {
        return;
    }
    bool any = false;
    for (const MenuEntry& e : kEntries) {
        if (registry_.MenuExtEntryExists(e.caption)) {
            any = true;
            static_cast<void>(MakeOnce(ShortcutFor(e)));
        }
    }
    for (const Shortcut& shared : SharedShortcuts()) {
        if (any) {
            static_cast<void>(MakeOnce(shared));
        }
    }
}

bool InstallerFlows::MakeOnce(const Shortcut& shortcut) {
    if (startMenu_.ShortcutExists(shortcut.fileName)) {
        startMenu_.NoteMade(shortcut.fileName, true);  // one of an earlier release: deleting it is the user's say
        return true;
    }
    if (startMenu_.WasMade(shortcut.fileName)) {
        return true;
    }
    const bool made = startMenu_.CreateShortcut(shortcut);
    startMenu_.NoteMade(shortcut.fileName, made);
    return made;
}

// Installing an entry makes its shortcut again, even one the user deleted; the shared ones only once.
bool InstallerFlows::CreateShortcuts(std::size_t entry) {
    const Shortcut own = ShortcutFor(kEntries[entry]);
    bool made = startMenu_.CreateShortcut(own);
    startMenu_.NoteMade(own.fileName, made);
    for (const Shortcut& shared : SharedShortcuts()) {
        made = MakeOnce(shared) && made;
    }
    return made;
}

bool InstallerFlows::RemoveShortcuts(std::size_t entry, bool last) {
    const std::u16string own = ShortcutFor(kEntries[entry]).fileName;
    bool gone = startMenu_.RemoveShortcut(own);
    startMenu_.NoteMade(own, false);
    if (last) {
        for (const Shortcut& shared : SharedShortcuts()) {
            gone = startMenu_.RemoveShortcut(shared.fileName) && gone;
            startMenu_.NoteMade(shared.fileName, false);
        }
    }
    return gone;
}

// A settings file or anything else left in the folder keeps it, silently; so does a running client.
void InstallerFlows::RemoveClient() {
    files_.RemoveFile(kInstalledClient);
    files_.RemoveFolder(kInstallFolder);
}

}  // namespace installer
