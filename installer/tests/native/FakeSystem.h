// An in-memory registry, disk, message box and window for the installer's flows, with faults to switch on.
#pragma once
#include <array>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/Flows.h"

namespace installer::fake {

struct FakeFile {
    std::uint64_t size = 0;
    std::optional<FileVersion> version;
    bool hidden = false;
    std::u16string content;
};

class FakeSystem : public MenuRegistry, public FileSystem, public Dialogs, public EntryButtons {
  public:
    static constexpr char16_t kSource[] = u"D:\\setup";

    FakeSystem();

    // The world.
    std::map<std::u16string, std::u16string> keys;  // caption -> default value
    std::map<std::u16string, FakeFile> files;
    std::set<std::u16string> folders;
    std::set<std::u16string> locked;  // files that cannot be written or deleted (in use)
    bool addFails = false;
    bool deleteFails = false;

    // What happened.
    std::deque<Answer> answers;  // given to Yes/No boxes in turn; Yes when none is left
    std::vector<Message> shown;
    std::array<std::optional<bool>, kEntryCount> buttons;  // registered state last set per entry
    std::vector<std::string> log;                          // operations that change something, in order

    void PutFile(const std::u16string& path, std::uint64_t size, std::optional<FileVersion> version = {});
    [[nodiscard]] bool HasFile(std::u16string_view path) const { return files.count(std::u16string(path)) != 0; }
    [[nodiscard]] bool HasFolder(std::u16string_view path) const { return folders.count(std::u16string(path)) != 0; }

    bool AddMenuExtEntry(std::u16string_view caption, std::u16string_view scriptPath) override;
    bool DeleteMenuExtEntry(std::u16string_view caption) override;
    bool MenuExtEntryExists(std::u16string_view caption) override;

    bool FindInFolder(std::u16string_view folder, std::u16string_view name, std::u16string_view extension) override;
    bool IsOrdinaryFile(std::u16string_view path) override;
    std::optional<std::uint64_t> FileSize(std::u16string_view path) override;
    std::optional<FileVersion> FileVersionOf(std::u16string_view path) override;
    void CreateFolder(std::u16string_view path) override;
    void CopyFileOver(std::u16string_view from, std::u16string_view to) override;
    void RemoveFile(std::u16string_view path) override;
    void RemoveFolder(std::u16string_view path) override;
    void WriteMenuScript(std::u16string_view path, std::u16string_view requestCode) override;

    Answer Show(const Message& message) override;
    void SetEntryButtons(std::size_t entry, bool registered) override;

  private:
    [[nodiscard]] bool ParentExists(std::u16string_view path) const;
};

// UTF-8 for readable failure output.
std::string Narrow(std::u16string_view s);

}  // namespace installer::fake
