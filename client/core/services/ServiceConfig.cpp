#include "core/services/ServiceConfig.h"

#include <algorithm>

namespace velmora {
namespace {

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](wchar_t p, wchar_t t) {
               return p == (t >= L'A' && t <= L'Z' ? static_cast<wchar_t>(t - L'A' + L'a') : t);
           });
}

bool IsAsciiAlnum(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9');
}

// A name or IPv4 address: letters, digits, '-', '.', and '_' (Docker and Compose name their services so). An IPv6
// address in brackets is refused here rather than by every request later: the requests cannot reach one.
bool IsValidHost(std::wstring_view host) {
    return !host.empty() &&
           std::all_of(host.begin(), host.end(),
                       [](wchar_t c) { return IsAsciiAlnum(c) || c == L'-' || c == L'.' || c == L'_'; }) &&
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
    const size_t colon = authority.find(L':');
    if (colon != std::wstring_view::npos) {
        return IsValidHost(authority.substr(0, colon)) && IsValidPort(authority.substr(colon + 1));
    }
    return IsValidHost(authority);
}

}  // namespace velmora

namespace velmora {

std::wstring UrlHost(std::wstring_view url) {
    const size_t start = url.find(L"://");
    std::wstring_view rest = start == std::wstring_view::npos ? url : url.substr(start + 3);
    rest = rest.substr(0, rest.find(L'/'));
    rest = rest.substr(0, rest.find(L':'));
    std::wstring host(rest);
    for (wchar_t& c : host) {
        c = c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
    }
    return host;
}

std::wstring UrlOrigin(std::wstring_view url) {
    const bool tls = StartsWithNoCase(url, L"https://");
    const size_t start = url.find(L"://");
    std::wstring_view authority = start == std::wstring_view::npos ? url : url.substr(start + 3);
    authority = authority.substr(0, authority.find(L'/'));
    const size_t colon = authority.find(L':');
    std::wstring port(colon == std::wstring_view::npos ? (tls ? L"443" : L"80") : authority.substr(colon + 1));
    port.erase(0, std::min(port.find_first_not_of(L'0'), port.size() - 1));  // ":080" is ":80"
    return (tls ? L"https://" : L"http://") + UrlHost(url) + L":" + port;
}

std::optional<std::u16string> LoopbackHostOnly(const std::optional<std::u16string>& hostAndPort) {
    if (!hostAndPort || hostAndPort->empty() ||
        std::any_of(hostAndPort->begin(), hostAndPort->end(), [](char16_t c) { return c > 0x7E || c == u'/'; })) {
        return std::nullopt;
    }
    const std::wstring url = L"http://" + std::wstring(hostAndPort->begin(), hostAndPort->end());
    if (!IsValidServiceUrl(url) || !IsLoopbackHost(UrlHost(url))) {
        return std::nullopt;
    }
    return hostAndPort;
}

bool IsLoopbackHost(std::wstring_view host) {
    if (host == L"localhost") {
        return true;
    }
    // 127.a.b.c: four decimal numbers of 0-255, the first 127. A number with a leading zero is refused: some
    // resolvers read "010" as octal, so the host the request reaches need not be the one this check saw.
    int parts = 0;
    for (size_t start = 0;; ++parts) {
        const size_t dot = host.find(L'.', start);
        const std::wstring_view part = host.substr(start, dot == std::wstring_view::npos ? dot : dot - start);
        if (part.empty() || part.size() > 3 || (part.size() > 1 && part.front() == L'0')) {
            return false;
        }
        int value = 0;
        for (wchar_t c : part) {
            if (c < L'0' || c > L'9') {
                return false;
            }
            value = value * 10 + (c - L'0');
        }
        if (value > 255 || (parts == 0 && value != 127)) {
            return false;
        }
        if (dot == std::wstring_view::npos) {
            return parts == 3;
        }
        start = dot + 1;
    }
}

}  // namespace velmora
