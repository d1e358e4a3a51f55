// Started many times at once by settings_test: "load <folder> <rounds>" or "save <folder> <rounds> <first>".
// Exits 0 when every round saw (or wrote) one complete settings file of the colour table.
#include <windows.h>

#include <string>

#include "common/Handles.h"
#include "win/settings/ColorSettings.h"

namespace {

bool IsTableContent(const std::string& bytes) {
    for (const auto& entry : velmora::kColorNames) {
        if (bytes == velmora::FormatSettingsText(entry.background, entry.text)) {
            return true;
        }
    }
    return false;
}

// A plain reader as another program would be: full sharing, one read.
std::string ReadRaw(const std::wstring& path) {
    common::UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    char buffer[256];
    DWORD read = 0;
    if (!file || !ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) {
        return "open or read failed: " + std::to_string(GetLastError());
    }
    return std::string(buffer, read);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        return 64;
    }
    const std::wstring mode = argv[1];
    const std::wstring folder = argv[2];
    const int rounds = _wtoi(argv[3]);
    const int first = argc > 4 ? _wtoi(argv[4]) : 0;
    for (int i = 0; i < rounds; ++i) {
        if (mode == L"save") {
            const auto& entry = velmora::kColorNames[(first + i) % velmora::kColorNames.size()];
            if (!velmora::SaveColorSettings(entry.background, entry.text, folder)) {
                return 2;
            }
        } else {
            // nullopt here means the load met a damaged file, since one exists from the start.
            if (!velmora::LoadColorSettings(folder) || !IsTableContent(ReadRaw(folder + L"\\velmora.ini"))) {
                return 3;
            }
        }
    }
    return 0;
}
