// Request codes: the first five characters of the command line name the service and the direction.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

enum class Service { Excite, Infoseek };

// The direction of a request code as neutral language names, "EN", "JA" or "KO"; each translation API spells them
// its own way.
struct LanguagePair {
    std::u16string_view source;
    std::u16string_view target;
};

// One table for the pages and the APIs, so that a code can never have a page without a direction or the reverse.
struct RequestKind {
    std::u16string_view code;
    Service service;
    std::u16string_view pathAndQuery;  // after the service's base address, up to the text
    bool encodeText;                   // the text goes through UrlEncodeUtf8
    int browserRequest;                // 1 to 4 for the infoseek codes, 0 for Excite
    LanguagePair languages;            // what the APIs are asked for instead of the page
};

// The codes in the order the start-up compares them; the comparison is exact and case-sensitive.
[[nodiscard]] const RequestKind* FindRequest(std::u16string_view code);

struct ServiceHosts {
    std::u16string excite;  // host or host:port
    std::u16string infoseek;
    std::u16string clientId;  // the infoseek c_id value
};

// The built-in hosts, each replaced by its override when one is given (an empty override counts as none).
[[nodiscard]] ServiceHosts HostsWithOverrides(const std::optional<std::u16string>& excite,
                                              const std::optional<std::u16string>& infoseek);

// The request URL of a code. For the codes that encode, `text` is already UrlEncodeUtf8's result. Text that goes
// in unencoded has "&", "#" and "+" escaped, since they would cut the query or change the text; everything else,
// "%" included, stays as received.
[[nodiscard]] std::u16string BuildRequestUrl(const RequestKind& kind,
                                             const std::u16string& text,
                                             const ServiceHosts& hosts);

// The argument text of a Windows command line: what follows the program path (quoted or not) and the blanks
// after it. Nothing after that is split, trimmed, unquoted or decoded.
[[nodiscard]] std::u16string_view ArgumentText(std::u16string_view commandLine);

}  // namespace velmora
