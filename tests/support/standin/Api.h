// The stand-in's DeepL and LibreTranslate APIs: what a request must look like, and the answers, errors included.
#pragma once
#include <string>

namespace standin {

enum class Fault;

// One API request as received, and what the stand-in found wrong with it (empty when it was as the API wants it).
struct ApiRequest {
    std::string service;  // "deepl", "libretranslate", "openai", "google", "microsoft" or "azure"
    std::string method;
    std::string path;
    std::string authorization;
    std::string subscriptionKey;  // Azure's Ocp-Apim-Subscription-Key and -Region headers
    std::string region;
    std::string contentType;
    std::string body;
    std::string problem;
};

// "deepl" for /v2/translate, "libretranslate" for a path ending in /translate, "openai" for one ending in
// /chat/completions, the keyless services' names for theirs (Keyless.h), empty for any other target.
[[nodiscard]] std::string ApiOfTarget(const std::string& target);
// The value of a header line (name case-insensitive) in a request head.
[[nodiscard]] std::string HeaderValue(const std::string& head, const std::string& name);

// A whole HTTP answer with its length, the connection closed after it; `extra` are more header lines.
[[nodiscard]] std::string Answer(const std::string& status,
                                 const std::string& type,
                                 const std::string& body,
                                 const std::string& extra = {});
// The text as a JSON string, quotes included.
[[nodiscard]] std::string JsonText(const std::string& text);

// Checks the request (method, content type, key, JSON body) and gives the whole HTTP answer for the fault;
// `expectedKey` is the key the service accepts (for LibreTranslate empty means none may be sent).
[[nodiscard]] std::string ApiAnswer(ApiRequest& request, Fault fault, const std::string& expectedKey);

}  // namespace standin
