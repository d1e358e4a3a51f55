#include "win/MenuScriptFile.h"

#include <windows.h>

#include "common/Text.h"
#include "core/MenuScript.h"
#include "win/FileOps.h"

namespace installer {

bool WriteMenuScript(const std::wstring& path, std::u16string_view requestCode) {
    const std::string bytes = common::ToCodePage(common::ToWide(MenuScriptText(requestCode)), CP_ACP);
    return WriteFileOver(path, bytes) == ERROR_SUCCESS;
}

}  // namespace installer
