// Google's keyless endpoint (the one that browsers' and tools' translation uses, no account): its request, a GET with
// the text in the URL or a form POST for a long text, and its answer's segments and detected language.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/pages/Request.h"

namespace velmora {

// Google names languages in lower case; "auto" lets it find the source.
[[nodiscard]] std::string GoogleLanguage(std::u16string_view language);
// The endpoint without a query; an override (host or host:port) replaces the host. Always https.
[[nodiscard]] std::u16string GoogleEndpoint(const std::optional<std::u16string>& hostOverride);

// A URL up to this long carries the text itself. Internet Explorer's and WinINet's URLs end at 2,083 characters
// (INTERNET_MAX_URL_LENGTH), and proxies and Google's front end refuse longer request lines with 414 sooner or
// later; past it the text goes as the form body of a POST, which the endpoint takes as well. A Japanese character
// takes nine characters of URL, so about 200 of them still go in a GET.
inline constexpr std::size_t kGoogleUrlLimit = 2000;
// The endpoint translates one text of about 5,000 characters at a time (what Google's own page takes); 16 KiB of
// UTF-8 is 5,000 Japanese characters.
inline constexpr std::size_t kGoogleBodyLimit = 16 * 1024;

struct ApiTranslation;
// Element 0 holds the segments, each [translated, source, ...]: their translations joined in order. Element 2 is the
// source language Google found (lower case).
[[nodiscard]] std::optional<ApiTranslation> GoogleAnswer(std::string_view body);
// What an error says is read as Microsoft's (error.message, MicrosoftSaid); Google's error pages are mostly HTML,
// and say nothing then.

// Its row's functions (core/services/Services.h). It takes no key and needs no setting, so nothing refuses it.
struct ApiInput;
struct ApiCall;
[[nodiscard]] std::u16string GoogleEndpoint(const ApiInput& input);
[[nodiscard]] ApiCall GoogleCall(const ApiInput& input);

}  // namespace velmora
