// The stand-in's services without an account (Google's and Microsoft's keyless endpoints) and Azure Translator with
// its key: what a request must look like, and the answers, errors included.
#pragma once
#include <string>

#include "standin/Api.h"

namespace standin {

enum class Fault;

// "google" for /translate_a/single, "microsoft" for /translate/translatetext, "azure" for /translate with a query;
// empty for any other target.
[[nodiscard]] std::string KeylessApiOfTarget(const std::string& target);

// Checks the request (method, query, headers, body) and gives the whole HTTP answer for the fault. `expectedKey` is
// the key Azure accepts; `translation`, when not empty, is every answer's text instead of the phrase book's.
[[nodiscard]] std::string KeylessAnswer(ApiRequest& request,
                                        Fault fault,
                                        const std::string& expectedKey,
                                        const std::string& translation);

}  // namespace standin
