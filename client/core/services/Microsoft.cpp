// Microsoft's keyless endpoint: the URL, the body, and the answer that Azure Translator gives in the same shape.
#include "core/services/Microsoft.h"

#include "core/services/Json.h"
#include "core/services/Services.h"

namespace velmora {

std::string MicrosoftLanguage(std::u16string_view language) {
    return json::LowerAscii(language);
}

std::u16string MicrosoftEndpoint(const LanguagePair& pair, const std::optional<std::u16string>& hostOverride) {
    const std::u16string host = hostOverride && !hostOverride->empty() ? *hostOverride : u"edge.microsoft.com";
    const std::string from = MicrosoftLanguage(pair.source), to = MicrosoftLanguage(pair.target);
    return u"https://" + host + u"/translate/translatetext?from=" + std::u16string(from.begin(), from.end()) +
           u"&to=" + std::u16string(to.begin(), to.end()) + u"&isEnterpriseClient=false";
}

std::string MicrosoftBody(std::u16string_view text) {
    rapidjson::StringBuffer buffer;
    json::Writer writer(buffer);
    writer.StartArray();
    json::WriteText(writer, text);
    writer.EndArray();
    return json::Take(buffer);
}

std::optional<ApiTranslation> MicrosoftAnswer(std::string_view body) {
    rapidjson::Document document;
    const rapidjson::Value* first = json::Parse(document, body) ? json::FirstOf(document) : nullptr;
    const rapidjson::Value* translated = first ? json::FirstOf(*first, "translations") : nullptr;
    const rapidjson::Value* text = translated ? json::StringMember(*translated, "text") : nullptr;
    if (!text) {
        return std::nullopt;
    }
    ApiTranslation translation{json::TextOf(*text), {}};
    const rapidjson::Value* detected = json::Member(*first, "detectedLanguage");
    if (const rapidjson::Value* language = detected ? json::StringMember(*detected, "language") : nullptr) {
        translation.detected = json::LowerAscii(json::TextOf(*language));
    }
    return translation;
}

std::u16string MicrosoftSaid(std::string_view body) {
    rapidjson::Document document;
    const rapidjson::Value* error = json::Parse(document, body) ? json::Member(document, "error") : nullptr;
    const rapidjson::Value* said = error ? json::StringMember(*error, "message") : nullptr;
    return said ? json::TextOf(*said) : std::u16string();
}

std::u16string MicrosoftEndpoint(const ApiInput& input) {
    return MicrosoftEndpoint(input.pair, input.hostOverride);
}

ApiCall MicrosoftCall(const ApiInput& input) {
    return {MicrosoftEndpoint(input), u"Content-Type: application/json\r\n", MicrosoftBody(input.text)};
}

}  // namespace velmora
