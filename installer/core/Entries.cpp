#include "core/Entries.h"

#include <algorithm>

namespace installer {

std::u16string JoinPath(std::u16string_view folder, std::u16string_view name) {
    std::u16string path(folder);
    if (!path.empty() && path.back() != u'\\') {
        path += u'\\';
    }
    path += name;
    return path;
}

bool IsLeftoverTemporaryFile(std::u16string_view name) {
    std::u16string lower(name);
    for (char16_t& c : lower) {
        if (c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c - u'A' + u'a');
        }
    }
    constexpr std::u16string_view kExtension = u".tmp";
    if (lower.size() <= kTemporaryPrefix.size() + kExtension.size() || !lower.starts_with(kTemporaryPrefix) ||
        !lower.ends_with(kExtension)) {
        return false;
    }
    const std::u16string_view digits = std::u16string_view(lower).substr(
        kTemporaryPrefix.size(), lower.size() - kTemporaryPrefix.size() - kExtension.size());
    return digits.size() <= 4 && std::all_of(digits.begin(), digits.end(), [](char16_t c) {
               return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f');
           });
}

std::u16string ScriptPath(const MenuEntry& entry) {
    return JoinPath(kInstallFolder, entry.scriptFile);
}

}  // namespace installer
