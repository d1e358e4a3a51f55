#include "win/Module1.h"

#include "common/Handles.h"
#include "win/FileOps.h"

namespace installer {
namespace {

common::UniqueKey CreateKey(HKEY parent, const wchar_t* name) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return {};
    }
    return common::UniqueKey(key);
}

common::UniqueKey OpenKey(HKEY parent, const std::wstring& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, name.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
        return {};
    }
    return common::UniqueKey(key);
}

}  // namespace

bool AddMenuExtEntry(HKEY root, const std::wstring& caption, const std::wstring& scriptPath) {
    if (caption.empty() || !IsOrdinaryFile(scriptPath)) {
        return false;
    }
    // Declared parent first, so the entry key closes before its parent on every return.
    const common::UniqueKey parent = CreateKey(root, kMenuExtKey);
    if (!parent) {
        return false;
    }
    const common::UniqueKey entry = CreateKey(parent.get(), caption.c_str());
    if (!entry) {
        return false;
    }
    // A REG_SZ's size counts its terminating NUL.
    const auto pathBytes = static_cast<DWORD>((scriptPath.size() + 1) * sizeof(wchar_t));
    if (RegSetValueExW(entry.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(scriptPath.c_str()), pathBytes) !=
        ERROR_SUCCESS) {
        return false;
    }
    const DWORD contexts = kAllMenuContexts;
    return RegSetValueExW(entry.get(), L"contexts", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&contexts),
                          sizeof contexts) == ERROR_SUCCESS;
}

bool DeleteMenuExtEntry(HKEY root, const std::wstring& caption) {
    // An empty subkey name would make RegDeleteKey aim at MenuExt itself.
    if (caption.empty()) {
        return false;
    }
    const common::UniqueKey parent = OpenKey(root, kMenuExtKey);
    return parent && RegDeleteKeyW(parent.get(), caption.c_str()) == ERROR_SUCCESS;
}

bool MenuExtEntryExists(HKEY root, const std::wstring& caption) {
    // Without a caption the path would name MenuExt itself, which is no entry.
    if (caption.empty()) {
        return false;
    }
    return static_cast<bool>(OpenKey(root, std::wstring(kMenuExtKey) + L"\\" + caption));
}

}  // namespace installer
