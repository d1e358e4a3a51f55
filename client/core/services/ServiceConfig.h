// The servers' addresses the client accepts, and what it takes for this computer.
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "core/services/Services.h"

namespace velmora {

// A server's base URL the client accepts: http:// or https:// (scheme case-insensitive) with a non-empty host name
// or IPv4 address (optional :port, optional path); no blanks or control characters. The request path is appended
// to it, so a query or fragment, and user names before the host ("http://localhost@elsewhere"), are refused too.
[[nodiscard]] bool IsValidServiceUrl(std::wstring_view url);

// The host of a URL that IsValidServiceUrl accepts, in lower case.
[[nodiscard]] std::wstring UrlHost(std::wstring_view url);
// "scheme://host:port" of such a URL, in lower case with the default port written out: what a key is saved for.
[[nodiscard]] std::wstring UrlOrigin(std::wstring_view url);
// This computer itself: "localhost" or 127.0.0.0/8. Only such a server can be "not running" rather than away, and
// only there may a key travel without TLS.
[[nodiscard]] bool IsLoopbackHost(std::wstring_view host);
// A host override from the environment ("host" or "host:port") when it names this computer, else nothing: a
// variable left over from a test must not send a key or a text anywhere else.
[[nodiscard]] std::optional<std::u16string> LoopbackHostOnly(const std::optional<std::u16string>& hostAndPort);

}  // namespace velmora
