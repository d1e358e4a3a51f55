// Which code page turns a fetched page's bytes into text, and how a URL goes on the wire.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

inline constexpr unsigned kCodePageUtf8 = 65001;
inline constexpr unsigned kCodePageShiftJis = 932;

// The charset named by Content-Type, else by a <meta> element near the top of the page, else UTF-8 when the
// bytes are valid UTF-8, else Shift_JIS (the Japanese services' old default).
[[nodiscard]] unsigned PageCodePage(std::string_view contentType, std::string_view body);

// A Windows code page for a charset label (case-insensitive), or nothing for an unknown label.
[[nodiscard]] std::optional<unsigned> CodePageOfCharset(std::string_view label);

[[nodiscard]] bool IsValidUtf8(std::string_view bytes);

// The URL as bytes for the request: non-ASCII characters as UTF-8 percent escapes, blanks and control
// characters escaped, everything else as the URL has it.
[[nodiscard]] std::string WireUrl(std::u16string_view url);

struct HttpUrl {
    bool secure = false;
    std::string host;
    uint16_t port = 80;
    std::string target;  // path and query, starting with "/"
};

// Splits an absolute http or https URL; nothing for another scheme or a malformed authority.
[[nodiscard]] std::optional<HttpUrl> ParseHttpUrl(std::string_view url);

// The absolute URL a redirect's Location names, relative to the URL that answered.
[[nodiscard]] std::optional<std::string> ResolveLocation(const HttpUrl& base, std::string_view location);

}  // namespace velmora
