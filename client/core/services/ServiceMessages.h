// The Japanese sentences of the failure reports that belong to the translation services.
#pragma once
#include <string>
#include <string_view>

#include "core/services/ServiceApi.h"

namespace velmora {

// Before any request: no DeepL key stored, or no usable LibreTranslate URL (empty, or not http/https).
[[nodiscard]] std::u16string NoDeepLKeyText();
[[nodiscard]] std::u16string NoLibreUrlText(bool urlGiven);
// A stored key with line breaks or other control characters, which would change the request itself.
[[nodiscard]] std::u16string UnusableKeyText();

// An answer that carried no translation: the sentence for its status, then on a line of its own what the service
// said, when it said anything. A 2xx status here means the answer could not be read.
[[nodiscard]] std::u16string ServiceAnswerText(ApiKind api, int status, std::u16string_view serviceMessage);

// Text longer than a service takes in one request.
[[nodiscard]] std::u16string ServiceTooLongText();

// Added after a blank line to every failure report of a page request: the pages may be gone, and where to choose a
// service that works.
[[nodiscard]] std::u16string_view PageMayHaveEndedText();

}  // namespace velmora
