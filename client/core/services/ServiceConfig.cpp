#include "core/services/ServiceConfig.h"

#include <algorithm>

namespace velmora {
namespace {

constexpr std::wstring_view kPage = L"page";
constexpr std::wstring_view kDeepL = L"deepl";
constexpr std::wstring_view kLibreTranslate = L"libretranslate";

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](wchar_t p, wchar_t t) {
               return p == (t >= L'A' && t <= L'Z' ? static_cast<wchar_t>(t - L'A' + L'a') : t);
           });
}

bool IsAsciiAlnum(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9');
}

// A name or IPv4 address (letters, digits, '-', '.'), or an IPv6 address in brackets.
bool IsValidHost(std::wstring_view host) {
    if (host.empty()) {
        return false;
    }
    if (host.front() == L'[') {
        if (host.size() < 3 || host.back() != L']') {
            return false;
        }
        const std::wstring_view inner = host.substr(1, host.size() - 2);
        return std::all_of(inner.begin(), inner.end(), [](wchar_t c) {
            return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F') || c == L':' ||
                   c == L'.';
        });
    }
    return std::all_of(host.begin(), host.end(), [](wchar_t c) { return IsAsciiAlnum(c) || c == L'-' || c == L'.'; }) &&
           host.front() != L'.' && host.front() != L'-';
}

bool IsValidPort(std::wstring_view port) {
    if (port.empty() || port.size() > 5) {
        return false;
    }
    unsigned value = 0;
    for (wchar_t c : port) {
        if (c < L'0' || c > L'9') {
            return false;
        }
        value = value * 10 + static_cast<unsigned>(c - L'0');
    }
    return value >= 1 && value <= 65535;
}

}  // namespace

ServiceKind ServiceKindFromText(std::wstring_view text) {
    if (text == kDeepL) {
        return ServiceKind::DeepL;
    }
    if (text == kLibreTranslate) {
        return ServiceKind::LibreTranslate;
    }
    return ServiceKind::Page;
}

std::wstring_view ServiceKindText(ServiceKind kind) {
    switch (kind) {
        case ServiceKind::DeepL:
            return kDeepL;
        case ServiceKind::LibreTranslate:
            return kLibreTranslate;
        case ServiceKind::Page:
            break;
    }
    return kPage;
}

bool IsValidServiceUrl(std::wstring_view url) {
    if (std::any_of(url.begin(), url.end(), [](wchar_t c) {
            return c <= L' ' || c == 0x7F || (c >= 0x80 && c <= 0x9F) || c == 0x3000 || c == L'\\' || c == L'?' ||
                   c == L'#' || c == L'@';
        })) {
        return false;
    }
    std::wstring_view rest;
    if (StartsWithNoCase(url, L"http://")) {
        rest = url.substr(7);
    } else if (StartsWithNoCase(url, L"https://")) {
        rest = url.substr(8);
    } else {
        return false;
    }
    const std::wstring_view authority = rest.substr(0, rest.find(L'/'));
    // The last colon after an IPv6 address's closing bracket, or any colon of a name, starts the port.
    const size_t bracket = authority.rfind(L']');
    const size_t colon = authority.rfind(L':');
    if (colon != std::wstring_view::npos && (bracket == std::wstring_view::npos || colon > bracket)) {
        return IsValidHost(authority.substr(0, colon)) && IsValidPort(authority.substr(colon + 1));
    }
    return IsValidHost(authority);
}

}  // namespace velmora
