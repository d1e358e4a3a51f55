#include "FakeSystem.h"

#include "core/MenuScript.h"

namespace installer::fake {

std::string Narrow(std::u16string_view s) {
    std::string out;
    for (char16_t c : s) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

FakeSystem::FakeSystem() {
    folders = {u"C:\\Program Files", u"C:\\windows\\system32", u"C:\\windows\\system", kSource};
}

void FakeSystem::PutFile(const std::u16string& path, std::uint64_t size, std::optional<FileVersion> version) {
    files[path] = FakeFile{size, version, false, u""};
}

bool FakeSystem::ParentExists(std::u16string_view path) const {
    const auto slash = path.rfind(u'\\');
    return slash != std::u16string_view::npos && HasFolder(path.substr(0, slash));
}

bool FakeSystem::AddMenuExtEntry(std::u16string_view caption, std::u16string_view scriptPath) {
    log.push_back("add key " + Narrow(caption));
    if (addFails) {
        return false;
    }
    keys[std::u16string(caption)] = scriptPath;
    return true;
}

bool FakeSystem::DeleteMenuExtEntry(std::u16string_view caption) {
    log.push_back("delete key " + Narrow(caption));
    return !deleteFails && keys.erase(std::u16string(caption)) == 1;
}

bool FakeSystem::MenuExtEntryExists(std::u16string_view caption) {
    return keys.count(std::u16string(caption)) != 0;
}

bool FakeSystem::FindInFolder(std::u16string_view folder, std::u16string_view name, std::u16string_view extension) {
    return HasFile(JoinPath(folder, std::u16string(name) + std::u16string(extension)));
}

bool FakeSystem::IsOrdinaryFile(std::u16string_view path) {
    auto it = files.find(std::u16string(path));
    return it != files.end() && !it->second.hidden;
}

std::optional<std::uint64_t> FakeSystem::FileSize(std::u16string_view path) {
    auto it = files.find(std::u16string(path));
    return it == files.end() ? std::nullopt : std::optional<std::uint64_t>(it->second.size);
}

std::optional<FileVersion> FakeSystem::FileVersionOf(std::u16string_view path) {
    auto it = files.find(std::u16string(path));
    return it == files.end() ? std::nullopt : it->second.version;
}

void FakeSystem::CreateFolder(std::u16string_view path) {
    log.push_back("create folder " + Narrow(path));
    if (ParentExists(path) && !HasFile(path)) {
        folders.insert(std::u16string(path));
    }
}

void FakeSystem::CopyFileOver(std::u16string_view from, std::u16string_view to) {
    log.push_back("copy " + Narrow(from) + " to " + Narrow(to));
    auto source = files.find(std::u16string(from));
    if (source != files.end() && ParentExists(to) && !locked.count(std::u16string(to))) {
        files[std::u16string(to)] = source->second;
    }
}

void FakeSystem::RemoveFile(std::u16string_view path) {
    log.push_back("delete " + Narrow(path));
    if (!locked.count(std::u16string(path))) {
        files.erase(std::u16string(path));
    }
}

void FakeSystem::RemoveFolder(std::u16string_view path) {
    log.push_back("remove folder " + Narrow(path));
    const std::u16string prefix = std::u16string(path) + u'\\';
    for (const auto& [name, file] : files) {
        if (name.compare(0, prefix.size(), prefix) == 0) {
            return;
        }
    }
    folders.erase(std::u16string(path));
}

void FakeSystem::WriteMenuScript(std::u16string_view path, std::u16string_view requestCode) {
    log.push_back("write script " + Narrow(path));
    if (ParentExists(path) && !locked.count(std::u16string(path))) {
        const std::u16string text = MenuScriptText(requestCode);
        files[std::u16string(path)] = FakeFile{text.size(), std::nullopt, false, text};
    }
}

Answer FakeSystem::Show(const Message& message) {
    shown.push_back(message);
    log.push_back("box " + Narrow(message.title));
    if (message.style != BoxStyle::YesNo) {
        return Answer::Ok;
    }
    if (answers.empty()) {
        return Answer::Yes;
    }
    const Answer a = answers.front();
    answers.pop_front();
    return a;
}

void FakeSystem::SetEntryButtons(std::size_t entry, bool registered) {
    buttons.at(entry) = registered;
}

}  // namespace installer::fake
