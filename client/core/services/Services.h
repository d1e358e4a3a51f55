// The one table of translation services: what each is called in the registry and the service window, where its key
// is kept, which fields it needs, how its key travels, how large a request may be, and the functions of its own
// file (core/services/<Service>.cpp) that build the request and read the answer. Everything else reads this table.
#pragma once
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/pages/Request.h"
#include "core/services/Chat.h"

namespace velmora {

// Page: the pages the request code names. Every other kind is an API that takes every code.
// Chat: a language model behind the chat-completions protocol ("openai" in the registry). Google and Microsoft:
// their keyless endpoints, no account needed; Azure: Azure Translator with the user's key.
enum class ServiceKind { Page, DeepL, LibreTranslate, Chat, Google, Microsoft, Azure };

// The user's choice and each service's own values, as HKEY_CURRENT_USER\Software\Velmora keeps them.
struct ServiceSettings {
    ServiceKind kind = ServiceKind::Google;  // a new user translates at once, with no account
    std::wstring libreTranslateUrl{};        // `LibreTranslateUrl`
    std::wstring chatUrl{kDefaultChatUrl};   // `OpenAIUrl`
    std::wstring chatModel{};                // `OpenAIModel`
    std::wstring azureRegion{};              // `AzureRegion`; empty for a global resource
};

// What a request is made from.
struct ApiInput {
    const ServiceSettings& settings;
    std::u16string_view key;  // empty when none is stored
    std::optional<std::u16string> hostOverride;  // the test's host for a service with fixed hosts
    std::u16string_view text;
    LanguagePair pair;  // an empty source leaves the language to the service
};

// A request as it goes on the wire; the key's header is added by the caller from the row.
struct ApiCall {
    std::u16string url;
    std::u16string headers;  // each ends in CR LF
    std::string body;        // UTF-8; may hold the key, and is wiped by the caller
    bool get = false;        // a GET without a body
};

// What an answer says: the translation, and the source language the service found (lower case, "ja"; empty when it
// says none).
struct ApiTranslation {
    std::u16string text;
    std::string detected;
    std::u16string report = {};  // when not empty, the answer was read but holds no translation, and this says why
};

// A field of the service window and the registry.
enum class Field { None, Url, Model, Key, Region };

struct ServiceRow {
    ServiceKind kind = ServiceKind::Page;
    std::wstring_view registryText{};
    const wchar_t* option = nullptr;                 // the service window's option, with its access key
    const wchar_t* frame = nullptr;                  // the frame of its fields in the window; nullptr: it has none
    const wchar_t* name = nullptr;                   // how a report about its key names it
    const wchar_t* credential = nullptr;             // its key's Credential Manager entry; nullptr: it takes no key
    std::wstring ServiceSettings::*url = nullptr;    // the server's base URL; nullptr: its hosts are fixed
    std::wstring ServiceSettings::*model = nullptr;  // nullptr: none
    const wchar_t* urlValue = nullptr;               // their registry values
    const wchar_t* modelValue = nullptr;
    std::wstring ServiceSettings::*region = nullptr;  // the resource's region (Azure's); nullptr: none
    const wchar_t* regionValue = nullptr;             // its registry value
    const wchar_t* hostVariable = nullptr;  // fixed hosts: the variable that points the tests' requests elsewhere
    std::u16string_view keyHeader{};        // the header the key follows; empty: the body carries it
    std::size_t bodyLimit = 0;
    bool streams = false;        // its answer is read as it comes, and shown as it grows
    bool detectsSource = false;  // it can be asked without a source language

    // Its file's functions (none for the pages).
    std::u16string (*endpoint)(const ApiInput&) = nullptr;                // empty when the settings name no server
    std::optional<std::u16string> (*refusal)(const ApiInput&) = nullptr;  // settings with which no request can be made
    ApiCall (*call)(const ApiInput&) = nullptr;
    std::optional<ApiTranslation> (*answer)(std::string_view body) = nullptr;
    std::u16string (*said)(std::string_view body) = nullptr;  // what an error answer says, as it says it
    // Its own sentence for a status, or empty.
    std::u16string (*statusText)(int status, std::u16string_view code) = nullptr;

    // The window's texts of its fields, and what OK says of them.
    const wchar_t* urlLabel = nullptr;
    const wchar_t* modelLabel = nullptr;
    const wchar_t* keyLabel = nullptr;
    const wchar_t* removeKeyText = nullptr;
    const wchar_t* badUrlText = nullptr;      // a URL that is given but is not one
    const wchar_t* missingUrlText = nullptr;  // chosen without a URL
    const wchar_t* missingKeyText = nullptr;  // chosen without a key (a key it cannot do without)
    const wchar_t* missingModelText = nullptr;
    const wchar_t* regionLabel = nullptr;
    const wchar_t* badRegionText = nullptr;  // a region that cannot be one
    // Its failure reports name it and where another service is chosen (the keyless ones may change without notice).
    bool namedInReports = false;
};

// Every service, in the window's order; the pages first.
[[nodiscard]] std::span<const ServiceRow> AllServices();
[[nodiscard]] const ServiceRow& RowOf(ServiceKind kind);
// Where the kind's row stands in AllServices() (the pages' row for a kind without one).
[[nodiscard]] std::size_t IndexOf(ServiceKind kind);

// A setting's text as the portable code takes it (the settings are ASCII addresses and names).
[[nodiscard]] inline std::u16string U16Of(std::wstring_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        out += static_cast<char16_t>(c);
    }
    return out;
}

// The registry's `Service` text, exactly as a row spells it. No value, an empty one or any other text is Google's
// keyless service, which needs no account: a new user translates at once. "page" chooses the pages.
[[nodiscard]] ServiceKind ServiceKindFromText(std::wstring_view text);
[[nodiscard]] std::wstring_view ServiceKindText(ServiceKind kind);

}  // namespace velmora
