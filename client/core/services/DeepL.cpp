#include "core/services/DeepL.h"

#include "core/services/Json.h"
#include "core/Messages.h"
#include "core/services/ServiceConfig.h"
#include "core/services/Services.h"

namespace velmora {

std::string DeepLSource(std::u16string_view language) {
    return {language.begin(), language.end()};
}

std::string DeepLTarget(std::u16string_view language) {
    return language == u"EN" ? "EN-US" : DeepLSource(language);
}

std::u16string DeepLEndpoint(std::u16string_view key, const std::optional<std::u16string>& hostOverride) {
    std::u16string host = key.ends_with(u":fx") ? u"api-free.deepl.com" : u"api.deepl.com";
    if (hostOverride && !hostOverride->empty()) {
        host = *hostOverride;
    }
    return u"https://" + host + u"/v2/translate";
}

std::string DeepLBody(std::u16string_view text, const LanguagePair& pair) {
    rapidjson::StringBuffer buffer;
    json::Writer writer(buffer);
    writer.StartObject();
    writer.Key(u"text");
    writer.StartArray();
    json::WriteText(writer, text);
    writer.EndArray();
    if (!pair.source.empty()) {
        json::WriteAscii(writer, u"source_lang", DeepLSource(pair.source));
    }
    json::WriteAscii(writer, u"target_lang", DeepLTarget(pair.target));
    writer.EndObject();
    return json::Take(buffer);
}

std::optional<ApiTranslation> DeepLAnswer(std::string_view body) {
    rapidjson::Document document;
    const rapidjson::Value* first = json::Parse(document, body) ? json::FirstOf(document, "translations") : nullptr;
    const rapidjson::Value* text = first ? json::StringMember(*first, "text") : nullptr;
    if (!text) {
        return std::nullopt;
    }
    ApiTranslation translation{json::TextOf(*text), {}};
    if (const rapidjson::Value* detected = json::StringMember(*first, "detected_source_language")) {
        translation.detected = json::LowerAscii(json::TextOf(*detected));
    }
    return translation;
}

std::u16string DeepLSaid(std::string_view body) {
    return json::StringOfAnswer(body, "message");
}

std::u16string DeepLEndpoint(const ApiInput& input) {
    return input.key.empty() ? std::u16string() : DeepLEndpoint(input.key, input.hostOverride);
}

std::optional<std::u16string> DeepLRefusal(const ApiInput& input) {
    return input.key.empty() ? std::optional(NoDeepLKeyText()) : std::nullopt;
}

ApiCall DeepLCall(const ApiInput& input) {
    return {DeepLEndpoint(input), u"Content-Type: application/json\r\n", DeepLBody(input.text, input.pair)};
}

std::u16string DeepLStatusText(int status, std::u16string_view code) {
    return status == 403 ? DeepLKeyRefusedText(code) : status == 456 ? DeepLQuotaText(code) : std::u16string();
}

}  // namespace velmora
