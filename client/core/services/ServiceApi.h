// The two translation APIs: which languages a request code asks for, where a request goes, its JSON body, and
// what is read from the answer.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// The direction of a request code as neutral language names, "EN", "JA" or "KO"; each service spells them its own
// way (DeepLSource/DeepLTarget, LibreLanguage).
struct LanguagePair {
    std::u16string_view source;
    std::u16string_view target;
};

// The pair of one of the six request codes; nothing for any other text.
[[nodiscard]] std::optional<LanguagePair> LanguagesOfCode(std::u16string_view code);

// DeepL wants a regional variant for English as a target ("EN-US") and only the plain name as a source.
[[nodiscard]] std::string DeepLSource(std::u16string_view language);
[[nodiscard]] std::string DeepLTarget(std::u16string_view language);
// LibreTranslate names languages in lower case.
[[nodiscard]] std::string LibreLanguage(std::u16string_view language);

// The DeepL host: a key of the free plan ends in ":fx" and belongs to api-free.deepl.com, every other key to
// api.deepl.com; an override (host or host:port) replaces either. Always https.
[[nodiscard]] std::u16string DeepLEndpoint(std::u16string_view key, const std::optional<std::u16string>& hostOverride);
// The LibreTranslate request URL: the configured base URL with "/translate" appended (one slash between them).
[[nodiscard]] std::u16string LibreEndpoint(std::u16string_view baseUrl);

// The request bodies as UTF-8 JSON. Text that is not valid UTF-16 has its lone surrogates replaced, since JSON
// cannot carry them.
[[nodiscard]] std::string DeepLBody(std::u16string_view text, const LanguagePair& pair);
[[nodiscard]] std::string LibreBody(std::u16string_view text, const LanguagePair& pair, std::u16string_view key);

// The largest body a service accepts, in bytes. DeepL caps a whole request at 128 KiB. A LibreTranslate server sets
// its own limit (none by default); 16 KiB (about 16,000 characters of English, 5,000 of Japanese) keeps one request
// to what a small self-hosted server translates within the request's 60 s.
inline constexpr std::size_t kDeepLBodyLimit = 128 * 1024;
inline constexpr std::size_t kLibreBodyLimit = 16 * 1024;

enum class ApiKind { DeepL, LibreTranslate };

// How much of `text` (UTF-16 units, never ending inside a surrogate pair) fits into one request body of `api`, with
// room left for the fields and a key: text.size() when all of it does.
[[nodiscard]] std::size_t FittingApiLength(ApiKind api, std::u16string_view text);

// The translation in a successful answer: DeepL's translations[0].text, LibreTranslate's translatedText. Nothing
// when the answer is not JSON or has no such text.
[[nodiscard]] std::optional<std::u16string> TranslationOfAnswer(ApiKind api, std::string_view body);

// What the service said in an error answer (DeepL's "message", LibreTranslate's "error"), cut to
// kServiceMessageLimit characters; empty when it said nothing readable.
inline constexpr std::size_t kServiceMessageLimit = 200;
[[nodiscard]] std::u16string ServiceMessageOfAnswer(ApiKind api, std::string_view body);

// The browser menu's script sends a selection's line feeds as the three characters "%0D" (a page's server decoded
// them); a JSON body carries line breaks as they are, so the marks become line feeds again.
[[nodiscard]] std::u16string RestoreScriptLineBreaks(std::u16string_view text);

}  // namespace velmora
