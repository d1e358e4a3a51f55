// A language model behind the chat-completions protocol (hosted, or a local one such as Ollama): the request, the
// events of a streamed answer, a whole answer, and what of it the user sees.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/pages/Request.h"

namespace velmora {

// The chat server's base URL when none is set: Ollama's on this computer.
inline constexpr std::wstring_view kDefaultChatUrl = L"http://localhost:11434/v1";

// The configured base URL (".../v1") with "/chat/completions" appended.
[[nodiscard]] std::u16string ChatEndpoint(std::u16string_view baseUrl);
// The model, a system message that names both languages (or only the target, when the source is left to the model)
// and asks for the translation alone, the text as the user's message, temperature 0 (the same text gives the same
// translation), streamed.
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

// How far VisibleAnswer has read an answer that grows piece by piece, so that each piece is read from about where
// the last one stopped: looking through the whole answer again for the end of the thinking on every piece made a
// long thinking cost seconds. Kept with that one answer, which may only grow at its end.
struct AnswerScan {
    enum class Stage { Start, Thinking, AfterThinking, Text };
    Stage stage = Stage::Start;
    std::size_t at = 0;  // the first unit not yet passed over (Start, AfterThinking), where the text starts (Text), or
                         // where the look for "</think>" goes on (Thinking)
};
[[nodiscard]] std::u16string_view VisibleAnswer(std::u16string_view content, bool complete, AnswerScan& scan);

struct ApiTranslation;
// A complete answer as a translation, or a report when a thinking block never closed: the model stopped while it
// was still thinking and wrote none, which is not the same as an answer that was empty.
[[nodiscard]] ApiTranslation FinishedAnswer(std::u16string_view content, AnswerScan& scan);
// A whole answer as a translation (the model names no source language).
[[nodiscard]] std::optional<ApiTranslation> ChatAnswer(std::string_view body);
// OpenAI's {"error": {"message": ...}}, or the plain {"error": "..."} of Ollama's own API.
[[nodiscard]] std::u16string ChatSaid(std::string_view body);


// Its row's functions (core/services/Services.h).
struct ApiInput;
struct ApiCall;
[[nodiscard]] std::u16string ChatEndpoint(const ApiInput& input);
[[nodiscard]] std::optional<std::u16string> ChatRefusal(const ApiInput& input);
[[nodiscard]] ApiCall ChatCall(const ApiInput& input);
[[nodiscard]] std::u16string ChatStatusText(int status, std::u16string_view code);

}  // namespace velmora
