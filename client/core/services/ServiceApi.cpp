#include "core/services/ServiceApi.h"

#include <rapidjson/document.h>
#include <rapidjson/encodings.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include "core/text/Secrets.h"
#include "core/text/Utf16.h"

namespace velmora {
namespace {

std::string Ascii(std::u16string_view text) {
    return {text.begin(), text.end()};
}

// UTF-16 as RapidJSON takes it, with U+FFFD for every lone surrogate.
std::u16string WellFormed(std::u16string_view text) {
    std::u16string out(text);
    for (size_t i = 0; i < out.size(); ++i) {
        if (IsLeadSurrogate(out[i]) && i + 1 < out.size() && IsTrailSurrogate(out[i + 1])) {
            ++i;
        } else if (IsLeadSurrogate(out[i]) || IsTrailSurrogate(out[i])) {
            out[i] = u'\uFFFD';
        }
    }
    return out;
}

using Utf16Writer = rapidjson::Writer<rapidjson::StringBuffer, rapidjson::UTF16<char16_t>, rapidjson::UTF8<>>;

void WriteText(Utf16Writer& writer, std::u16string_view text) {
    std::u16string clean = WellFormed(text);
    writer.String(clean.data(), static_cast<rapidjson::SizeType>(clean.size()));
    // The copy may have been a key.
    WipeString(clean);
}

void WriteAscii(Utf16Writer& writer, const char16_t* key, const std::string& value) {
    writer.Key(key);
    const std::u16string wide(value.begin(), value.end());
    writer.String(wide.data(), static_cast<rapidjson::SizeType>(wide.size()));
}

std::string Take(rapidjson::StringBuffer& buffer) {
    std::string body(buffer.GetString(), buffer.GetSize());
    // The buffer may have held a key; it is overwritten before the library frees it.
    WipeMemory(const_cast<char*>(buffer.GetString()), buffer.GetSize());
    return body;
}

std::u16string FromUtf8(const char* text, size_t length) {
    rapidjson::GenericStringBuffer<rapidjson::UTF16<char16_t>> out;
    // The library keeps a terminator after every string value; the length counts any "\u0000" inside it.
    rapidjson::StringStream in(text);
    while (in.Tell() < length) {
        if (!rapidjson::Transcoder<rapidjson::UTF8<>, rapidjson::UTF16<char16_t>>::Transcode(in, out)) {
            break;  // the parser validated the encoding; this only guards against a library change
        }
    }
    return {out.GetString(), out.GetSize() / sizeof(char16_t)};  // the size counts bytes
}

// Parses strictly: the whole answer is one JSON value in valid UTF-8, nothing after it. Iteratively: the recursive
// parser takes stack for every level of nesting, and an answer of nothing but brackets would overflow the worker's.
bool Parse(rapidjson::Document& document, std::string_view body) {
    document.Parse<rapidjson::kParseValidateEncodingFlag | rapidjson::kParseIterativeFlag>(body.data(), body.size());
    return !document.HasParseError() && document.IsObject();
}

const rapidjson::Value* Member(const rapidjson::Value& object, const char* name) {
    if (!object.IsObject()) {
        return nullptr;
    }
    const auto member = object.FindMember(name);
    return member != object.MemberEnd() ? &member->value : nullptr;
}

const rapidjson::Value* StringMember(const rapidjson::Value& object, const char* name) {
    const rapidjson::Value* value = Member(object, name);
    return value && value->IsString() ? value : nullptr;
}

std::u16string TextOf(const rapidjson::Value& text) {
    return FromUtf8(text.GetString(), text.GetStringLength());
}

// choices[0].<part>, the object the chat answer's text is in ("delta" when streamed, "message" when not).
const rapidjson::Value* FirstChoicePart(const rapidjson::Value& answer, const char* part) {
    const rapidjson::Value* choices = Member(answer, "choices");
    if (!choices || !choices->IsArray() || choices->Empty()) {
        return nullptr;
    }
    return Member((*choices)[0], part);
}

// A chat server's error: OpenAI's {"error": {"message": ...}}, or the plain {"error": "..."} of Ollama's own API.
const rapidjson::Value* ChatError(const rapidjson::Value& answer) {
    const rapidjson::Value* error = Member(answer, "error");
    if (error && error->IsObject()) {
        return StringMember(*error, "message");
    }
    return error && error->IsString() ? error : nullptr;
}

constexpr std::u16string_view LanguageName(std::u16string_view language) {
    return language == u"EN" ? u"English" : language == u"KO" ? u"Korean" : u"Japanese";
}

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\u3000';
}

}  // namespace

