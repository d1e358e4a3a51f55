#include "standin/Api.h"

#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <cctype>
#include <set>

#include "standin/Keyless.h"
#include "standin/Pages.h"
#include "standin/Standin.h"

namespace standin {
namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string Json(const char* field, const std::string& text, bool list = false) {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    writer.StartObject();
    if (list) {
        writer.Key("translations");
        writer.StartArray();
        writer.StartObject();
        writer.Key("detected_source_language");
        writer.String("EN");
        writer.Key(field);
        writer.String(text.c_str(), static_cast<rapidjson::SizeType>(text.size()));
        writer.EndObject();
        writer.EndArray();
    } else {
        writer.Key(field);
        writer.String(text.c_str(), static_cast<rapidjson::SizeType>(text.size()));
    }
    writer.EndObject();
    return buffer.GetString();
}

std::string StringField(const rapidjson::Value& object, const char* name) {
    const auto m = object.FindMember(name);
    return m != object.MemberEnd() && m->value.IsString() ? m->value.GetString() : "(missing)";
}

// The source text when the request is what the API takes; otherwise the problem, with `ok` false.
std::string CheckBody(const ApiRequest& r, const std::string& expectedKey, bool& ok) {
    ok = false;
    rapidjson::Document json;
    if (json.Parse(r.body.c_str(), r.body.size()).HasParseError() || !json.IsObject()) {
        return "the body is not a JSON object";
    }
    static const std::set<std::string> kDeepLSources{"EN", "JA", "KO"}, kDeepLTargets{"EN-US", "JA", "KO"},
        kLibre{"en", "ja", "ko"};
    if (r.service == "deepl") {
        if (r.authorization != "DeepL-Auth-Key " + expectedKey) {
            // Twice, as a server that quotes the request may: every copy must be masked.
            return "wrong Authorization: " + r.authorization + " (sent: " + r.authorization + ")";
        }
        const auto text = json.FindMember("text");
        if (text == json.MemberEnd() || !text->value.IsArray() || text->value.Size() != 1 ||
            !text->value[0].IsString()) {
            return "text is not a list of one string";
        }
        if (!kDeepLSources.count(StringField(json, "source_lang")) ||
            !kDeepLTargets.count(StringField(json, "target_lang")) || json.MemberCount() != 3) {
            return "wrong languages or extra fields";
        }
        ok = true;
        return text->value[0].GetString();
    }
    if (!r.authorization.empty()) {
        return "LibreTranslate takes no Authorization header";
    }
    const bool keyed = json.HasMember("api_key");
    if (keyed != !expectedKey.empty() || (keyed && StringField(json, "api_key") != expectedKey)) {
        return "wrong api_key";
    }
    if (!kLibre.count(StringField(json, "source")) || !kLibre.count(StringField(json, "target")) ||
        StringField(json, "format") != "text" || StringField(json, "q") == "(missing)" ||
        json.MemberCount() != (keyed ? 5u : 4u)) {
        return "wrong q, languages, format or extra fields";
    }
    ok = true;
    return StringField(json, "q");
}

}  // namespace

std::string Answer(const std::string& status,
                   const std::string& type,
                   const std::string& body,
                   const std::string& extra) {
    return "HTTP/1.1 " + status + "\r\nContent-Type: " + type + "\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n" + extra + "\r\n" + body;
}

std::string JsonText(const std::string& text) {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    writer.String(text.c_str(), static_cast<rapidjson::SizeType>(text.size()));
    return buffer.GetString();
}

std::string ApiOfTarget(const std::string& target) {
    if (std::string keyless = KeylessApiOfTarget(target); !keyless.empty()) {
        return keyless;
    }
    if (target == "/v2/translate") {
        return "deepl";
    }
    const std::string chat = "/chat/completions";
    if (target.size() >= chat.size() && target.compare(target.size() - chat.size(), chat.size(), chat) == 0) {
        return "openai";
    }
    const std::string end = "/translate";
    return target.size() >= end.size() && target.compare(target.size() - end.size(), end.size(), end) == 0
               ? "libretranslate"
               : "";
}

std::string HeaderValue(const std::string& head, const std::string& name) {
    const std::string lower = Lower(head);
    const size_t at = lower.find("\r\n" + Lower(name) + ":");
    if (at == std::string::npos) {
        return {};
    }
    size_t start = at + name.size() + 3;
    const size_t end = head.find("\r\n", start);
    while (start < end && head[start] == ' ') {
        ++start;
    }
    return head.substr(start, end - start);
}

std::string ApiAnswer(ApiRequest& r, Fault fault, const std::string& expectedKey) {
    const bool deepl = r.service == "deepl";
    const char* said = deepl ? "message" : "error";
    bool ok = false;
    std::string source;
    if (r.method != "POST") {
        r.problem = "method " + r.method;
    } else if (Lower(r.contentType) != "application/json") {
        r.problem = "content type " + r.contentType;
    } else {
        source = CheckBody(r, expectedKey, ok);
        if (!ok) {
            r.problem = source;
        }
    }
    const std::string json = "application/json";
    if (!ok) {
        return Answer("400 Bad Request", json, Json(said, "stand-in: " + r.problem));
    }
    switch (fault) {
        case Fault::LogonChallenge:
            return Answer("401 Unauthorized", json, Json(said, "Log on"),
                          "WWW-Authenticate: Negotiate\r\nWWW-Authenticate: NTLM\r\n");
        case Fault::KeyRefused:
            return Answer("403 Forbidden", json, Json(said, deepl ? "Wrong key" : "Invalid API key"));
        case Fault::TooManyRequests:
            return Answer("429 Too Many Requests", json, Json(said, "Too many requests"));
        case Fault::QuotaExceeded:
            return Answer("456 Quota Exceeded", json, Json(said, "Quota exceeded"));
        case Fault::Http500:
            return Answer("503 Service Unavailable", json, Json(said, "Temporarily unavailable"));
        case Fault::NotJson:
            return Answer("200 OK", "text/html", "<html><body>Welcome</body></html>");
        case Fault::MissingField:
            return Answer("200 OK", json, deepl ? R"({"translations":[]})" : R"({"detectedLanguage":"en"})");
        case Fault::Redirect:
        case Fault::RedirectLoop:
            // A body that reads as a translation: a redirect is refused for what it is, not for its body.
            return Answer("302 Found", json, Json(deepl ? "text" : "translatedText", "redirected", deepl),
                          "Location: " + r.path + "\r\n");
        default:
            return Answer("200 OK", json, Json(deepl ? "text" : "translatedText", TranslationOf(source), deepl));
    }
}

}  // namespace standin
