#include "core/services/Chat.h"

#include <algorithm>

#include "core/services/Json.h"
#include "core/Messages.h"
#include "core/services/ServiceConfig.h"
#include "core/services/Services.h"

namespace velmora {
namespace {

// choices[0].<part>, the object the chat answer's text is in ("delta" when streamed, "message" when not).
const rapidjson::Value* FirstChoicePart(const rapidjson::Value& answer, const char* part) {
    const rapidjson::Value* choice = json::FirstOf(answer, "choices");
    return choice ? json::Member(*choice, part) : nullptr;
}

const rapidjson::Value* ChatError(const rapidjson::Value& answer) {
    const rapidjson::Value* error = json::Member(answer, "error");
    if (error && error->IsObject()) {
        return json::StringMember(*error, "message");
    }
    return error && error->IsString() ? error : nullptr;
}

constexpr std::u16string_view LanguageName(std::u16string_view language) {
    return language == u"EN" ? u"English" : language == u"KO" ? u"Korean" : u"Japanese";
}

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\u3000';
}

std::u16string Instruction(const LanguagePair& pair) {
    const std::u16string target(LanguageName(pair.target));
    constexpr std::u16string_view kOnly = u". Answer with the translation only: no notes, no explanations, no quotes.";
    if (pair.source.empty()) {
        // A text of Han characters alone may be Japanese already; the other services say so and are asked again,
        // the model is told the same rule at once.
        return u"Translate the user's text into " + target + u"; if it is already " + target +
               u", translate it into English instead" + std::u16string(kOnly);
    }
    return u"Translate the user's text from " + std::u16string(LanguageName(pair.source)) + u" to " + target +
           std::u16string(kOnly);
}

}  // namespace

std::u16string ChatEndpoint(std::u16string_view baseUrl) {
    return json::WithoutTrailingSlashes(baseUrl) + u"/chat/completions";
}

std::string ChatBody(std::u16string_view text, const LanguagePair& pair, std::u16string_view model) {
    rapidjson::StringBuffer buffer;
    json::Writer writer(buffer);
    writer.StartObject();
    writer.Key(u"model");
    json::WriteText(writer, model);
    writer.Key(u"messages");
    writer.StartArray();
    writer.StartObject();
    json::WriteAscii(writer, u"role", "system");
    writer.Key(u"content");
    json::WriteText(writer, Instruction(pair));
    writer.EndObject();
    writer.StartObject();
    json::WriteAscii(writer, u"role", "user");
    writer.Key(u"content");
    json::WriteText(writer, text);
    writer.EndObject();
    writer.EndArray();
    writer.Key(u"temperature");
    writer.Int(0);
    writer.Key(u"stream");
    writer.Bool(true);
    writer.EndObject();
    return json::Take(buffer);
}

ChatEvent ChatEventOf(std::string_view data) {
    ChatEvent event;
    rapidjson::Document document;
    if (!json::Parse(document, data)) {
        return event;
    }
    if (const rapidjson::Value* error = ChatError(document)) {
        event.readable = true;
        event.error = json::TextOf(*error);
        return event;
    }
    const rapidjson::Value* delta = FirstChoicePart(document, "delta");
    if (delta && delta->IsObject()) {
        event.readable = true;
        if (const rapidjson::Value* content = json::StringMember(*delta, "content")) {
            event.content = json::TextOf(*content);
        }
    } else if (json::Member(document, "choices")) {
        // The last chunk of some servers carries only usage figures and an empty list.
        event.readable = true;
    }
    return event;
}

std::optional<std::u16string> ChatAnswerOf(std::string_view body) {
    rapidjson::Document document;
    if (!json::Parse(document, body)) {
        return std::nullopt;
    }
    const rapidjson::Value* message = FirstChoicePart(document, "message");
    const rapidjson::Value* content = message ? json::StringMember(*message, "content") : nullptr;
    if (!content) {
        return std::nullopt;
    }
    return json::TextOf(*content);
}

std::u16string_view VisibleAnswer(std::u16string_view content, bool complete) {
    AnswerScan scan;
    return VisibleAnswer(content, complete, scan);
}

std::u16string_view VisibleAnswer(std::u16string_view content, bool complete, AnswerScan& scan) {
    using Stage = AnswerScan::Stage;
    constexpr std::u16string_view kOpen = u"<think>";
    constexpr std::u16string_view kClose = u"</think>";
    auto passBlanks = [&] {
        while (scan.at < content.size() && IsBlank(content[scan.at])) {
            ++scan.at;
        }
        return scan.at < content.size();
    };
    if (scan.stage == Stage::Start && passBlanks()) {
        const std::u16string_view rest = content.substr(scan.at);
        if (rest.starts_with(kOpen)) {
            scan.stage = Stage::Thinking;
            scan.at += kOpen.size();
        } else if (complete || !kOpen.starts_with(rest)) {
            scan.stage = Stage::Text;  // else "<thi" may still become the block
        }
    }
    if (scan.stage == Stage::Thinking) {
        const size_t close = content.find(kClose, scan.at);
        if (close == std::u16string_view::npos) {
            // The tag may be split over pieces: its start may already be here.
            scan.at = std::max(scan.at, content.size() - std::min(content.size(), kClose.size() - 1));
        } else {
            scan.stage = Stage::AfterThinking;
            scan.at = close + kClose.size();
        }
    }
    if (scan.stage == Stage::AfterThinking && passBlanks()) {
        scan.stage = Stage::Text;
    }
    if (scan.stage != Stage::Text) {
        return {};
    }
    std::u16string_view text = content.substr(scan.at);
    while (complete && !text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

ApiTranslation FinishedAnswer(std::u16string_view content, AnswerScan& scan) {
    ApiTranslation answer{std::u16string(VisibleAnswer(content, true, scan)), {}};
    if (scan.stage == AnswerScan::Stage::Thinking) {
        answer.report = kThoughtOnlyText;
    }
    return answer;
}

std::optional<ApiTranslation> ChatAnswer(std::string_view body) {
    if (auto text = ChatAnswerOf(body)) {
        AnswerScan scan;
        return FinishedAnswer(*text, scan);
    }
    return std::nullopt;
}

std::u16string ChatSaid(std::string_view body) {
    rapidjson::Document document;
    const rapidjson::Value* said = json::Parse(document, body) ? ChatError(document) : nullptr;
    return said ? json::TextOf(*said) : std::u16string();
}

std::u16string ChatEndpoint(const ApiInput& input) {
    const std::wstring& url = input.settings.chatUrl;
    return IsValidServiceUrl(url) ? ChatEndpoint(U16Of(url)) : std::u16string();
}

std::optional<std::u16string> ChatRefusal(const ApiInput& input) {
    if (!IsValidServiceUrl(input.settings.chatUrl)) {
        return NoChatUrlText();
    }
    return input.settings.chatModel.empty() ? std::optional(NoChatModelText()) : std::nullopt;
}

ApiCall ChatCall(const ApiInput& input) {
    // No key, no header: a local server (Ollama) needs none and some refuse an unknown one.
    return {ChatEndpoint(input), u"Content-Type: application/json\r\nAccept: text/event-stream\r\n",
            ChatBody(input.text, input.pair, U16Of(input.settings.chatModel))};
}

std::u16string ChatStatusText(int status, std::u16string_view code) {
    return status == 404 ? ModelNotFoundText(code) : std::u16string();
}

}  // namespace velmora
