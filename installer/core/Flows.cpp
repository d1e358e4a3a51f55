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
    if (files_.FindInFolder(kInstallFolder, u"velmora", u".exe")) {
        const ClientFile source{files_.FileSize(clientSource_), files_.FileVersionOf(clientSource_)};
        const ClientFile installed{files_.FileSize(kInstalledClient), files_.FileVersionOf(kInstalledClient)};
        if (ShouldUpdateClient(source, installed)) {
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

void InstallerFlows::InstallCommand(std::size_t entry) {
    const MenuEntry& e = kEntries[entry];
    const std::u16string script = ScriptPath(e);
    // A failed copy here leaves the installed client as it was, still working; start-up reports the first install.
    static_cast<void>(DeployClient());
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
            const bool shortcut = startMenu_.CreateShortcut(ShortcutFor(e));
            dialogs_.Show(shortcut ? EntryRegistered(e) : ShortcutKeyNotSet(EntryRegistered(e)));
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
            dialogs_.Show(EntryNotRegistered(e));
        } else if (!registry_.DeleteMenuExtEntry(e.caption)) {
            dialogs_.Show(RemovalFailed(e));
        } else {
            files_.RemoveFile(ScriptPath(e));
            if (!AnyOtherEntryRegistered(entry)) {
                RemoveClient();
            }
            const bool shortcut = startMenu_.RemoveShortcut(ShortcutFor(e).fileName);
            dialogs_.Show(shortcut ? EntryRemoved(e) : ShortcutKeyNotRemoved(EntryRemoved(e)));
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

// A settings file or anything else left in the folder keeps it, silently; so does a running client.
void InstallerFlows::RemoveClient() {
    files_.RemoveFile(kInstalledClient);
    files_.RemoveFolder(kInstallFolder);
}

}  // namespace installer
