#include <gtest/gtest.h>

#include <algorithm>

#include "FakeSystem.h"
#include "core/Flows.h"

namespace installer {
namespace {

using fake::FakeSystem;
using fake::Narrow;

const std::u16string kSourceClient = u"D:\\setup\\velmora.exe";
const std::u16string kSourceControl = u"D:\\setup\\MSINET.OCX";
const std::u16string kSettings = u"C:\\Program Files\\Velmora\\velmora.ini";

class FlowsTest : public ::testing::Test {
  protected:
    FakeSystem sys;
    InstallerFlows flows{sys, sys, sys, sys, FakeSystem::kSource};

    void Installed(std::uint64_t size, std::optional<FileVersion> version = {}) {
        sys.folders.insert(std::u16string(kInstallFolder));
        sys.PutFile(std::u16string(kInstalledClient), size, version);
    }
    void Register(std::size_t entry) {
        sys.keys[std::u16string(kEntries[entry].caption)] = ScriptPath(kEntries[entry]);
        sys.PutFile(ScriptPath(kEntries[entry]), 10);
    }
    [[nodiscard]] std::size_t LogIndex(const std::string& op) const {
        return std::find(sys.log.begin(), sys.log.end(), op) - sys.log.begin();
    }
};

TEST_F(FlowsTest, FirstStartDeploysEverythingAndSetsButtonsFromRegistry) {
    sys.PutFile(kSourceClient, 500, FileVersion{{1, 0, 0, 0}});
    sys.PutFile(kSourceControl, 90);
    sys.keys[std::u16string(kEntries[1].caption)] = u"x";
    flows.FormLoad();
    EXPECT_EQ(sys.shown, std::vector{ClientInstallNotice()});
    EXPECT_TRUE(sys.HasFolder(kInstallFolder));
    EXPECT_EQ(sys.FileSize(kInstalledClient), 500u);
    for (std::u16string_view target : kControlTargets) {
        EXPECT_EQ(sys.FileSize(target), 90u) << Narrow(target);
    }
    EXPECT_EQ(sys.buttons, (std::array<std::optional<bool>, 4>{false, true, false, false}));
}

TEST_F(FlowsTest, FirstStartPassesOverEveryFailedCopy) {
    sys.folders.erase(u"C:\\Program Files");
    sys.folders.erase(u"C:\\windows\\system");
    sys.PutFile(kSourceControl, 90);  // no client beside the installer
    flows.FormLoad();
    EXPECT_EQ(sys.shown, std::vector{ClientInstallNotice()});
    EXPECT_FALSE(sys.HasFolder(kInstallFolder));
    EXPECT_TRUE(sys.HasFile(kControlTargets[0]));
    EXPECT_EQ(sys.buttons, (std::array<std::optional<bool>, 4>{false, false, false, false}));
}

TEST_F(FlowsTest, StartWithInstalledClientUpdatesOnlyWhenTheDecisionSaysSo) {
    struct Case {
        const char* what;
        std::optional<std::uint64_t> sourceSize;
        std::optional<FileVersion> sourceVersion, installedVersion;
        std::uint64_t installedSize;
        bool update;
    };
    const FileVersion v1{{1, 0, 0, 0}}, v2{{2, 0, 0, 0}};
    const Case cases[] = {
        {"same client", 500, v1, v1, 500, false},
        {"larger, same version", 600, v1, v1, 500, true},
        {"newer but smaller", 400, v2, v1, 500, true},
        {"older but larger", 600, v1, v2, 500, false},
        {"no client beside the installer", std::nullopt, std::nullopt, v1, 500, false},
    };
    for (const Case& c : cases) {
        FakeSystem s;
        InstallerFlows f{s, s, s, s, FakeSystem::kSource};
        s.folders.insert(std::u16string(kInstallFolder));
        s.PutFile(std::u16string(kInstalledClient), c.installedSize, c.installedVersion);
        if (c.sourceSize) {
            s.PutFile(kSourceClient, *c.sourceSize, c.sourceVersion);
        }
        f.FormLoad();
        EXPECT_EQ(s.shown, c.update ? std::vector{ClientUpdateNotice()} : std::vector<Message>{}) << c.what;
        EXPECT_EQ(s.FileSize(kInstalledClient), c.update ? c.sourceSize : c.installedSize) << c.what;
        EXPECT_EQ(s.log.size(), c.update ? 2u : 0u) << c.what;  // the notice, then the one copy
        EXPECT_EQ(s.buttons, (std::array<std::optional<bool>, 4>{false, false, false, false})) << c.what;
    }
}

TEST_F(FlowsTest, InstallAnsweredYesRegistersEachEntryWithItsOwnScript) {
    sys.PutFile(kSourceClient, 500);
    for (std::size_t entry = 0; entry < kEntryCount; ++entry) {
        const MenuEntry& e = kEntries[entry];
        flows.InstallCommand(entry);
        EXPECT_EQ(sys.shown, (std::vector{InstallConfirmation(e), EntryRegistered(e)})) << entry;
        EXPECT_EQ(sys.keys[std::u16string(e.caption)], ScriptPath(e));
        EXPECT_NE(sys.files[ScriptPath(e)].content.find(std::u16string(u"\" ") + std::u16string(e.requestCode)),
                  std::u16string::npos);
        EXPECT_EQ(sys.buttons[entry], true);
        EXPECT_LT(LogIndex("write script " + Narrow(ScriptPath(e))), LogIndex("box Velmora のｲﾝｽﾄｰﾙ"));
        sys.shown.clear();
        sys.log.clear();
    }
    EXPECT_EQ(sys.FileSize(kInstalledClient), 500u);
}

TEST_F(FlowsTest, InstallOutcomesAndTheButtonsFollowTheRegistry) {
    const MenuEntry& e = kEntries[0];
    struct Case {
        const char* what;
        Answer answer;
        bool folderImpossible, addFails, alreadyRegistered;
        std::vector<Message> shown;
        bool registered;
    };
    const Case cases[] = {
        {"answered No", Answer::No, false, false, false, {InstallConfirmation(e)}, false},
        {"answered No, already registered", Answer::No, false, false, true, {InstallConfirmation(e)}, true},
        {"folder impossible", Answer::Yes, true, false, false, {InstallConfirmation(e), ScriptFileMissing(e)}, false},
        {"registration fails", Answer::Yes, false, true, false, {InstallConfirmation(e), RegistrationFailed(e)}, false},
        {"registration fails over an old key",
         Answer::Yes,
         false,
         true,
         true,
         {InstallConfirmation(e), RegistrationFailed(e)},
         true},
    };
    for (const Case& c : cases) {
        FakeSystem s;
        InstallerFlows f{s, s, s, s, FakeSystem::kSource};
        s.PutFile(kSourceClient, 500);
        s.answers = {c.answer};
        s.addFails = c.addFails;
        if (c.folderImpossible) {
            s.folders.erase(u"C:\\Program Files");
        }
        if (c.alreadyRegistered) {
            s.keys[std::u16string(e.caption)] = u"old";
        }
        f.InstallCommand(0);
        EXPECT_EQ(s.shown, c.shown) << c.what;
        EXPECT_EQ(s.buttons[0], c.registered) << c.what;
        EXPECT_EQ(s.MenuExtEntryExists(e.caption), c.registered) << c.what;
        // Whatever the answer, the client and the script were put in place before asking.
        EXPECT_EQ(s.HasFile(kInstalledClient), !c.folderImpossible) << c.what;
        EXPECT_EQ(s.HasFile(ScriptPath(e)), !c.folderImpossible) << c.what;
    }
}

TEST_F(FlowsTest, InstallTreatsAHiddenScriptAsMissing) {
    sys.PutFile(kSourceClient, 500);
    sys.locked.insert(ScriptPath(kEntries[3]));
    sys.PutFile(ScriptPath(kEntries[3]), 10);
    sys.files[ScriptPath(kEntries[3])].hidden = true;
    flows.InstallCommand(3);
    EXPECT_EQ(sys.shown, (std::vector{InstallConfirmation(kEntries[3]), ScriptFileMissing(kEntries[3])}));
    EXPECT_TRUE(sys.keys.empty());
}

TEST_F(FlowsTest, UninstallOutcomes) {
    const MenuEntry& e = kEntries[1];
    struct Case {
        const char* what;
        Answer answer;
        bool registered, deleteFails;
        std::vector<Message> shown;
        bool scriptLeft;
    };
    const Case cases[] = {
        {"answered No", Answer::No, true, false, {UninstallConfirmation(e)}, true},
        {"not registered", Answer::Yes, false, false, {UninstallConfirmation(e), EntryNotRegistered(e)}, true},
        {"removal fails", Answer::Yes, true, true, {UninstallConfirmation(e), RemovalFailed(e)}, true},
        {"removed", Answer::Yes, true, false, {UninstallConfirmation(e), EntryRemoved(e)}, false},
    };
    for (const Case& c : cases) {
        FakeSystem s;
        InstallerFlows f{s, s, s, s, FakeSystem::kSource};
        s.folders.insert(std::u16string(kInstallFolder));
        s.PutFile(std::u16string(kInstalledClient), 500);
        s.PutFile(ScriptPath(e), 10);
        if (c.registered) {
            s.keys[std::u16string(e.caption)] = ScriptPath(e);
        }
        s.answers = {c.answer};
        s.deleteFails = c.deleteFails;
        f.UninstallCommand(1);
        EXPECT_EQ(s.shown, c.shown) << c.what;
        EXPECT_EQ(s.HasFile(ScriptPath(e)), c.scriptLeft) << c.what;
        // A registered entry never points at a deleted script, and the client goes only with the last entry.
        EXPECT_EQ(s.MenuExtEntryExists(e.caption), c.registered && c.scriptLeft) << c.what;
        EXPECT_EQ(s.HasFile(kInstalledClient), c.scriptLeft) << c.what;
        EXPECT_EQ(s.HasFolder(kInstallFolder), c.scriptLeft) << c.what;
        EXPECT_EQ(s.buttons[1], c.registered && c.scriptLeft) << c.what;
    }
}

TEST_F(FlowsTest, UninstallDeletesTheKeyBeforeAnyFile) {
    Installed(500);
    Register(0);
    flows.UninstallCommand(0);
    const std::size_t key = LogIndex("delete key " + Narrow(kEntries[0].caption));
    ASSERT_LT(key, sys.log.size());
    EXPECT_LT(key, LogIndex("delete " + Narrow(ScriptPath(kEntries[0]))));
    EXPECT_LT(key, LogIndex("delete " + Narrow(kInstalledClient)));
}

TEST_F(FlowsTest, UninstallKeepsTheClientWhileTheRegistrySaysAnotherEntryIsLeft) {
    Installed(500);
    Register(0);
    Register(3);  // the window never showed it: the buttons were not set
    flows.UninstallCommand(0);
    EXPECT_EQ(sys.shown.back(), EntryRemoved(kEntries[0]));
    EXPECT_FALSE(sys.HasFile(ScriptPath(kEntries[0])));
    EXPECT_TRUE(sys.HasFile(kInstalledClient));
    EXPECT_TRUE(sys.HasFile(ScriptPath(kEntries[3])));
    EXPECT_EQ(sys.buttons, (std::array<std::optional<bool>, 4>{false, std::nullopt, std::nullopt, std::nullopt}));
}

TEST_F(FlowsTest, UninstallOfTheLastEntryLeavesWhatItCannotRemove) {
    struct Case {
        const char* what;
        bool settingsFile, clientRunning;
    };
    for (const Case& c : {Case{"settings file kept", true, false}, Case{"client running", false, true}}) {
        FakeSystem s;
        InstallerFlows f{s, s, s, s, FakeSystem::kSource};
        s.folders.insert(std::u16string(kInstallFolder));
        s.PutFile(std::u16string(kInstalledClient), 500);
        s.keys[std::u16string(kEntries[2].caption)] = ScriptPath(kEntries[2]);
        if (c.settingsFile) {
            s.PutFile(kSettings, 20);
        }
        if (c.clientRunning) {
            s.locked.insert(std::u16string(kInstalledClient));
        }
        f.UninstallCommand(2);
        EXPECT_EQ(s.shown.back(), EntryRemoved(kEntries[2])) << c.what;
        EXPECT_EQ(s.HasFile(kInstalledClient), c.clientRunning) << c.what;
        EXPECT_EQ(s.HasFile(kSettings), c.settingsFile) << c.what;
        EXPECT_TRUE(s.HasFolder(kInstallFolder)) << c.what;
    }
}

}  // namespace
}  // namespace installer
