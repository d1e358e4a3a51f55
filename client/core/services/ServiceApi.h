// The two translation APIs: which languages a request code asks for, where a request goes, its JSON body, and
// what is read from the answer.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/pages/Request.h"

namespace velmora {

// The pair of one of the six request codes (the pages' table, core/pages/Request.h); nothing for any other text.
// Each service spells the languages its own way (DeepLSource/DeepLTarget, LibreLanguage).
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

// Chat: any server that speaks the chat-completions protocol (hosted language models, or a local one).
enum class ApiKind { DeepL, LibreTranslate, Chat };

// The chat-completions request URL: the configured base URL (".../v1") with "/chat/completions" appended.
[[nodiscard]] std::u16string ChatEndpoint(std::u16string_view baseUrl);
// The request body: the model, a system message that names both languages and asks for the translation alone,
// the text as the user's message, temperature 0 (the same text gives the same translation), streamed.
[[nodiscard]] std::string ChatBody(std::u16string_view text, const LanguagePair& pair, std::u16string_view model);

// A model must read the request and write its translation within its context window, and some local servers
// silently drop what does not fit (Ollama's default window is a few thousand tokens). 16 KiB of body, about 4,000
// tokens of English or 5,000 Japanese characters, keeps text and translation within the 8k-16k tokens that small
// local models are usually run with, and a request to what a model writes well within the 1 MiB answer cap.
inline constexpr std::size_t kChatBodyLimit = 16 * 1024;

// What one event of a streamed chat answer carries: a piece of the answer (choices[0].delta.content; a reasoning
// model's "reasoning_content" is not part of it), or the server's error message.
struct ChatEvent {
    bool readable = false;  // JSON that is a chunk or an error
    std::u16string content;
    std::u16string error;
};
[[nodiscard]] ChatEvent ChatEventOf(std::string_view data);
// The answer of a server that ignored "stream" and sent one JSON object: choices[0].message.content.
[[nodiscard]] std::optional<std::u16string> ChatAnswerOf(std::string_view body);
// What the user sees of a model's answer so far: a leading <think>...</think> block (a reasoning model thinking
// aloud) is left out, and nothing shows while the start may still become such a block; blanks at the start are
// dropped, and at the end too once the answer is complete.
[[nodiscard]] std::u16string_view VisibleAnswer(std::u16string_view content, bool complete);

// How much of `text` (UTF-16 units, never ending inside a surrogate pair) fits into one request body of `api`, with
// room left for the fields, a key and (for Chat) the instruction: text.size() when all of it does.
[[nodiscard]] std::size_t FittingApiLength(ApiKind api, std::u16string_view text);

// The translation in a successful answer: DeepL's translations[0].text, LibreTranslate's translatedText. Nothing
// when the answer is not JSON or has no such text.
[[nodiscard]] std::optional<std::u16string> TranslationOfAnswer(ApiKind api, std::string_view body);

// What the service said in an error answer (DeepL's "message", LibreTranslate's "error", a chat server's
// error.message or its "error" text), with control characters as blanks, cut to
// kServiceMessageLimit characters; empty when it said nothing readable.
inline constexpr std::size_t kServiceMessageLimit = 200;
[[nodiscard]] std::u16string ServiceMessageOfAnswer(ApiKind api, std::string_view body);

// The browser menu's script sends a selection's line feeds as the three characters "%0D" (a page's server decoded
// them); a JSON body carries line breaks as they are, so the marks become line feeds again.
[[nodiscard]] std::u16string RestoreScriptLineBreaks(std::u16string_view text);

}  // namespace velmora
