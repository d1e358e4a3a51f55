// Text conversion at the API edge: the program works in UTF-16 and turns text into bytes only where it must.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

namespace common {

[[nodiscard]] std::wstring FromCodePage(std::string_view bytes, UINT codePage);
[[nodiscard]] std::string ToCodePage(std::wstring_view text, UINT codePage);
[[nodiscard]] inline std::string ToUtf8(std::wstring_view text) { return ToCodePage(text, CP_UTF8); }
[[nodiscard]] inline std::wstring FromUtf8(std::string_view bytes) { return FromCodePage(bytes, CP_UTF8); }

// The portable code speaks char16_t; on Windows wchar_t has the same 16-bit units.
[[nodiscard]] inline std::wstring ToWide(std::u16string_view s) { return {s.begin(), s.end()}; }
[[nodiscard]] inline std::u16string ToU16(std::wstring_view s) { return {s.begin(), s.end()}; }

// The system's message for an error code, without the trailing line break.
[[nodiscard]] std::wstring SystemErrorText(DWORD error);

}  // namespace common
