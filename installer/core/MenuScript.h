// The HTML script file that the browser runs for a menu entry: it hands the page's selection to the client.
#pragma once
#include <string>
#include <string_view>

namespace installer {

// The whole file as text: 23 lines, each ended by CR LF. Only the request code differs between the entries.
// The file is written in the system's ANSI code page, which the browser's script engine reads it in.
[[nodiscard]] std::u16string MenuScriptText(std::u16string_view requestCode);

}  // namespace installer
