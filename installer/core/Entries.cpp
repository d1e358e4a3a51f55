#include "core/Entries.h"

namespace installer {

std::u16string JoinPath(std::u16string_view folder, std::u16string_view name) {
    std::u16string path(folder);
    if (!path.empty() && path.back() != u'\\') {
        path += u'\\';
    }
    path += name;
    return path;
}

std::u16string ScriptPath(const MenuEntry& entry) {
    return JoinPath(kInstallFolder, entry.scriptFile);
}

}  // namespace installer
