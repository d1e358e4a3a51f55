// Google's keyless endpoint: the URL or the form body, and the segments of its answer.
#include "core/services/Google.h"

#include "core/pages/UrlEncode.h"
#include "core/services/Json.h"
#include "core/services/Services.h"
#include "core/text/Utf16.h"

namespace velmora {

std::string GoogleLanguage(std::u16string_view language) {
    return language.empty() ? "auto" : json::LowerAscii(language);
}

std::u16string GoogleEndpoint(const std::optional<std::u16string>& hostOverride) {
    const std::u16string host = hostOverride && !hostOverride->empty() ? *hostOverride : u"translate.googleapis.com";
    return u"https://" + host + u"/translate_a/single";
}

std::optional<ApiTranslation> GoogleAnswer(std::string_view body) {
    rapidjson::Document document;
    if (!json::Parse(document, body) || !document.IsArray() || document.Empty() || !document[0].IsArray()) {
        return std::nullopt;
    }
    ApiTranslation translation;
    bool found = false;
    for (const rapidjson::Value& segment : document[0].GetArray()) {
        // A segment without a translated string (null) carries other readings; it adds nothing to the text.
        if (const rapidjson::Value* piece = json::FirstOf(segment); piece && piece->IsString()) {
            translation.text += json::TextOf(*piece);
            found = true;
        }
    }
    if (!found) {
        return std::nullopt;
    }
    if (document.Size() > 2 && document[2].IsString()) {
        translation.detected = json::LowerAscii(json::TextOf(document[2]));
    }
    return translation;
}

std::u16string GoogleEndpoint(const ApiInput& input) {
    return GoogleEndpoint(input.hostOverride);
}

ApiCall GoogleCall(const ApiInput& input) {
    const std::string sl = GoogleLanguage(input.pair.source), tl = GoogleLanguage(input.pair.target);
    ApiCall call;
    call.url = GoogleEndpoint(input) + u"?client=gtx&sl=" + std::u16string(sl.begin(), sl.end()) + u"&tl=" +
               std::u16string(tl.begin(), tl.end()) + u"&dt=t";
    const std::u16string text = UrlEncodeUtf8(WellFormed(input.text));
    if (call.url.size() + 3 + text.size() <= kGoogleUrlLimit) {
        call.url += u"&q=" + text;
        call.get = true;
    } else {
        call.headers = u"Content-Type: application/x-www-form-urlencoded\r\n";
        call.body = "q=" + std::string(text.begin(), text.end());
    }
    return call;
}

}  // namespace velmora
