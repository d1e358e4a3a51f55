// What every API shares: which languages a request code asks for, how much text fits into one request, and what is
// read from an answer, each through the service's row (core/services/Services.h).
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/pages/Request.h"
#include "core/services/Chat.h"
#include "core/services/DeepL.h"
#include "core/services/LibreTranslate.h"
#include "core/services/Services.h"

namespace velmora {

// The pair of one of the six request codes (the pages' table, core/pages/Request.h); nothing for any other text.
// Each service spells the languages its own way.
[[nodiscard]] std::optional<LanguagePair> LanguagesOfCode(std::u16string_view code);

// How much of `text` (UTF-16 units, never ending inside a surrogate pair) fits into one request body of `service`,
// with room left for the fields, a key and (for a language model) the instruction: text.size() when all of it does.
[[nodiscard]] std::size_t FittingApiLength(ServiceKind service, std::u16string_view text);

// The translation in a successful answer, and the source language the service found. Nothing when the answer is
// not JSON or has no such text.
[[nodiscard]] std::optional<ApiTranslation> AnswerOf(ServiceKind service, std::string_view body);
[[nodiscard]] std::optional<std::u16string> TranslationOfAnswer(ServiceKind service, std::string_view body);

// What the service said in an error answer, with control characters as blanks, cut to kServiceMessageLimit
// characters; empty when it said nothing readable.
inline constexpr std::size_t kServiceMessageLimit = 200;
[[nodiscard]] std::u16string ServiceMessageOfAnswer(ServiceKind service, std::string_view body);

// The browser menu's script sends a selection's line feeds as the three characters "%0D" (a page's server decoded
// them); a JSON body carries line breaks as they are, so the marks become line feeds again.
[[nodiscard]] std::u16string RestoreScriptLineBreaks(std::u16string_view text);

}  // namespace velmora
