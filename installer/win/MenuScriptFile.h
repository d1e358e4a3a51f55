// Writes an entry's script file where the browser will run it.
#pragma once
#include <string>
#include <string_view>

namespace installer {

// The script in the system's ANSI code page, which is how the browser reads a file without a byte-order mark;
// the file appears whole or not at all (a temporary file renamed into place). False when it could not be written.
[[nodiscard]] bool WriteMenuScript(const std::wstring& path, std::u16string_view requestCode);

}  // namespace installer
