#include "win/services/ServiceStore.h"

#include <windows.h>

#include <optional>

#include "common/Handles.h"

namespace velmora {
namespace {

constexpr wchar_t kKey[] = L"Software\\Velmora";
constexpr wchar_t kServiceValue[] = L"Service";
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

// Each value a service's row names, with the setting it holds, in the rows' order.
template <typename Visit>
void ForEachValue(Visit visit) {
    for (const ServiceRow& row : AllServices()) {
        if (row.url) {
            visit(row.urlValue, row.url);
        }
        if (row.model) {
            visit(row.modelValue, row.model);
        }
        if (row.region) {
            visit(row.regionValue, row.region);
        }
    }
}

}  // namespace

ServiceChoice LoadServiceChoice() {
    ServiceChoice choice;
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS) {
        return choice;
    }
    const common::UniqueKey key(raw);
    choice.kind = ServiceKindFromText(ReadText(key.get(), kServiceValue).value_or(std::wstring()));
    ForEachValue([&](const wchar_t* name, std::wstring ServiceSettings::*member) {
        // An empty value keeps the default the settings start with (the language model's address).
        if (auto text = ReadText(key.get(), name); text && !text->empty()) {
            choice.*member = std::move(*text);
        }
    });
    return choice;
}

bool SaveServiceChoice(const ServiceChoice& choice) {
    HKEY raw = nullptr;
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                                     nullptr, &raw, nullptr);
    if (status == ERROR_SUCCESS) {
        const common::UniqueKey key(raw);
        ForEachValue([&](const wchar_t* name, std::wstring ServiceSettings::*member) {
            if (status == ERROR_SUCCESS) {
                status = WriteText(key.get(), name, choice.*member);
            }
        });
        // The choice last: a half-written save never points the client at a service without its address.
        if (status == ERROR_SUCCESS) {
            status = WriteText(key.get(), kServiceValue, ServiceKindText(choice.kind));
        }
    }
    SetLastError(static_cast<DWORD>(status));
    return status == ERROR_SUCCESS;
}

}  // namespace velmora
