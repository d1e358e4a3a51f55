#include "core/RequestLimit.h"

#include "core/PageText.h"
#include "core/UrlEncode.h"

namespace velmora {
namespace {

bool IsLeadSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

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
    if (Fits(kind, text, hosts)) {
        return text.size();
    }
    // A longer start never makes a shorter URL, so the longest start that fits is found by halving.
    std::size_t fits = 0, tooLong = text.size();
    while (tooLong - fits > 1) {
        const std::size_t middle = fits + (tooLong - fits) / 2;
        (Fits(kind, text.substr(0, middle), hosts) ? fits : tooLong) = middle;
    }
    if (fits > 0 && IsLeadSurrogate(text[fits - 1])) {
        --fits;
    }
    return fits;
}

std::size_t CharacterCount(std::u16string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        count += !(i > 0 && IsLeadSurrogate(text[i - 1]) && text[i] >= 0xDC00 && text[i] <= 0xDFFF);
    }
    return count;
}

}  // namespace velmora
