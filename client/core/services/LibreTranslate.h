// A LibreTranslate server: its request URL and body (the key, when there is one, goes in the body), its answer and
// its error.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/pages/Request.h"

namespace velmora {

// LibreTranslate names languages in lower case; "auto" lets it find the source.
[[nodiscard]] std::string LibreLanguage(std::u16string_view language);
// The configured base URL with "/translate" appended (one slash between them).
[[nodiscard]] std::u16string LibreEndpoint(std::u16string_view baseUrl);
[[nodiscard]] std::string LibreBody(std::u16string_view text, const LanguagePair& pair, std::u16string_view key);

// A server sets its own limit (none by default); 16 KiB (about 16,000 characters of English, 5,000 of Japanese)
// keeps one request to what a small self-hosted server translates within the request's 60 s.
inline constexpr std::size_t kLibreBodyLimit = 16 * 1024;

struct ApiTranslation;
// translatedText, and detectedLanguage.language when the source was left to the server.
[[nodiscard]] std::optional<ApiTranslation> LibreAnswer(std::string_view body);
// LibreTranslate's "error".
[[nodiscard]] std::u16string LibreSaid(std::string_view body);


// Its row's functions (core/services/Services.h).
struct ApiInput;
struct ApiCall;
[[nodiscard]] std::u16string LibreEndpoint(const ApiInput& input);
[[nodiscard]] std::optional<std::u16string> LibreRefusal(const ApiInput& input);
[[nodiscard]] ApiCall LibreCall(const ApiInput& input);
[[nodiscard]] std::u16string LibreStatusText(int status, std::u16string_view code);

}  // namespace velmora
