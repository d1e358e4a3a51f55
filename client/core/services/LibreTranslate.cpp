#include "core/services/LibreTranslate.h"

#include "core/services/Json.h"
#include "core/Messages.h"
#include "core/services/ServiceConfig.h"
#include "core/services/Services.h"

namespace velmora {

std::string LibreLanguage(std::u16string_view language) {
    return language.empty() ? "auto" : json::LowerAscii(language);
}

std::u16string LibreEndpoint(std::u16string_view baseUrl) {
    return json::WithoutTrailingSlashes(baseUrl) + u"/translate";
}

std::string LibreBody(std::u16string_view text, const LanguagePair& pair, std::u16string_view key) {
    // Room for the longest escaping from the start, so that the buffer never moves and leaves a copy of the key
    // behind in freed memory.
    rapidjson::StringBuffer buffer(nullptr, 6 * (text.size() + key.size()) + 128);
    json::Writer writer(buffer);
    writer.StartObject();
    writer.Key(u"q");
    json::WriteText(writer, text);
    json::WriteAscii(writer, u"source", LibreLanguage(pair.source));
    json::WriteAscii(writer, u"target", LibreLanguage(pair.target));
    json::WriteAscii(writer, u"format", "text");
    if (!key.empty()) {
        writer.Key(u"api_key");
        json::WriteText(writer, key);
    }
    writer.EndObject();
    return json::Take(buffer);
}

std::optional<ApiTranslation> LibreAnswer(std::string_view body) {
    rapidjson::Document document;
    const rapidjson::Value* text = json::Parse(document, body) ? json::StringMember(document, "translatedText") : nullptr;
    if (!text) {
        return std::nullopt;
    }
    ApiTranslation translation{json::TextOf(*text), {}};
    const rapidjson::Value* detected = json::Member(document, "detectedLanguage");
    if (const rapidjson::Value* language = detected ? json::StringMember(*detected, "language") : nullptr) {
        translation.detected = json::LowerAscii(json::TextOf(*language));
    }
    return translation;
}

std::u16string LibreSaid(std::string_view body) {
    return json::StringOfAnswer(body, "error");
}

std::u16string LibreEndpoint(const ApiInput& input) {
    const std::wstring& url = input.settings.libreTranslateUrl;
    return IsValidServiceUrl(url) ? LibreEndpoint(U16Of(url)) : std::u16string();
}

std::optional<std::u16string> LibreRefusal(const ApiInput& input) {
    const std::wstring& url = input.settings.libreTranslateUrl;
    return url.empty() || !IsValidServiceUrl(url) ? std::optional(NoLibreUrlText(!url.empty())) : std::nullopt;
}

ApiCall LibreCall(const ApiInput& input) {
    return {LibreEndpoint(input), u"Content-Type: application/json\r\n", LibreBody(input.text, input.pair, input.key)};
}

std::u16string LibreStatusText(int status, std::u16string_view code) {
    return status == 403 ? LibreKeyRefusedText(code) : std::u16string();
}

}  // namespace velmora
