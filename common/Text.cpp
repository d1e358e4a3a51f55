#include "Text.h"

#include <wininet.h>

namespace common {

std::wstring FromCodePage(std::string_view bytes, UINT codePage) {
    if (bytes.empty()) {
        return {};
    }
    const int n = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) {
        MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
    }
    return out;
}

std::string ToCodePage(std::wstring_view text, UINT codePage) {
    if (text.empty()) {
        return {};
    }
    const int len = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(codePage, 0, text.data(), len, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) {
        WideCharToMultiByte(codePage, 0, text.data(), len, out.data(), n, nullptr, nullptr);
    }
    return out;
}

std::wstring SystemErrorText(DWORD error) {
    wchar_t* buffer = nullptr;
    DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
    LPCVOID source = nullptr;
    // WinINet's codes (12000-12175) live in wininet.dll's message table, not the system's.
    if (error >= INTERNET_ERROR_BASE && error <= INTERNET_ERROR_LAST) {
        flags |= FORMAT_MESSAGE_FROM_HMODULE;
        source = GetModuleHandleW(L"wininet.dll");
    }
    DWORD n = FormatMessageW(flags, source, error, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    std::wstring text = n ? std::wstring(buffer, n) : std::wstring();
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    if (text.empty()) {
        text = L"error " + std::to_wstring(error);
    }
    return text;
}

}  // namespace common
