// Azure Translator: the URL, the region header and the body; the key's header is the row's.
#include "core/services/Azure.h"

#include "core/Messages.h"
#include "core/services/Json.h"
#include "core/services/Microsoft.h"
#include "core/services/ServiceMessages.h"
#include "core/services/Services.h"

namespace velmora {

std::u16string AzureEndpoint(const LanguagePair& pair, const std::optional<std::u16string>& hostOverride) {
    const std::u16string host =
        hostOverride && !hostOverride->empty() ? *hostOverride : u"api.cognitive.microsofttranslator.com";
    std::u16string url = u"https://" + host + u"/translate?api-version=3.0";
    if (!pair.source.empty()) {
        const std::string from = MicrosoftLanguage(pair.source);
        url += u"&from=" + std::u16string(from.begin(), from.end());
    }
    const std::string to = MicrosoftLanguage(pair.target);
    return url + u"&to=" + std::u16string(to.begin(), to.end());
}

std::string AzureBody(std::u16string_view text) {
    rapidjson::StringBuffer buffer;
    json::Writer writer(buffer);
    writer.StartArray();
    writer.StartObject();
    writer.Key(u"Text");
    json::WriteText(writer, text);
    writer.EndObject();
    writer.EndArray();
    return json::Take(buffer);
}

bool IsValidAzureRegion(std::wstring_view region) {
    // It goes into a header as it is: nothing that could end the line or add another.
    for (wchar_t c : region) {
        if (!((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'-')) {
            return false;
        }
    }
    return region.size() <= 64;
}

std::u16string AzureEndpoint(const ApiInput& input) {
    return AzureEndpoint(input.pair, input.hostOverride);
}

std::optional<std::u16string> AzureRefusal(const ApiInput& input) {
    if (input.key.empty()) {
        return NoAzureKeyText();
    }
    return IsValidAzureRegion(input.settings.azureRegion) ? std::nullopt : std::optional(BadAzureRegionText());
}

ApiCall AzureCall(const ApiInput& input) {
    ApiCall call{AzureEndpoint(input), u"Content-Type: application/json\r\n", AzureBody(input.text)};
    if (const std::wstring& region = input.settings.azureRegion; !region.empty()) {
        call.headers += u"Ocp-Apim-Subscription-Region: " + U16Of(region) + u"\r\n";
    }
    return call;
}

std::u16string AzureStatusText(int status, std::u16string_view code) {
    // A key of a regional resource sent without its region, or with another, is refused just as a wrong key.
    return status == 401 || status == 403 ? AzureKeyRefusedText(code) : RefusedForNowStatusText(status, code);
}

}  // namespace velmora
