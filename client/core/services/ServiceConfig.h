// Which translation service the user has chosen, and the LibreTranslate server address the client accepts.
#pragma once
#include <string>
#include <string_view>

namespace velmora {

// The pages the request code names, or one of the two APIs that every code goes to instead.
enum class ServiceKind { Page, DeepL, LibreTranslate };

// The registry's `Service` text: exactly "page", "deepl" or "libretranslate"; anything else is Page, so that a
// damaged or future value leaves the client working as it always did.
[[nodiscard]] ServiceKind ServiceKindFromText(std::wstring_view text);
[[nodiscard]] std::wstring_view ServiceKindText(ServiceKind kind);

// A LibreTranslate base URL the client accepts: http:// or https:// (scheme case-insensitive) with a non-empty
// host (optional :port, optional path); no blanks or control characters. The request path is appended to it, so
// a query or fragment, and user names before the host ("http://localhost@elsewhere"), are refused too.
[[nodiscard]] bool IsValidServiceUrl(std::wstring_view url);

}  // namespace velmora
