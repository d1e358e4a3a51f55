#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <set>

#include "core/Flows.h"
#include "core/MenuScript.h"

namespace installer {
namespace {

const std::u16string kSourceClient = u"D:\\setup\\velmora.exe";
const std::u16string kScript0 = ScriptPath(kEntries[0]);
const std::u16string kClient(kInstalledClient);
const std::u16string kFolder(kInstallFolder);
using Buttons = std::array<std::optional<bool>, kEntryCount>;

// The registry, the disk, the message boxes and the window in memory, with faults to switch on.
struct FakeSystem : MenuRegistry, FileSystem, Dialogs, EntryButtons, StartMenu {
    struct File {
        File(std::uint64_t s = 0, std::optional<FileVersion> v = {}) : size(s), version(v) {}
        std::uint64_t size;
        std::optional<FileVersion> version;
    };
    std::map<std::u16string, std::u16string> keys;  // caption -> script path
    std::map<std::u16string, File> files;
    std::map<std::u16string, std::u16string> scriptCodes;
    std::set<std::u16string> folders{u"C:\\Program Files", u"C:\\windows\\system32", u"C:\\windows\\system",
                                     u"D:\\setup"};
    std::set<std::u16string> locked;  // in use: cannot be replaced or deleted
    bool addFails = false, deleteFails = false;
    std::map<std::u16string, Shortcut> shortcuts;  // by file name
    bool startMenuFails = false;
    bool diskFull = false;  // every copy and write fails, leaving its target as it was
    std::deque<Answer> answers;  // for the Yes/No boxes in turn; Yes once they run out
    std::vector<Message> shown;
    Buttons buttons;

    bool Has(std::u16string_view path) const { return files.count(std::u16string(path)) != 0; }
    bool HasFolder(std::u16string_view path) const { return folders.count(std::u16string(path)) != 0; }
    bool ParentExists(std::u16string_view path) const { return HasFolder(path.substr(0, path.rfind(u'\\'))); }
    bool Usable(std::u16string_view path) const { return ParentExists(path) && !locked.count(std::u16string(path)); }

