// Azure Translator with the user's own key (its free tier takes 2 million characters a month): its URL, its region
// header and JSON body; the answer has the shape of Microsoft's keyless one (Microsoft.h).
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "core/pages/Request.h"

namespace velmora {

// The request URL; no "from" when the source is left to the service. An override (host or host:port) replaces the
// host. Always https.
[[nodiscard]] std::u16string AzureEndpoint(const LanguagePair& pair, const std::optional<std::u16string>& hostOverride);
// [{"Text": "TEXT"}]
[[nodiscard]] std::string AzureBody(std::u16string_view text);
// A resource's region as Azure spells it ("japaneast", "westeurope"): letters, digits and hyphens. Empty is fine: a
// global resource takes no region header.
[[nodiscard]] bool IsValidAzureRegion(std::wstring_view region);

// Its row's functions (core/services/Services.h).
struct ApiInput;
struct ApiCall;
[[nodiscard]] std::u16string AzureEndpoint(const ApiInput& input);
[[nodiscard]] std::optional<std::u16string> AzureRefusal(const ApiInput& input);
[[nodiscard]] ApiCall AzureCall(const ApiInput& input);
[[nodiscard]] std::u16string AzureStatusText(int status, std::u16string_view code);

}  // namespace velmora
