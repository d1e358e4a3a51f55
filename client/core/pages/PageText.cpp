#include "core/pages/PageText.h"

#include <algorithm>
#include <cctype>

#include "core/text/Utf16.h"

namespace velmora {
namespace {

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

// The value after "charset=" in a header or attribute text, without quotes.
std::optional<std::string> CharsetParameter(std::string_view text) {
    const std::string lower = Lower(text);
    const size_t at = lower.find("charset");
    if (at == std::string::npos) {
        return std::nullopt;
    }
    size_t i = at + 7;
    while (i < lower.size() && (lower[i] == ' ' || lower[i] == '\t')) ++i;
    if (i >= lower.size() || lower[i] != '=') {
        return std::nullopt;
    }
    ++i;
    while (i < lower.size() && (lower[i] == ' ' || lower[i] == '"' || lower[i] == '\'')) ++i;
    size_t end = i;
    while (end < lower.size() && (std::isalnum(static_cast<unsigned char>(lower[end])) || lower[end] == '-' ||
                                  lower[end] == '_' || lower[end] == ':' || lower[end] == '.')) {
        ++end;
    }
    return end > i ? std::optional<std::string>(lower.substr(i, end - i)) : std::nullopt;
}

// A charset declared by <meta charset=...> or <meta http-equiv content="...; charset=...">. Browsers look only
// at the first 1024 bytes; we allow a little more for pages with long heads.
std::optional<unsigned> MetaCodePage(std::string_view body) {
    const std::string head = Lower(body.substr(0, std::min<size_t>(body.size(), 4096)));
    for (size_t at = head.find("<meta"); at != std::string::npos; at = head.find("<meta", at + 5)) {
        const size_t close = head.find('>', at);
        const auto label = CharsetParameter(std::string_view(head).substr(at, close - at));
        if (label) {
            if (auto cp = CodePageOfCharset(*label)) {
                return cp;
            }
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<unsigned> CodePageOfCharset(std::string_view label) {
    struct Entry {
        const char* name;
        unsigned codePage;
    };
    static constexpr Entry kCharsets[] = {
        {"utf-8", 65001},       {"utf8", 65001},         {"shift_jis", 932},   {"shift-jis", 932},
        {"sjis", 932},          {"x-sjis", 932},         {"windows-31j", 932}, {"cp932", 932},
        {"ms_kanji", 932},      {"csshiftjis", 932},     {"euc-jp", 20932},    {"x-euc-jp", 20932},
        {"iso-2022-jp", 50220}, {"euc-kr", 949},         {"ks_c_5601-1987", 949}, {"iso-8859-1", 1252},
        {"us-ascii", 1252},     {"windows-1252", 1252},
    };
    const std::string lower = Lower(label);
    for (const auto& e : kCharsets) {
        if (lower == e.name) {
            return e.codePage;
        }
    }
    return std::nullopt;
}

bool IsValidUtf8(std::string_view bytes) {
    size_t i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        size_t extra = 0;
        unsigned min = 0;
        unsigned cp = 0;
        if (b < 0x80) {
            ++i;
            continue;
        } else if ((b & 0xE0) == 0xC0) {
            extra = 1, min = 0x80, cp = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2, min = 0x800, cp = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3, min = 0x10000, cp = b & 0x07;
        } else {
            return false;
        }
        if (i + extra >= bytes.size()) {
            return false;
        }
        for (size_t k = 1; k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(bytes[i + k]);
            if ((c & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (c & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || IsSurrogate(cp)) {
            return false;
        }
        i += extra + 1;
    }
    return true;
}

unsigned PageCodePage(std::string_view contentType, std::string_view body) {
    if (auto label = CharsetParameter(contentType)) {
        if (auto cp = CodePageOfCharset(*label)) {
            return *cp;
        }
    }
    if (auto cp = MetaCodePage(body)) {
        return *cp;
    }
    return IsValidUtf8(body) ? kCodePageUtf8 : kCodePageShiftJis;
}

std::string WireUrl(std::u16string_view url) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(url.size());
    auto escape = [&out](unsigned byte) {
        out += '%';
        out += kHex[byte >> 4];
        out += kHex[byte & 0xF];
    };
    for (size_t i = 0; i < url.size(); ++i) {
        char32_t c = CodePointAt(url, i);
        if (c > 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
            continue;
        }
        if (IsSurrogate(c)) {
            c = 0xFFFD;  // a lone surrogate has no UTF-8 form
        }
        if (c < 0x80) {
            escape(c);
        } else if (c < 0x800) {
            escape(0xC0 | (c >> 6));
            escape(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            escape(0xE0 | (c >> 12));
            escape(0x80 | ((c >> 6) & 0x3F));
            escape(0x80 | (c & 0x3F));
        } else {
            escape(0xF0 | (c >> 18));
            escape(0x80 | ((c >> 12) & 0x3F));
            escape(0x80 | ((c >> 6) & 0x3F));
            escape(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::optional<HttpUrl> ParseHttpUrl(std::string_view url) {
    HttpUrl out;
    const std::string lower = Lower(url.substr(0, 8));
    size_t i;
    if (lower.rfind("http://", 0) == 0) {
        i = 7;
    } else if (lower.rfind("https://", 0) == 0) {
        i = 8, out.secure = true, out.port = 443;
    } else {
        return std::nullopt;
    }
    const size_t end = url.find_first_of("/?#", i);
    std::string_view authority = url.substr(i, end == std::string_view::npos ? url.npos : end - i);
    if (authority.find('@') != std::string_view::npos) {
        return std::nullopt;
    }
    const size_t colon = authority.rfind(':');
    if (colon != std::string_view::npos) {
        unsigned port = 0;
        const std::string_view digits = authority.substr(colon + 1);
        if (digits.empty() || digits.size() > 5 ||
            !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            return std::nullopt;
        }
        for (char c : digits) port = port * 10 + static_cast<unsigned>(c - '0');
        if (port == 0 || port > 65535) {
            return std::nullopt;
        }
        out.port = static_cast<uint16_t>(port);
        authority = authority.substr(0, colon);
    }
    if (authority.empty()) {
        return std::nullopt;
    }
    out.host = std::string(authority);
    out.target = end == std::string_view::npos ? "/" : std::string(url.substr(end));
    if (out.target[0] != '/') {
        out.target.insert(0, "/");
    }
    // The fragment never goes to the server.
    out.target = out.target.substr(0, out.target.find('#'));
    return out;
}

std::optional<std::string> ResolveLocation(const HttpUrl& base, std::string_view location) {
    if (location.empty()) {
        return std::nullopt;
    }
    const std::string lower = Lower(location.substr(0, 8));
    if (lower.rfind("http://", 0) == 0 || lower.rfind("https://", 0) == 0) {
        return std::string(location);
    }
    const std::string origin = std::string(base.secure ? "https://" : "http://") + base.host + ":" +
                               std::to_string(base.port);
    if (location.rfind("//", 0) == 0) {
        return std::string(base.secure ? "https:" : "http:") + std::string(location);
    }
    if (location[0] == '/') {
        return origin + std::string(location);
    }
    const std::string path = base.target.substr(0, base.target.find('?'));
    // A location of only a query (or only a fragment) keeps the page's path (and its query).
    if (location[0] == '?') {
        return origin + path + std::string(location);
    }
    if (location[0] == '#') {
        return origin + base.target + std::string(location);
    }
    return origin + path.substr(0, path.rfind('/') + 1) + std::string(location);
}

}  // namespace velmora
