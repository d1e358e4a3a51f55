#include "core/pages/Request.h"

namespace velmora {
namespace {

constexpr RequestKind kRequests[] = {
    {u"JEhnA", Service::Excite, u"/world/text/?wb_lp=JAEN&before=", false, 0, {u"JA", u"EN"}},
    {u"EJhnA", Service::Excite, u"/world/text/?wb_lp=ENJA&before=", false, 0, {u"EN", u"JA"}},
    {u"EJIFA", Service::Infoseek, u"/amitext/indexUTF8.jsp?langpair=1,2&sourceText=", false, 1, {u"EN", u"JA"}},
    {u"JEIFA", Service::Infoseek, u"/amitext/indexUTF8.jsp?langpair=2,1&sourceText=", true, 2, {u"JA", u"EN"}},
    {u"KJIFA", Service::Infoseek, u"/amitext/indexUTF8.jsp?langpair=9,2&sourceText=", false, 3, {u"KO", u"JA"}},
    {u"JKIFA", Service::Infoseek, u"/amitext/indexUTF8.jsp?langpair=2,9&sourceText=", true, 4, {u"JA", u"KO"}},
};

constexpr std::u16string_view kExciteHost = u"www.excite.co.jp";
constexpr std::u16string_view kInfoseekHost = u"translation.infoseek.co.jp";
constexpr std::u16string_view kClientId = u"velmora";

std::u16string ProtectQueryDelimiters(const std::u16string& text) {
    std::u16string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        switch (c) {
            case u'&': out += u"%26"; break;
            case u'#': out += u"%23"; break;
            case u'+': out += u"%2B"; break;
            default: out += c;
        }
    }
    return out;
}

}  // namespace

const RequestKind* FindRequest(std::u16string_view code) {
    for (const auto& kind : kRequests) {
        if (kind.code == code) {
            return &kind;
        }
    }
    return nullptr;
}

ServiceHosts HostsWithOverrides(const std::optional<std::u16string>& excite,
                                const std::optional<std::u16string>& infoseek) {
    ServiceHosts hosts{std::u16string(kExciteHost), std::u16string(kInfoseekHost), std::u16string(kClientId)};
    if (excite && !excite->empty()) {
        hosts.excite = *excite;
    }
    if (infoseek && !infoseek->empty()) {
        hosts.infoseek = *infoseek;
    }
    return hosts;
}

std::u16string BuildRequestUrl(const RequestKind& kind, const std::u16string& text, const ServiceHosts& hosts) {
    const bool excite = kind.service == Service::Excite;
    std::u16string url = u"http://" + (excite ? hosts.excite : hosts.infoseek);
    url += kind.pathAndQuery;
    // The encoding codes' text arrives encoded already (the start-up replaces it first).
    url += kind.encodeText ? text : ProtectQueryDelimiters(text);
    if (!excite) {
        url += u"&lang=JA&toolbar=yes&c_id=" + hosts.clientId + u"&translate=";
    }
    return url;
}

std::u16string_view ArgumentText(std::u16string_view commandLine) {
    size_t i = 0;
    if (!commandLine.empty() && commandLine[0] == u'"') {
        const size_t close = commandLine.find(u'"', 1);
        i = close == std::u16string_view::npos ? commandLine.size() : close + 1;
    }
    // The path ends at the first blank; a quoted path may run on to one (as Windows itself parses it).
    while (i < commandLine.size() && commandLine[i] != u' ' && commandLine[i] != u'\t') {
        ++i;
    }
    while (i < commandLine.size() && (commandLine[i] == u' ' || commandLine[i] == u'\t')) {
        ++i;
    }
    return commandLine.substr(i);
}

}  // namespace velmora
