// The direction of "/selection auto": which way to translate, decided from the selected text itself.
#pragma once
#include <optional>
#include <string_view>

#include "core/pages/Request.h"

namespace velmora {

// The request code for the text, for the pages (which need both languages): any Hangul means Korean to Japanese
// ("KJIFA"); otherwise any kana or CJK ideograph means Japanese to English ("JEhnA"); otherwise English to Japanese
// ("EJhnA"). Full-width Latin, emoji and punctuation decide nothing.
[[nodiscard]] std::u16string_view DirectionCode(std::u16string_view text);

// For a service that finds the source language itself. Hangul still means Korean to Japanese and kana Japanese to
// English; any other text (Latin, Cyrillic, Han characters alone, ...) goes with an empty source, left to the
// service, and Japanese as the target. Han characters alone may be Japanese or Chinese: then the answer's detected
// language decides whether to ask once more (AskAgain).
struct ServiceDirection {
    LanguagePair languages;
    bool sourceLeftToService = false;
};
[[nodiscard]] ServiceDirection ServiceDirectionOf(std::u16string_view text);

// The second request after the first answer, when there must be one: the service found Japanese in a text it was
// asked to turn into Japanese, so the text is asked for again from Japanese to English. `detected` is the service's
// name of the language ("ja", "JA", "ja-Jpan"); nothing when the first answer stands.
[[nodiscard]] std::optional<LanguagePair> AskAgain(const ServiceDirection& direction, std::u16string_view detected);

}  // namespace velmora
