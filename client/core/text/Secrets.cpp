#include "core/text/Secrets.h"

#include <algorithm>

namespace velmora {

void WipeMemory(void* data, std::size_t bytes) {
    volatile unsigned char* p = static_cast<unsigned char*>(data);
    for (std::size_t i = 0; i < bytes; ++i) {
        p[i] = 0;
    }
}

namespace {

int HexDigit(char c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : -1;
}

// The four hex digits of a "\u" escape at text[at], or nothing (-1) when they are not there.
long HexEscape(std::string_view text, std::size_t at) {
    if (text.size() < at + 6 || text[at] != '\\' || text[at + 1] != 'u') {
        return -1;
    }
    long value = 0;
    for (std::size_t i = at + 2; i < at + 6; ++i) {
        const int digit = HexDigit(text[i]);
        if (digit < 0) {
            return -1;
        }
        value = value * 16 + digit;
    }
    return value;
}

// The one character of a JSON string that starts at text[at], as the parser will decode it: its UTF-8 bytes in
// `bytes` (their count is returned) and in `taken` how many characters of the text it spans; 0 for a backslash
// that starts no escape the parser takes.
std::size_t DecodeOne(std::string_view text, std::size_t at, char (&bytes)[4], std::size_t& taken) {
    if (text[at] != '\\') {
        bytes[0] = text[at];
        taken = 1;
        return 1;
    }
    if (at + 1 < text.size() && text[at + 1] != 'u') {
        static constexpr std::string_view kEscaped = "\"\\/bfnrt", kMeant = "\"\\/\b\f\n\r\t";
        const std::size_t which = kEscaped.find(text[at + 1]);
        if (which == std::string_view::npos) {
            return 0;
        }
        bytes[0] = kMeant[which];
        taken = 2;
        return 1;
    }
    long code = HexEscape(text, at);
    taken = 6;
    if (code >= 0xD800 && code <= 0xDBFF) {
        const long low = HexEscape(text, at + 6);
        if (low < 0xDC00 || low > 0xDFFF) {
            return 0;
        }
        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        taken = 12;
    }
    if (code < 0 || (code >= 0xDC00 && code <= 0xDFFF)) {
        return 0;
    }
    const auto unit = [](long value) { return static_cast<char>(static_cast<unsigned char>(value)); };
    if (code < 0x80) {
        bytes[0] = unit(code);
        return 1;
    }
    if (code < 0x800) {
        bytes[0] = unit(0xC0 | (code >> 6));
        bytes[1] = unit(0x80 | (code & 0x3F));
        return 2;
    }
    if (code < 0x10000) {
        bytes[0] = unit(0xE0 | (code >> 12));
        bytes[1] = unit(0x80 | ((code >> 6) & 0x3F));
        bytes[2] = unit(0x80 | (code & 0x3F));
        return 3;
    }
    bytes[0] = unit(0xF0 | (code >> 18));
    bytes[1] = unit(0x80 | ((code >> 12) & 0x3F));
    bytes[2] = unit(0x80 | ((code >> 6) & 0x3F));
    bytes[3] = unit(0x80 | (code & 0x3F));
    return 4;
}

// How many characters of `answer` from `at` decode to exactly `key`, or 0 when those that follow do not.
std::size_t SpanOfKey(std::string_view answer, std::size_t at, std::string_view key) {
    const std::size_t start = at;
    char bytes[4];
    for (std::size_t matched = 0; matched < key.size();) {
        std::size_t taken = 0;
        const std::size_t count = at < answer.size() ? DecodeOne(answer, at, bytes, taken) : 0;
        const bool same = count > 0 && count <= key.size() - matched && key.compare(matched, count, bytes, count) == 0;
        WipeMemory(bytes, sizeof bytes);  // a character of the key
        if (!same) {
            return 0;
        }
        matched += count;
        at += taken;
    }
    return at - start;
}

}  // namespace

// Rather than a list of the key's escaped forms (which misses a key with some characters escaped and others not),
// every span of the answer that decodes to the key is masked, whatever mix of escapes it is written in.
void MaskKey(std::string& answer, std::string_view key) {
    if (key.empty()) {
        return;
    }
    // As it stands: an answer that is not JSON may show a backslash of the key as it is.
    MaskEvery<char>(answer, key);
    for (std::size_t at = 0; at < answer.size();) {
        const std::size_t span = answer[at] == key.front() || answer[at] == '\\' ? SpanOfKey(answer, at, key) : 0;
        if (span == 0) {
            ++at;
            continue;
        }
        std::fill_n(answer.begin() + static_cast<std::ptrdiff_t>(at), span, '*');
        at += span;
    }
}

}  // namespace velmora
