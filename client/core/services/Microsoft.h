// Microsoft's keyless endpoint (the one Edge's translation uses, no account): its URL and JSON body, and the answer
// in Azure Translator's shape, which Azure.cpp reads the same way.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/pages/Request.h"

namespace velmora {

// Microsoft names languages in lower case; an empty source lets it find the language.
[[nodiscard]] std::string MicrosoftLanguage(std::u16string_view language);
// The request URL with its query; an override (host or host:port) replaces the host. Always https.
[[nodiscard]] std::u16string MicrosoftEndpoint(const LanguagePair& pair,
                                               const std::optional<std::u16string>& hostOverride);
// ["TEXT"]
[[nodiscard]] std::string MicrosoftBody(std::u16string_view text);

// Azure Translator takes 50,000 characters a request, and the keyless endpoint is the same service; 48 KiB of UTF-8
// never holds more characters than that.
inline constexpr std::size_t kMicrosoftBodyLimit = 48 * 1024;

struct ApiTranslation;
// [{"detectedLanguage": {"language": ...}, "translations": [{"text": ...}]}]: the first translation, and the
// language found when the source was left to the service (lower case).
[[nodiscard]] std::optional<ApiTranslation> MicrosoftAnswer(std::string_view body);
// error.message
[[nodiscard]] std::u16string MicrosoftSaid(std::string_view body);

// Its row's functions (core/services/Services.h). It takes no key and needs no setting, so nothing refuses it.
struct ApiInput;
struct ApiCall;
[[nodiscard]] std::u16string MicrosoftEndpoint(const ApiInput& input);
[[nodiscard]] ApiCall MicrosoftCall(const ApiInput& input);

}  // namespace velmora
