// DeepL's API: its host (by the key's plan), its request body, its answer and its error.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/pages/Request.h"

namespace velmora {

// DeepL wants a regional variant for English as a target ("EN-US") and only the plain name as a source.
[[nodiscard]] std::string DeepLSource(std::u16string_view language);
[[nodiscard]] std::string DeepLTarget(std::u16string_view language);

// The DeepL host: a key of the free plan ends in ":fx" and belongs to api-free.deepl.com, every other key to
// api.deepl.com; an override (host or host:port) replaces either. Always https.
[[nodiscard]] std::u16string DeepLEndpoint(std::u16string_view key, const std::optional<std::u16string>& hostOverride);

// The request body as UTF-8 JSON; an empty source lets DeepL find the language itself.
[[nodiscard]] std::string DeepLBody(std::u16string_view text, const LanguagePair& pair);

// DeepL caps a whole request at 128 KiB.
inline constexpr std::size_t kDeepLBodyLimit = 128 * 1024;

// translations[0].text, and the detected_source_language beside it in lower case.
struct ApiTranslation;
[[nodiscard]] std::optional<ApiTranslation> DeepLAnswer(std::string_view body);
// DeepL's "message".
[[nodiscard]] std::u16string DeepLSaid(std::string_view body);


// Its row's functions (core/services/Services.h).
struct ApiInput;
struct ApiCall;
[[nodiscard]] std::u16string DeepLEndpoint(const ApiInput& input);
[[nodiscard]] std::optional<std::u16string> DeepLRefusal(const ApiInput& input);
[[nodiscard]] ApiCall DeepLCall(const ApiInput& input);
[[nodiscard]] std::u16string DeepLStatusText(int status, std::u16string_view code);

}  // namespace velmora