    bool AddMenuExtEntry(std::u16string_view caption, std::u16string_view script) override {
        return !addFails && (keys[std::u16string(caption)] = script, true);
    }
    bool DeleteMenuExtEntry(std::u16string_view caption) override {
        return !deleteFails && keys.erase(std::u16string(caption)) == 1;
    }
    bool MenuExtEntryExists(std::u16string_view caption) override { return keys.count(std::u16string(caption)); }
    bool FindInFolder(std::u16string_view folder, std::u16string_view name, std::u16string_view ext) override {
        return Has(JoinPath(folder, std::u16string(name) + std::u16string(ext)));
    }
    bool IsOrdinaryFile(std::u16string_view path) override { return Has(path); }
    std::optional<std::uint64_t> FileSize(std::u16string_view path) override {
        return Has(path) ? std::optional(files[std::u16string(path)].size) : std::nullopt;
    }
    std::optional<FileVersion> FileVersionOf(std::u16string_view path) override {
        return Has(path) ? files[std::u16string(path)].version : std::nullopt;
    }
    void CreateFolder(std::u16string_view path) override {
        if (ParentExists(path)) {
            folders.insert(std::u16string(path));
        }
    }
    std::optional<std::u16string> CopyFileOver(std::u16string_view from, std::u16string_view to) override {
        if (diskFull) {
            return u"disk full";
        }
        if (!Has(from) || !Usable(to)) {
            return u"cannot copy";
        }
        files[std::u16string(to)] = files[std::u16string(from)];
        return std::nullopt;
    }
    void RemoveFile(std::u16string_view path) override {
        if (!locked.count(std::u16string(path))) {
            files.erase(std::u16string(path));
        }
    }
    void RemoveFolder(std::u16string_view path) override {
        for (const auto& [name, file] : files) {
            if (name.starts_with(std::u16string(path) + u'\\')) {
                return;
            }
        }
        folders.erase(std::u16string(path));
    }
    void RemoveLeftoverTemporaryFiles(std::u16string_view folder) override { swept.emplace_back(folder); }
    std::vector<std::u16string> swept;  // the folders whose leftover temporary files were removed
    bool WriteMenuScript(std::u16string_view path, std::u16string_view code) override {
        if (diskFull || !Usable(path)) {
            return false;
        }
        files[std::u16string(path)] = {MenuScriptText(code).size()};
        scriptCodes[std::u16string(path)] = code;
        return true;
    }
    Answer Show(const Message& message) override {
        shown.push_back(message);
        if (message.style != BoxStyle::YesNo) {
            return Answer::Ok;
        }
        const Answer answer = answers.empty() ? Answer::Yes : answers.front();
        if (!answers.empty()) {
            answers.pop_front();
        }
        return answer;
    }
    void SetEntryButtons(std::size_t entry, bool registered) override { buttons.at(entry) = registered; }
    bool CreateShortcut(const Shortcut& shortcut) override {
        return !startMenuFails && (shortcuts[shortcut.fileName] = shortcut, true);
    }
    bool RemoveShortcut(std::u16string_view fileName) override {
        return !startMenuFails && (shortcuts.erase(std::u16string(fileName)), true);
    }
    bool ShortcutExists(std::u16string_view fileName) override { return shortcuts.count(std::u16string(fileName)); }
    bool WasMade(std::u16string_view fileName) override { return made.count(std::u16string(fileName)) != 0; }
    void NoteMade(std::u16string_view fileName, bool yes) override {
        yes ? (void)made.insert(std::u16string(fileName)) : (void)made.erase(std::u16string(fileName));
    }
    std::set<std::u16string> made;
};

struct World : FakeSystem {
    InstallerFlows flows{*this, *this, *this, *this, *this, u"D:\\setup"};
};

// Whatever lies beside the installer as MSINET.OCX stays out of the system folders: the client does not use it.
TEST(FormLoad, FirstStartDeploysTheClientOnlyAndSetsButtonsFromTheRegistry) {
    World w;
    w.files[kSourceClient] = {500};
    w.files[u"D:\\setup\\MSINET.OCX"] = {90};
    w.keys[std::u16string(kEntries[1].caption)] = u"x";
    w.flows.FormLoad();
    EXPECT_EQ(w.shown, std::vector{ClientInstallNotice()});
    EXPECT_EQ(w.FileSize(kClient), 500u);
    EXPECT_FALSE(w.Has(u"C:\\windows\\system32\\MSINET.OCX"));
    EXPECT_FALSE(w.Has(u"C:\\windows\\system\\MSINET.OCX"));
    EXPECT_EQ(w.buttons, (Buttons{false, true, false, false}));
    EXPECT_EQ(w.swept, std::vector<std::u16string>{kFolder});  // a copy cut short must not keep the folder
}

TEST(FormLoad, AFailedClientCopyIsReportedAndTheOldClientKept) {
    const FileVersion v1{{1, 0, 0, 0}}, v2{{2, 0, 0, 0}};
    struct Case {
        const char* what;
        bool installed, running, diskFull;
        std::vector<Message> shown;
    };
    const Case cases[] = {
        {"update while the client runs", true, true, false,
         {ClientUpdateNotice(), ClientUpdateFailed(u"cannot copy")}},
        {"update on a full disk", true, false, true, {ClientUpdateNotice(), ClientUpdateFailed(u"disk full")}},
        {"first install on a full disk", false, false, true,
         {ClientInstallNotice(), ClientInstallFailed(u"disk full")}},
    };
    for (const Case& c : cases) {
        World w;
        w.files[kSourceClient] = {400, v2};
        if (c.installed) {
            w.folders.insert(kFolder);
            w.files[kClient] = {500, v1};
        }
        if (c.running) {
            w.locked.insert(kClient);
        }
        w.diskFull = c.diskFull;
        w.flows.FormLoad();
        EXPECT_EQ(w.shown, c.shown) << c.what;
        EXPECT_EQ(w.FileVersionOf(kClient), c.installed ? std::optional(v1) : std::nullopt) << c.what;
        EXPECT_EQ(w.buttons, (Buttons{false, false, false, false})) << c.what;
    }
}

// The install button follows the same rule.
TEST(FormLoad, InstalledClientIsReplacedOnlyByANewerOne) {
    const FileVersion v0{{0, 9, 0, 0}}, v1{{1, 0, 0, 0}}, v2{{2, 0, 0, 0}};
    struct Case {
        const char* what;
        std::optional<FakeSystem::File> source;
        bool update;
    };
    const Case cases[] = {
        {"same client", FakeSystem::File{500, v1}, false},
        {"newer but smaller", FakeSystem::File{400, v2}, true},
        {"none beside the installer", std::nullopt, false},
        {"older beside the installer", FakeSystem::File{600, v0}, false},
    };
    for (const Case& c : cases) {
        World w;
        w.folders.insert(kFolder);
        w.files[kClient] = {500, v1};
        if (c.source) {
            w.files[kSourceClient] = *c.source;
        }
        w.flows.FormLoad();
        EXPECT_EQ(w.shown, c.update ? std::vector{ClientUpdateNotice()} : std::vector<Message>{}) << c.what;
        EXPECT_EQ(w.FileVersionOf(kClient), c.update ? v2 : v1) << c.what;
        EXPECT_EQ(w.buttons, (Buttons{false, false, false, false})) << c.what;
        w.flows.InstallCommand(0);
        EXPECT_EQ(w.FileVersionOf(kClient), c.update ? v2 : v1) << c.what;
    }
}

TEST(InstallCommand, AnsweredYesRegistersEachEntryWithItsOwnScript) {
    World w;
    w.files[kSourceClient] = {500};
    for (std::size_t entry = 0; entry < kEntryCount; ++entry) {
        const MenuEntry& e = kEntries[entry];
        w.shown.clear();
        w.flows.InstallCommand(entry);
        EXPECT_EQ(w.shown, (std::vector{InstallConfirmation(e), EntryRegistered(e)})) << entry;
        EXPECT_EQ(w.keys[std::u16string(e.caption)], ScriptPath(e));
        EXPECT_EQ(w.scriptCodes[ScriptPath(e)], e.requestCode);
        EXPECT_EQ(w.buttons[entry], true);
    }
    EXPECT_EQ(w.FileSize(kClient), 500u);
}

TEST(InstallCommand, OtherOutcomesAndTheButtonsFollowTheRegistry) {
    const MenuEntry& e = kEntries[0];
    struct Case {
        const char* what;
        Answer answer;
        bool noFolder, addFails, oldKey;
        std::vector<Message> shown;
        bool noClient = false;  // none beside the installer and none installed
    };
    const Case cases[] = {
        {"answered No", Answer::No, false, false, false, {InstallConfirmation(e)}},
        {"answered No over an old key", Answer::No, false, false, true, {InstallConfirmation(e)}},
        {"folder impossible", Answer::Yes, true, false, false, {ClientInstallFailed(u"cannot copy")}},
        {"registration fails", Answer::Yes, false, true, false, {InstallConfirmation(e), RegistrationFailed(e)}},
        {"fails over an old key", Answer::Yes, false, true, true, {InstallConfirmation(e), RegistrationFailed(e)}},
        {"no client anywhere", Answer::Yes, false, false, false, {ClientInstallFailed(u"cannot copy")}, true},
    };
    for (const Case& c : cases) {
        World w;
        if (!c.noClient) {
            w.files[kSourceClient] = {500};
        }
        w.answers = {c.answer};
        w.addFails = c.addFails;
        if (c.noFolder) {
            w.folders.erase(u"C:\\Program Files");
        }
        if (c.oldKey) {
            w.keys[std::u16string(e.caption)] = u"old";
        }
        w.flows.InstallCommand(0);
        EXPECT_EQ(w.shown, c.shown) << c.what;
        EXPECT_EQ(w.buttons[0], c.oldKey) << c.what;
        EXPECT_EQ(w.MenuExtEntryExists(e.caption), c.oldKey) << c.what;
        // Whatever the answer, the client and the script were put in place before asking; a refusal leaves no folder.
        EXPECT_EQ(w.Has(kClient) && w.Has(kScript0), !c.noFolder && !c.noClient) << c.what;
        EXPECT_EQ(w.HasFolder(kFolder), !c.noFolder && !c.noClient) << c.what;
    }
}

// A script that cannot be written registers nothing and leaves nothing of its entry, but the script of an entry
// registered before stays with its key.
TEST(InstallCommand, AFailedScriptWriteRegistersNothingAndLeavesNothing) {
    const MenuEntry& e = kEntries[0];
    struct Case {
        const char* what;
        Answer answer;
        bool oldKey;
        std::vector<Message> shown;
    };
    const Case cases[] = {
        {"answered Yes", Answer::Yes, false, {InstallConfirmation(e), ScriptFileMissing(e)}},
        {"answered No", Answer::No, false, {InstallConfirmation(e)}},
        {"over an old key", Answer::Yes, true, {InstallConfirmation(e), ScriptFileMissing(e)}},
    };
    for (const Case& c : cases) {
        World w;
        w.folders.insert(kFolder);
        w.files[kSourceClient] = {500};
        w.files[kClient] = {500};
        w.files[kScript0] = {7};  // an older or cut-short script
        if (c.oldKey) {
            w.keys[std::u16string(e.caption)] = kScript0;
        }
        w.answers = {c.answer};
        w.diskFull = true;
        w.flows.InstallCommand(0);
        EXPECT_EQ(w.shown, c.shown) << c.what;
        EXPECT_EQ(w.MenuExtEntryExists(e.caption), c.oldKey) << c.what;
        EXPECT_EQ(w.Has(kScript0), c.oldKey) << c.what;
        EXPECT_EQ(w.buttons[0], c.oldKey) << c.what;
        EXPECT_TRUE(w.Has(kClient)) << c.what;
    }
}

TEST(UninstallCommand, Outcomes) {
    const MenuEntry& e = kEntries[0];
    const std::u16string settings = kFolder + u"\\velmora.ini";
    struct Case {
        const char* what;
        Answer answer;
        bool registered, deleteFails, otherEntry, settingsFile, clientRunning;
        std::vector<Message> shown;
        bool scriptLeft, clientLeft, folderLeft;
    };
    const std::vector confirmOnly{UninstallConfirmation(e)}, removed{UninstallConfirmation(e), EntryRemoved(e)};
    const Case cases[] = {
        {"answered No", Answer::No, true, false, false, false, false, confirmOnly, true, true, true},
        {"not registered",
         Answer::Yes,
         false,
         false,
         false,
         false,
         false,
         {UninstallConfirmation(e), EntryNotRegistered(e)},
         true,
         true,
         true},
        // The key stays, so its script must stay too.
        {"removal fails",
         Answer::Yes,
         true,
         true,
         false,
         false,
         false,
         {UninstallConfirmation(e), RemovalFailed(e)},
         true,
         true,
         true},
        {"last entry", Answer::Yes, true, false, false, false, false, removed, false, false, false},
        // The window never showed the other entry; the registry decides.
        {"another entry left", Answer::Yes, true, false, true, false, false, removed, false, true, true},
        {"settings file left", Answer::Yes, true, false, false, true, false, removed, false, false, true},
        {"client running", Answer::Yes, true, false, false, false, true, removed, false, true, true},
    };
    for (const Case& c : cases) {
        World w;
        w.folders.insert(kFolder);
        w.files[kClient] = {500};
        w.files[kScript0] = {10};
        if (c.registered) {
            w.keys[std::u16string(e.caption)] = kScript0;
        }
        if (c.otherEntry) {
            w.keys[std::u16string(kEntries[3].caption)] = u"x";
        }
        if (c.settingsFile) {
            w.files[settings] = {20};
        }
        if (c.clientRunning) {
            w.locked.insert(kClient);
        }
        w.answers = {c.answer};
        w.deleteFails = c.deleteFails;
        w.flows.UninstallCommand(0);
        EXPECT_EQ(w.shown, c.shown) << c.what;
        EXPECT_EQ(w.Has(kScript0), c.scriptLeft) << c.what;
        EXPECT_EQ(w.Has(kClient), c.clientLeft) << c.what;
        EXPECT_EQ(w.HasFolder(kFolder), c.folderLeft) << c.what;
        EXPECT_EQ(w.Has(settings), c.settingsFile) << c.what;
        EXPECT_EQ(w.buttons, (Buttons{c.registered && c.scriptLeft, {}, {}, {}})) << c.what;
    }
}

TEST(Shortcuts, EachInstalledEntryGetsItsShortcutKeyAndLosesItOnUninstall) {
    struct Case {
        std::u16string fileName, arguments;
        ShortcutKey key;
    };
    const Case cases[] = {
        {u"選択範囲を英日翻訳(Excite).lnk", u"/selection EJhnA", {kControlKey | kAltKey, u'E'}},
        {u"選択範囲を日英翻訳(Excite).lnk", u"/selection JEhnA", {kControlKey | kAltKey, u'J'}},
        {u"選択範囲を英日翻訳(infoseek).lnk", u"/selection EJIFA", {kControlKey | kShiftKey | kAltKey, u'E'}},
        {u"選択範囲を日英翻訳(infoseek).lnk", u"/selection JEIFA", {kControlKey | kShiftKey | kAltKey, u'J'}},
    };
    World w;
    w.files[kSourceClient] = {500};
    for (std::size_t entry = 0; entry < kEntryCount; ++entry) {
        w.flows.InstallCommand(entry);
        const Case& c = cases[entry];
        ASSERT_EQ(w.shortcuts.count(c.fileName), 1u) << entry;
        const Shortcut& made = w.shortcuts[c.fileName];
        EXPECT_EQ(made.target, u"C:\\Program Files\\Velmora\\velmora.exe");
        EXPECT_EQ(made.arguments, c.arguments);
        EXPECT_EQ(made.workingFolder, u"C:\\Program Files\\Velmora");
        EXPECT_EQ(made.key, c.key) << entry;
    }
    EXPECT_EQ(w.shortcuts.size(), kEntryCount + 2);  // and the two that all entries share, until the last goes
    for (std::size_t entry = 0; entry < kEntryCount; ++entry) {
        w.flows.UninstallCommand(entry);
        EXPECT_EQ(w.shortcuts.count(cases[entry].fileName), 0u) << entry;
        EXPECT_EQ(w.shortcuts.size(), entry < 3 ? kEntryCount - entry + 1 : 0);
    }
}

TEST(Shortcuts, AShortcutThatFailsOnlyAddsOneSentenceToTheUsualMessage) {
    const MenuEntry& e = kEntries[2];
    World w;
    w.files[kSourceClient] = {500};
    w.startMenuFails = true;
    w.flows.InstallCommand(2);
    const Message installed = ShortcutKeyNotSet(EntryRegistered(e));
    EXPECT_EQ(w.shown, (std::vector{InstallConfirmation(e), installed}));
    EXPECT_EQ(installed.text, EntryRegistered(e).text + u"ｼｮｰﾄｶｯﾄｷｰは設定できませんでした。");
    EXPECT_EQ(installed.style, BoxStyle::Ok);
    EXPECT_TRUE(w.MenuExtEntryExists(e.caption));
    EXPECT_TRUE(w.Has(ScriptPath(e)));
    EXPECT_EQ(w.buttons[2], true);

    w.shown.clear();
    w.flows.UninstallCommand(2);
    const Message removed = ShortcutKeyNotRemoved(EntryRemoved(e));
    EXPECT_EQ(w.shown, (std::vector{UninstallConfirmation(e), removed}));
    EXPECT_EQ(removed.text, EntryRemoved(e).text + u"ｼｮｰﾄｶｯﾄｷｰは削除できませんでした。");
    EXPECT_FALSE(w.MenuExtEntryExists(e.caption));
    EXPECT_FALSE(w.Has(ScriptPath(e)));
    EXPECT_EQ(w.buttons[2], false);
}

// Only a registered entry has a shortcut: none is made when the menu entry is not made, and one stays while the
// menu entry stays.
TEST(Shortcuts, FollowTheMenuEntry) {
    const MenuEntry& e = kEntries[0];
    const std::u16string lnk = ShortcutFor(e).fileName;
    struct Case {
        const char* what;
        bool install;
        Answer answer;
        bool noFolder, addFails, deleteFails, registered, shortcutLeft;
        bool keyGone = false;  // the menu key went some other way; the shortcut stayed
    };
    const Case cases[] = {
        {"install answered No", true, Answer::No, false, false, false, false, false},
        {"script missing", true, Answer::Yes, true, false, false, false, false},
        {"registration fails", true, Answer::Yes, false, true, false, false, false},
        {"uninstall answered No", false, Answer::No, false, false, false, true, true},
        {"removal fails", false, Answer::Yes, false, false, true, true, true},
        {"key gone some other way", false, Answer::Yes, false, false, false, true, false, true},
    };
    for (const Case& c : cases) {
        World w;
        w.files[kSourceClient] = {500};
        w.answers = {c.answer};
        w.addFails = c.addFails;
        w.deleteFails = c.deleteFails;
        if (c.noFolder) {
            w.folders.erase(u"C:\\Program Files");
        }
        if (c.registered) {
            w.keys[std::u16string(e.caption)] = kScript0;
            w.shortcuts[lnk] = ShortcutFor(e);
        }
        if (c.keyGone) {
            w.keys.clear();
        }
        c.install ? w.flows.InstallCommand(0) : w.flows.UninstallCommand(0);
        EXPECT_EQ(w.shortcuts.count(lnk), c.shortcutLeft ? 1u : 0u) << c.what;
    }
}

// Start-up gives every registered entry the shortcut it lacks, and the shared ones, silently; one that is there
// keeps the key the user may have given it. None without a client to start.
TEST(Shortcuts, StartUpAddsTheMissingOnesOfRegisteredEntries) {
    Shortcut own = ShortcutFor(kEntries[3]);
    own.key = {kControlKey | kShiftKey, u'Q'};
    const auto [settings, automatic] = SharedShortcuts();
    for (const bool client : {true, false}) {
        World w;
        if (client) {
            w.files[kClient] = {500};
        }
        w.keys[std::u16string(kEntries[1].caption)] = w.keys[std::u16string(kEntries[3].caption)] = u"x";
        w.shortcuts[own.fileName] = own;
        w.flows.FormLoad();
        std::vector<std::u16string> names;
        for (const auto& [name, shortcut] : w.shortcuts) {
            names.push_back(name);
        }
        const std::vector<std::u16string> all{settings.fileName, ShortcutFor(kEntries[1]).fileName, own.fileName,
                                              automatic.fileName};
        EXPECT_EQ(names, client ? all : std::vector{own.fileName});
        EXPECT_EQ(w.shortcuts[own.fileName], own);
        EXPECT_EQ(w.shown.empty(), client);
    }
}

}  // namespace
}  // namespace installer
