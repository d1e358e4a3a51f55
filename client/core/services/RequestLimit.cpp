#include "core/services/RequestLimit.h"

#include "core/pages/PageText.h"
#include "core/pages/UrlEncode.h"
#include "core/text/Utf16.h"

namespace velmora {
namespace {

bool Fits(const RequestKind& kind, std::u16string_view text, const ServiceHosts& hosts) {
    const std::u16string raw(text);
    const std::u16string url = BuildRequestUrl(kind, kind.encodeText ? UrlEncodeUtf8(raw) : raw, hosts);
    return WireUrl(url).size() <= UrlLimit(kind.service);
}

}  // namespace

std::size_t UrlLimit(Service service) {
    switch (service) {
        case Service::Excite:
        case Service::Infoseek:
            return kPageUrlLimit;
    }
    return kPageUrlLimit;
}

std::size_t FittingLength(const RequestKind& kind, std::u16string_view text, const ServiceHosts& hosts) {
    // A longer start never makes a shorter URL.
    return LongestFittingStart(text, [&](std::size_t length) { return Fits(kind, text.substr(0, length), hosts); });
}

std::size_t CharacterCount(std::u16string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        count += !(i > 0 && IsLeadSurrogate(text[i - 1]) && IsTrailSurrogate(text[i]));
    }
    return count;
}

}  // namespace velmora