std::optional<LanguagePair> LanguagesOfCode(std::u16string_view code) {
    const RequestKind* kind = FindRequest(code);
    return kind ? std::optional(kind->languages) : std::nullopt;
}

std::string DeepLSource(std::u16string_view language) {
    return Ascii(language);
}

std::string DeepLTarget(std::u16string_view language) {
    return language == u"EN" ? "EN-US" : Ascii(language);
}

std::string LibreLanguage(std::u16string_view language) {
    std::string out = Ascii(language);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

std::u16string DeepLEndpoint(std::u16string_view key, const std::optional<std::u16string>& hostOverride) {
    std::u16string host = key.ends_with(u":fx") ? u"api-free.deepl.com" : u"api.deepl.com";
    if (hostOverride && !hostOverride->empty()) {
        host = *hostOverride;
    }
    return u"https://" + host + u"/v2/translate";
}

std::u16string LibreEndpoint(std::u16string_view baseUrl) {
    std::u16string url(baseUrl);
    while (!url.empty() && url.back() == u'/') {
        url.pop_back();
    }
    return url + u"/translate";
}

std::u16string ChatEndpoint(std::u16string_view baseUrl) {
    std::u16string url(baseUrl);
    while (!url.empty() && url.back() == u'/') {
        url.pop_back();
    }
    return url + u"/chat/completions";
}

std::string ChatBody(std::u16string_view text, const LanguagePair& pair, std::u16string_view model) {
    const std::u16string instruction = u"Translate the user's text from " + std::u16string(LanguageName(pair.source)) +
                                       u" to " + std::u16string(LanguageName(pair.target)) +
                                       u". Answer with the translation only: no notes, no explanations, no quotes.";
    rapidjson::StringBuffer buffer;
    Utf16Writer writer(buffer);
    writer.StartObject();
    writer.Key(u"model");
    WriteText(writer, model);
    writer.Key(u"messages");
    writer.StartArray();
    writer.StartObject();
    WriteAscii(writer, u"role", "system");
    writer.Key(u"content");
    WriteText(writer, instruction);
    writer.EndObject();
    writer.StartObject();
    WriteAscii(writer, u"role", "user");
    writer.Key(u"content");
    WriteText(writer, text);
    writer.EndObject();
    writer.EndArray();
    writer.Key(u"temperature");
    writer.Int(0);
    writer.Key(u"stream");
    writer.Bool(true);
    writer.EndObject();
    return Take(buffer);
}

std::string DeepLBody(std::u16string_view text, const LanguagePair& pair) {
    rapidjson::StringBuffer buffer;
    Utf16Writer writer(buffer);
    writer.StartObject();
    writer.Key(u"text");
    writer.StartArray();
    WriteText(writer, text);
    writer.EndArray();
    WriteAscii(writer, u"source_lang", DeepLSource(pair.source));
    WriteAscii(writer, u"target_lang", DeepLTarget(pair.target));
    writer.EndObject();
    return Take(buffer);
}

std::string LibreBody(std::u16string_view text, const LanguagePair& pair, std::u16string_view key) {
    // Room for the longest escaping from the start, so that the buffer never moves and leaves a copy of the key
    // behind in freed memory.
    rapidjson::StringBuffer buffer(nullptr, 6 * (text.size() + key.size()) + 128);
    Utf16Writer writer(buffer);
    writer.StartObject();
    writer.Key(u"q");
    WriteText(writer, text);
    WriteAscii(writer, u"source", LibreLanguage(pair.source));
    WriteAscii(writer, u"target", LibreLanguage(pair.target));
    WriteAscii(writer, u"format", "text");
    if (!key.empty()) {
        writer.Key(u"api_key");
        WriteText(writer, key);
    }
    writer.EndObject();
    return Take(buffer);
}

std::size_t FittingApiLength(ApiKind api, std::u16string_view text) {
    // The body's other fields and a key take far less than this.
    constexpr std::size_t kRoom = 512;
    const std::size_t limit = (api == ApiKind::DeepL            ? kDeepLBodyLimit
                               : api == ApiKind::LibreTranslate ? kLibreBodyLimit
                                                                : kChatBodyLimit - 256) -  // the instruction
                              kRoom;
    const LanguagePair pair{u"EN", u"JA"};
    auto fits = [&](std::size_t length) { return DeepLBody(text.substr(0, length), pair).size() <= limit; };
    // A longer start never makes a shorter body.
    return LongestFittingStart(text, fits);
}

std::optional<std::u16string> TranslationOfAnswer(ApiKind api, std::string_view body) {
    rapidjson::Document document;
    if (!Parse(document, body)) {
        return std::nullopt;
    }
    const rapidjson::Value* text = nullptr;
    if (api == ApiKind::LibreTranslate) {
        text = StringMember(document, "translatedText");
    } else if (const auto list = document.FindMember("translations");
               list != document.MemberEnd() && list->value.IsArray() && !list->value.Empty()) {
        text = StringMember(list->value[0], "text");
    }
    if (!text) {
        return std::nullopt;
    }
    return FromUtf8(text->GetString(), text->GetStringLength());
}

std::u16string ServiceMessageOfAnswer(ApiKind api, std::string_view body) {
    rapidjson::Document document;
    if (!Parse(document, body)) {
        return {};
    }
    const rapidjson::Value* said = api == ApiKind::Chat
                                       ? ChatError(document)
                                       : StringMember(document, api == ApiKind::DeepL ? "message" : "error");
    if (!said) {
        return {};
    }
    std::u16string text = TextOf(*said);
    // Line breaks and other control characters would break the box's layout; blanks keep the words apart.
    for (char16_t& c : text) {
        if (c < 0x20 || c == 0x7F) {
            c = u' ';
        }
    }
    if (text.size() > kServiceMessageLimit) {
        size_t cut = kServiceMessageLimit;
        if (IsTrailSurrogate(text[cut]) && IsLeadSurrogate(text[cut - 1])) {
            --cut;  // never half a surrogate pair
        }
        text.resize(cut);
        text += u"…";
    }
    return text;
}

ChatEvent ChatEventOf(std::string_view data) {
    ChatEvent event;
    rapidjson::Document document;
    if (!Parse(document, data)) {
        return event;
    }
    if (const rapidjson::Value* error = ChatError(document)) {
        event.readable = true;
        event.error = TextOf(*error);
        return event;
    }
    const rapidjson::Value* delta = FirstChoicePart(document, "delta");
    if (delta && delta->IsObject()) {
        event.readable = true;
        if (const rapidjson::Value* content = StringMember(*delta, "content")) {
            event.content = TextOf(*content);
        }
    } else if (Member(document, "choices")) {
        // The last chunk of some servers carries only usage figures and an empty list.
        event.readable = true;
    }
    return event;
}

std::optional<std::u16string> ChatAnswerOf(std::string_view body) {
    rapidjson::Document document;
    if (!Parse(document, body)) {
        return std::nullopt;
    }
    const rapidjson::Value* message = FirstChoicePart(document, "message");
    const rapidjson::Value* content = message ? StringMember(*message, "content") : nullptr;
    if (!content) {
        return std::nullopt;
    }
    return TextOf(*content);
}

std::u16string_view VisibleAnswer(std::u16string_view content, bool complete) {
    constexpr std::u16string_view kOpen = u"<think>";
    constexpr std::u16string_view kClose = u"</think>";
    auto trimStart = [](std::u16string_view text) {
        while (!text.empty() && IsBlank(text.front())) {
            text.remove_prefix(1);
        }
        return text;
    };
    std::u16string_view text = trimStart(content);
    if (text.starts_with(kOpen)) {
        const size_t close = text.find(kClose);
        text =
            close == std::u16string_view::npos ? std::u16string_view() : trimStart(text.substr(close + kClose.size()));
    } else if (!complete && kOpen.starts_with(text)) {
        text = {};  // "<thi" may still become the block
    }
    while (complete && !text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::u16string RestoreScriptLineBreaks(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.substr(i, 3) == u"%0D") {
            out += u'\n';
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace velmora
