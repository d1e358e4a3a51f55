#include "core/text/Secrets.h"

namespace velmora {

void WipeMemory(void* data, std::size_t bytes) {
    volatile unsigned char* p = static_cast<unsigned char*>(data);
    for (std::size_t i = 0; i < bytes; ++i) {
        p[i] = 0;
    }
}

void MaskKey(std::string& answer, std::string_view key) {
    if (key.empty()) {
        return;
    }
    std::string escaped, slashes, lower, upper;
    static constexpr char kLowerDigits[] = "0123456789abcdef";
    static constexpr char kUpperDigits[] = "0123456789ABCDEF";
    for (char c : key) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            escaped += '\\';
            slashes += '\\';
        }
        if (c == '/') {
            slashes += '\\';
        }
        escaped += c;
        slashes += c;
        lower.append("\\u00").append(1, kLowerDigits[byte >> 4]).append(1, kLowerDigits[byte & 15]);
        upper.append("\\u00").append(1, kUpperDigits[byte >> 4]).append(1, kUpperDigits[byte & 15]);
    }
    for (const std::string& form : {std::string(key), escaped, slashes, lower, upper}) {
        MaskEvery<char>(answer, form);
    }
}

}  // namespace velmora
