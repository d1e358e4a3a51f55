#include "win/services/ServiceStore.h"

#include <windows.h>

#include <optional>

#include "common/Handles.h"

namespace velmora {
namespace {

constexpr wchar_t kKey[] = L"Software\\Velmora";
constexpr wchar_t kServiceValue[] = L"Service";
constexpr wchar_t kUrlValue[] = L"LibreTranslateUrl";
constexpr wchar_t kChatUrlValue[] = L"OpenAIUrl";
constexpr wchar_t kChatModelValue[] = L"OpenAIModel";
constexpr wchar_t kAzureRegionValue[] = L"AzureRegion";
// Far beyond any server address; a larger value is not one the window wrote.
constexpr DWORD kMaxValueBytes = 4096 * sizeof(wchar_t);

// A REG_SZ value (RegGetValueW adds the terminator a value written without one lacks, and would expand and take
// the expandable type too, which RRF_NOEXPAND refuses); nothing when it is missing, of another type or too large.
std::optional<std::wstring> ReadText(HKEY key, const wchar_t* name) {
    DWORD bytes = 0;
    if (RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ | RRF_NOEXPAND, nullptr, nullptr, &bytes) != ERROR_SUCCESS ||
        bytes > kMaxValueBytes) {
        return std::nullopt;
    }
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ | RRF_NOEXPAND, nullptr, text.data(), &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

LSTATUS WriteText(HKEY key, const wchar_t* name, std::wstring_view text) {
    const std::wstring value(text);
    // The size counts the terminating NUL.
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

ServiceChoice LoadServiceChoice() {
    ServiceChoice choice;
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS) {
        return choice;
    }
    const common::UniqueKey key(raw);
    if (const auto service = ReadText(key.get(), kServiceValue)) {
        choice.kind = ServiceKindFromText(*service);
    }
    choice.libreTranslateUrl = ReadText(key.get(), kUrlValue).value_or(std::wstring());
    if (auto url = ReadText(key.get(), kChatUrlValue); url && !url->empty()) {
        choice.chatUrl = std::move(*url);
    }
    choice.chatModel = ReadText(key.get(), kChatModelValue).value_or(std::wstring());
    choice.azureRegion = ReadText(key.get(), kAzureRegionValue).value_or(std::wstring());
    return choice;
}

bool SaveServiceChoice(const ServiceChoice& choice) {
    HKEY raw = nullptr;
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                                     nullptr, &raw, nullptr);
    if (status == ERROR_SUCCESS) {
        const common::UniqueKey key(raw);
        status = WriteText(key.get(), kUrlValue, choice.libreTranslateUrl);
        if (status == ERROR_SUCCESS) {
            status = WriteText(key.get(), kChatUrlValue, choice.chatUrl);
        }
        if (status == ERROR_SUCCESS) {
            status = WriteText(key.get(), kChatModelValue, choice.chatModel);
        }
        if (status == ERROR_SUCCESS) {
            status = WriteText(key.get(), kAzureRegionValue, choice.azureRegion);
        }
        // The choice last: a half-written save never points the client at a service without its address.
        if (status == ERROR_SUCCESS) {
            status = WriteText(key.get(), kServiceValue, ServiceKindText(choice.kind));
        }
    }
    SetLastError(static_cast<DWORD>(status));
    return status == ERROR_SUCCESS;
}

}  // namespace velmora
