#include "core/html/Entities.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <vector>

namespace velmora::html {
namespace {

struct Entity {
    std::u16string_view name;
    char32_t code;
};

// U+00A0 to U+00FF in order; browsers accept these names without the closing ';'.
constexpr std::u16string_view kLatin1[] = {
    u"nbsp",   u"iexcl",  u"cent",   u"pound",  u"curren", u"yen",    u"brvbar", u"sect",   u"uml",    u"copy",
    u"ordf",   u"laquo",  u"not",    u"shy",    u"reg",    u"macr",   u"deg",    u"plusmn", u"sup2",   u"sup3",
    u"acute",  u"micro",  u"para",   u"middot", u"cedil",  u"sup1",   u"ordm",   u"raquo",  u"frac14", u"frac12",
    u"frac34", u"iquest", u"Agrave", u"Aacute", u"Acirc",  u"Atilde", u"Auml",   u"Aring",  u"AElig",  u"Ccedil",
    u"Egrave", u"Eacute", u"Ecirc",  u"Euml",   u"Igrave", u"Iacute", u"Icirc",  u"Iuml",   u"ETH",    u"Ntilde",
    u"Ograve", u"Oacute", u"Ocirc",  u"Otilde", u"Ouml",   u"times",  u"Oslash", u"Ugrave", u"Uacute", u"Ucirc",
    u"Uuml",   u"Yacute", u"THORN",  u"szlig",  u"agrave", u"aacute", u"acirc",  u"atilde", u"auml",   u"aring",
    u"aelig",  u"ccedil", u"egrave", u"eacute", u"ecirc",  u"euml",   u"igrave", u"iacute", u"icirc",  u"iuml",
    u"eth",    u"ntilde", u"ograve", u"oacute", u"ocirc",  u"otilde", u"ouml",   u"divide", u"oslash", u"ugrave",
    u"uacute", u"ucirc",  u"uuml",   u"yacute", u"thorn",  u"yuml",
};
static_assert(std::size(kLatin1) == 96);

// Also accepted without ';'.
constexpr Entity kLegacy[] = {
    {u"quot", 34}, {u"amp", 38}, {u"lt", 60}, {u"gt", 62},    {u"QUOT", 34},
    {u"AMP", 38},  {u"LT", 60},  {u"GT", 62}, {u"COPY", 169}, {u"REG", 174},
};

constexpr Entity kOthers[] = {
    {u"apos", 39},     {u"OElig", 338},   {u"oelig", 339},    {u"Scaron", 352},  {u"scaron", 353},   {u"Yuml", 376},
    {u"fnof", 402},    {u"circ", 710},    {u"tilde", 732},    {u"Alpha", 913},   {u"Beta", 914},     {u"Gamma", 915},
    {u"Delta", 916},   {u"Epsilon", 917}, {u"Zeta", 918},     {u"Eta", 919},     {u"Theta", 920},    {u"Iota", 921},
    {u"Kappa", 922},   {u"Lambda", 923},  {u"Mu", 924},       {u"Nu", 925},      {u"Xi", 926},       {u"Omicron", 927},
    {u"Pi", 928},      {u"Rho", 929},     {u"Sigma", 931},    {u"Tau", 932},     {u"Upsilon", 933},  {u"Phi", 934},
    {u"Chi", 935},     {u"Psi", 936},     {u"Omega", 937},    {u"alpha", 945},   {u"beta", 946},     {u"gamma", 947},
    {u"delta", 948},   {u"epsilon", 949}, {u"zeta", 950},     {u"eta", 951},     {u"theta", 952},    {u"iota", 953},
    {u"kappa", 954},   {u"lambda", 955},  {u"mu", 956},       {u"nu", 957},      {u"xi", 958},       {u"omicron", 959},
    {u"pi", 960},      {u"rho", 961},     {u"sigmaf", 962},   {u"sigma", 963},   {u"tau", 964},      {u"upsilon", 965},
    {u"phi", 966},     {u"chi", 967},     {u"psi", 968},      {u"omega", 969},   {u"thetasym", 977}, {u"upsih", 978},
    {u"piv", 982},     {u"ensp", 8194},   {u"emsp", 8195},    {u"thinsp", 8201}, {u"zwnj", 8204},    {u"zwj", 8205},
    {u"lrm", 8206},    {u"rlm", 8207},    {u"ndash", 8211},   {u"mdash", 8212},  {u"lsquo", 8216},   {u"rsquo", 8217},
    {u"sbquo", 8218},  {u"ldquo", 8220},  {u"rdquo", 8221},   {u"bdquo", 8222},  {u"dagger", 8224},  {u"Dagger", 8225},
    {u"bull", 8226},   {u"hellip", 8230}, {u"permil", 8240},  {u"prime", 8242},  {u"Prime", 8243},   {u"lsaquo", 8249},
    {u"rsaquo", 8250}, {u"oline", 8254},  {u"frasl", 8260},   {u"euro", 8364},   {u"image", 8465},   {u"weierp", 8472},
    {u"real", 8476},   {u"trade", 8482},  {u"alefsym", 8501}, {u"larr", 8592},   {u"uarr", 8593},    {u"rarr", 8594},
    {u"darr", 8595},   {u"harr", 8596},   {u"crarr", 8629},   {u"lArr", 8656},   {u"uArr", 8657},    {u"rArr", 8658},
    {u"dArr", 8659},   {u"hArr", 8660},   {u"forall", 8704},  {u"part", 8706},   {u"exist", 8707},   {u"empty", 8709},
    {u"nabla", 8711},  {u"isin", 8712},   {u"notin", 8713},   {u"ni", 8715},     {u"prod", 8719},    {u"sum", 8721},
    {u"minus", 8722},  {u"lowast", 8727}, {u"radic", 8730},   {u"prop", 8733},   {u"infin", 8734},   {u"ang", 8736},
    {u"and", 8743},    {u"or", 8744},     {u"cap", 8745},     {u"cup", 8746},    {u"int", 8747},     {u"there4", 8756},
    {u"sim", 8764},    {u"cong", 8773},   {u"asymp", 8776},   {u"ne", 8800},     {u"equiv", 8801},   {u"le", 8804},
    {u"ge", 8805},     {u"sub", 8834},    {u"sup", 8835},     {u"nsub", 8836},   {u"sube", 8838},    {u"supe", 8839},
    {u"oplus", 8853},  {u"otimes", 8855}, {u"perp", 8869},    {u"sdot", 8901},   {u"lceil", 8968},   {u"rceil", 8969},
    {u"lfloor", 8970}, {u"rfloor", 8971}, {u"lang", 9001},    {u"rang", 9002},   {u"loz", 9674},     {u"spades", 9824},
    {u"clubs", 9827},  {u"hearts", 9829}, {u"diams", 9830},
};

constexpr std::size_t kLongestName = 8;  // "thetasym"

// Browsers read references to the C1 controls as the Windows-1252 characters that pages meant by them.
constexpr char16_t kWindows1252[32] = {
    0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178,
};

struct Named {
    char32_t code;
    bool needsSemicolon;
};

const std::vector<std::pair<std::u16string_view, Named>>& NamedTable() {
    static const auto table = [] {
        std::vector<std::pair<std::u16string_view, Named>> t;
        for (std::size_t i = 0; i < std::size(kLatin1); ++i) {
            t.push_back({kLatin1[i], {static_cast<char32_t>(0xA0 + i), false}});
        }
        for (const Entity& e : kLegacy) {
            t.push_back({e.name, {e.code, false}});
        }
        for (const Entity& e : kOthers) {
            t.push_back({e.name, {e.code, true}});
        }
        std::sort(t.begin(), t.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        return t;
    }();
    return table;
}

const Named* FindNamed(std::u16string_view name) {
    const auto& table = NamedTable();
    const auto it = std::lower_bound(table.begin(), table.end(), name,
                                     [](const auto& entry, std::u16string_view n) { return entry.first < n; });
    return it != table.end() && it->first == name ? &it->second : nullptr;
}

bool IsAsciiAlnum(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

int DigitValue(char16_t c, bool hex) {
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    if (hex && c >= u'a' && c <= u'f') {
        return c - u'a' + 10;
    }
    if (hex && c >= u'A' && c <= u'F') {
        return c - u'A' + 10;
    }
    return -1;
}

void AppendCodePoint(char32_t code, std::u16string& out) {
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        out.push_back(u'\uFFFD');
    } else if (code >= 0x80 && code <= 0x9F) {
        out.push_back(kWindows1252[code - 0x80]);
    } else if (code > 0xFFFF) {
        code -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(code));
    }
}

std::size_t DecodeNumeric(std::u16string_view source, std::size_t amp, std::u16string& out) {
    std::size_t pos = amp + 2;
    const bool hex = pos < source.size() && (source[pos] == u'x' || source[pos] == u'X');
    pos += hex ? 1 : 0;
    const std::size_t digits = pos;
    std::uint32_t value = 0;
    for (int d; pos < source.size() && (d = DigitValue(source[pos], hex)) >= 0; ++pos) {
        // Saturate: any value past the last code point decodes the same.
        value = std::min<std::uint32_t>(value * (hex ? 16 : 10) + static_cast<std::uint32_t>(d), 0x110000);
    }
    if (pos == digits) {
        out.push_back(u'&');
        return amp + 1;
    }
    AppendCodePoint(value, out);
    return pos < source.size() && source[pos] == u';' ? pos + 1 : pos;
}

}  // namespace

std::size_t DecodeCharRef(std::u16string_view source, std::size_t amp, bool inAttribute, std::u16string& out) {
    if (amp + 1 < source.size() && source[amp + 1] == u'#') {
        return DecodeNumeric(source, amp, out);
    }
    std::size_t run = 0;
    while (run < kLongestName && amp + 1 + run < source.size() && IsAsciiAlnum(source[amp + 1 + run])) {
        ++run;
    }
    // The longest name that the text starts with wins, as in "&notin;" against "&not".
    for (std::size_t length = run; length >= 2; --length) {
        const Named* named = FindNamed(source.substr(amp + 1, length));
        if (named == nullptr) {
            continue;
        }
        const std::size_t after = amp + 1 + length;
        const char16_t next = after < source.size() ? source[after] : u'\0';
        if (next == u';') {
            AppendCodePoint(named->code, out);
            return after + 1;
        }
        if (named->needsSemicolon) {
            continue;
        }
        if (inAttribute && (IsAsciiAlnum(next) || next == u'=')) {
            break;
        }
        AppendCodePoint(named->code, out);
        return after;
    }
    out.push_back(u'&');
    return amp + 1;
}

}  // namespace velmora::html
