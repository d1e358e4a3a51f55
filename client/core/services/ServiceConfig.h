// Which translation service the user has chosen, and the LibreTranslate server address the client accepts.
#pragma once
#include <string>
#include <string_view>

namespace velmora {

// The pages the request code names, or one of the two APIs that every code goes to instead.
// Chat: a language model behind the chat-completions protocol ("openai" in the registry).
enum class ServiceKind { Page, DeepL, LibreTranslate, Chat };

// The chat server's base URL when none is set: Ollama's on this computer.
inline constexpr std::wstring_view kDefaultChatUrl = L"http://localhost:11434/v1";

// The registry's `Service` text: exactly "page", "deepl", "libretranslate" or "openai"; anything else is Page, so that a
// damaged or future value leaves the client working as it always did.
[[nodiscard]] ServiceKind ServiceKindFromText(std::wstring_view text);
[[nodiscard]] std::wstring_view ServiceKindText(ServiceKind kind);

// A LibreTranslate base URL the client accepts: http:// or https:// (scheme case-insensitive) with a non-empty
// host (optional :port, optional path); no blanks or control characters. The request path is appended to it, so
// a query or fragment, and user names before the host ("http://localhost@elsewhere"), are refused too.
[[nodiscard]] bool IsValidServiceUrl(std::wstring_view url);

// The host of a URL that IsValidServiceUrl accepts, in lower case, an IPv6 address without its brackets.
[[nodiscard]] std::wstring UrlHost(std::wstring_view url);
// This computer itself: "localhost", 127.0.0.0/8 or ::1. Only such a server can be "not running" rather than away,
// and only there may a key travel without TLS.
[[nodiscard]] bool IsLoopbackHost(std::wstring_view host);

}  // namespace velmora
