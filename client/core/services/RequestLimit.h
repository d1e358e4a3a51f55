// How long a request may be for the service it goes to: a text that cannot fit is refused before any request,
// with a box that says how much of it would, rather than ending in an HTTP 414 or a dropped connection.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "core/pages/Request.h"

namespace velmora {

// The translation pages take the text in the URL. 4096 bytes, as the URL goes on the wire (non-ASCII text as UTF-8
// escapes), is the smallest default limit among the web servers and proxies in common use (IIS's maxUrl; Apache and
// nginx allow about 8 KiB): about 3000 characters of English text (a blank goes as three bytes), about 440 of
// Japanese.
inline constexpr std::size_t kPageUrlLimit = 4096;

// The most bytes the request URL of `service` may have on the wire.
[[nodiscard]] std::size_t UrlLimit(Service service);

// How much of `text` (UTF-16 units, as the command line has it; never ending inside a surrogate pair) fits into the
// request of `kind`: text.size() when all of it does.
[[nodiscard]] std::size_t FittingLength(const RequestKind& kind, std::u16string_view text, const ServiceHosts& hosts);

// Characters as a user counts them: a surrogate pair is one.
[[nodiscard]] std::size_t CharacterCount(std::u16string_view text);

}  // namespace velmora
