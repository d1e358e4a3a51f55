// The stand-in's Google, Microsoft and Azure APIs, with the phrase book's translations and its detected languages.
#include "standin/Keyless.h"

#include <rapidjson/document.h>

#include <set>

#include "standin/Pages.h"
#include "standin/Standin.h"

namespace standin {
namespace {

const std::set<std::string> kLanguages{"en", "ja", "ko"};

std::string PathOf(const std::string& target) {
    return target.substr(0, target.find('?'));
}

// Whether the query names the key at all: Microsoft's "from=" must be there even when it is empty.
bool HasQueryKey(const std::string& target, const std::string& key) {
    const size_t q = target.find('?');
    return q != std::string::npos && ("&" + target.substr(q + 1) + "&").find("&" + key + "=") != std::string::npos;
}

std::string Query(const std::string& target, const std::string& key) {
    return FormDecode(QueryValue(target, key));
}

// Google's text: in the query of a GET, or as the only field of a POST's form body.
std::string CheckGoogle(const ApiRequest& r, bool& ok) {
    const std::string& t = r.path;
    if (Query(t, "client") != "gtx" || Query(t, "dt") != "t" || !kLanguages.count(Query(t, "tl")) ||
        (Query(t, "sl") != "auto" && !kLanguages.count(Query(t, "sl")))) {
        return "not client=gtx, dt=t and the languages";
    }
    if (r.method == "GET") {
        ok = HasQueryKey(t, "q") && r.body.empty();
        return ok ? Query(t, "q") : "a GET without q, or with a body";
    }
    if (r.method != "POST" || r.contentType.rfind("application/x-www-form-urlencoded", 0) != 0 ||
        HasQueryKey(t, "q") || r.body.rfind("q=", 0) != 0 || r.body.find('&') != std::string::npos) {
        return "not a GET, or a POST of a form with only q";
    }
    ok = true;
    return FormDecode(r.body.substr(2));
}

// Microsoft's body is ["TEXT"], Azure's [{"Text": "TEXT"}].
std::string CheckMicrosoft(const ApiRequest& r, bool azure, const std::string& expectedKey, bool& ok) {
    const std::string& t = r.path;
    if (r.method != "POST" || r.contentType != "application/json") {
        return "method " + r.method + " or content type " + r.contentType;
    }
    if (!r.authorization.empty() || r.subscriptionKey != (azure ? expectedKey : "") || (!azure && !r.region.empty())) {
        return "wrong key headers: " + r.subscriptionKey;
    }
    const bool fromOk = azure ? !HasQueryKey(t, "from") || kLanguages.count(Query(t, "from"))
                              : HasQueryKey(t, "from") && (Query(t, "from").empty() || kLanguages.count(Query(t, "from")));
    const bool restOk = azure ? Query(t, "api-version") == "3.0" : Query(t, "isEnterpriseClient") == "false";
    if (!fromOk || !restOk || !kLanguages.count(Query(t, "to"))) {
        return "wrong query: " + t;
    }
    rapidjson::Document json;
    if (json.Parse(r.body.c_str(), r.body.size()).HasParseError() || !json.IsArray() || json.Size() != 1) {
        return "the body is not a list of one";
    }
    const rapidjson::Value& item = json[0];
    const rapidjson::Value* text = &item;
    if (azure) {
        const auto member = item.IsObject() && item.MemberCount() == 1 ? item.FindMember("Text") : item.MemberEnd();
        text = member != item.MemberEnd() ? &member->value : nullptr;
    }
    if (!text || !text->IsString()) {
        return azure ? "not [{\"Text\": ...}]" : "not [\"...\"]";
    }
    ok = true;
    return {text->GetString(), text->GetStringLength()};
}

std::string Segment(const std::string& piece, const std::string& source) {
    return "[" + JsonText(piece) + "," + JsonText(source) + ",null,null,10]";
}

// [[[piece, source, null, null, 10], ...], null, detected, ...]: the translation in two segments when it has two
// characters or more, so that a client that keeps only the first is caught.
std::string GoogleJson(const std::string& source, const std::string& translation, const std::string& detected) {
    size_t cut = translation.size() / 2;
    while (cut > 0 && (static_cast<unsigned char>(translation[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    const std::string segments = cut == 0 ? Segment(translation, source)
                                          : Segment(translation.substr(0, cut), source) + "," +
                                                Segment(translation.substr(cut), "");
    return "[[" + segments + "],null," + JsonText(detected) + ",null,null,null,1,[],[[" + JsonText(detected) +
           "],null,[1],[" + JsonText(detected) + "]]]";
}

std::string MicrosoftJson(const std::string& translation, const std::string& to, const std::string& detected) {
    const std::string found =
        detected.empty() ? "" : R"("detectedLanguage":{"language":)" + JsonText(detected) + R"(,"score":1.0},)";
    return "[{" + found + R"("translations":[{"text":)" + JsonText(translation) + R"(,"to":)" + JsonText(to) + "}]}]";
}

std::string Error(int code, const std::string& message) {
    return R"({"error":{"code":)" + std::to_string(code) + R"(,"message":)" + JsonText(message) + "}}";
}

}  // namespace

std::string KeylessApiOfTarget(const std::string& target) {
    const std::string path = PathOf(target);
    if (path == "/translate_a/single") {
        return "google";
    }
    if (path == "/translate/translatetext") {
        return "microsoft";
    }
    return path == "/translate" && path.size() < target.size() ? "azure" : "";
}

std::string KeylessAnswer(ApiRequest& r, Fault fault, const std::string& expectedKey, const std::string& translation) {
    const bool google = r.service == "google";
    const bool azure = r.service == "azure";
    bool ok = false;
    const std::string source = google ? CheckGoogle(r, ok) : CheckMicrosoft(r, azure, expectedKey, ok);
    const std::string json = "application/json; charset=utf-8";
    if (!ok) {
        r.problem = source;
        return Answer("400 Bad Request", json, Error(400000, "stand-in: " + source));
    }
    const std::string html = "text/html; charset=UTF-8";
    const std::string from = Query(r.path, google ? "sl" : "from");
    const std::string to = Query(r.path, google ? "tl" : "to");
    const bool detect = from.empty() || from == "auto";
    std::string detected = detect ? LanguageOf(source) : from;
    if (!google && detected == "zh-CN") {
        detected = "zh-Hans";  // Microsoft's name of it
    }
    // A text already in the target language comes back as it is, as the services do.
    const std::string text = !translation.empty() ? translation : detected == to ? source : TranslationOf(source);
    switch (fault) {
        case Fault::TooManyRequests:
            // Google answers with a page about unusual traffic, Microsoft with its JSON.
            return google ? Answer("429 Too Many Requests", html, "<html><body>Our systems have detected unusual "
                                                                  "traffic from your computer network.</body></html>")
                          : Answer("429 Too Many Requests", json, Error(429001, "The server rejected the request "
                                                                                "because the client has exceeded "
                                                                                "request limits."));
        case Fault::KeyRefused:
            return google ? Answer("403 Forbidden", html, "<html><body>403. That's an error.</body></html>")
                          : Answer("401 Unauthorized", json, Error(401000, "The request is not authorized because "
                                                                           "credentials are missing or invalid."));
        case Fault::Http500:
            return google ? Answer("503 Service Unavailable", html, "<html><body>Error 503</body></html>")
                          : Answer("503 Service Unavailable", json, Error(503000, "The service is temporarily "
                                                                                  "unavailable."));
        case Fault::NotJson:
            return Answer("200 OK", html, "<html><body>Welcome</body></html>");
        case Fault::MissingField:
            return Answer("200 OK", json,
                          google ? R"([null,null,"en"])"
                                 : R"([{"detectedLanguage":{"language":"en","score":1.0},"translations":[]}])");
        case Fault::Redirect:
        case Fault::RedirectLoop:
            // A body that reads as a translation: a redirect is refused for what it is, not for its body.
            return Answer("302 Found", json, google ? GoogleJson(source, "redirected", detected)
                                                    : MicrosoftJson("redirected", to, detected),
                          "Location: " + r.path + "\r\n");
        default:
            return Answer("200 OK", json, google ? GoogleJson(source, text, detected)
                                                 : MicrosoftJson(text, to, detect ? detected : ""));
    }
}

}  // namespace standin
