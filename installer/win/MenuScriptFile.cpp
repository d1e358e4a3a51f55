#include "win/MenuScriptFile.h"

#include <windows.h>

#include "common/Handles.h"
#include "common/Text.h"
#include "core/MenuScript.h"

namespace installer {

bool WriteMenuScript(const std::wstring& path, std::u16string_view requestCode) {
    const std::string bytes = common::ToCodePage(common::ToWide(MenuScriptText(requestCode)), CP_ACP);
    const common::UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    DWORD written = 0;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

}  // namespace installer
