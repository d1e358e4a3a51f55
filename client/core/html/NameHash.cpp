#include "core/html/NameHash.h"

#include <chrono>
#include <cstdint>
#include <random>

namespace velmora::html {
namespace {

struct Key {
    std::uint64_t k0;
    std::uint64_t k1;
};

std::uint64_t Mix(std::uint64_t x) {
    x ^= x >> 30;
    x *= 0xBF58476D1CE4E5B9u;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBu;
    return x ^ (x >> 31);
}

Key MakeKey() {
    // The clock and an address vary per process too; they only matter where the system offers no randomness.
    std::uint64_t seed = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    seed ^= reinterpret_cast<std::uintptr_t>(&seed);
    Key key{Mix(seed), Mix(seed + 0x9E3779B97F4A7C15u)};
    try {
        std::random_device device;
        for (std::uint64_t* part : {&key.k0, &key.k1}) {
            *part ^= (static_cast<std::uint64_t>(device()) << 32) ^ device();
        }
    } catch (...) {  // no random source: the mixed clock and address stay the key
    }
    return key;
}

const Key& ProcessKey() {
    static const Key key = MakeKey();
    return key;
}

constexpr std::uint64_t Rotate(std::uint64_t x, int b) {
    return (x << b) | (x >> (64 - b));
}

struct SipState {
    std::uint64_t v0, v1, v2, v3;

    void Round() {
        v0 += v1;
        v1 = Rotate(v1, 13) ^ v0;
        v0 = Rotate(v0, 32);
        v2 += v3;
        v3 = Rotate(v3, 16) ^ v2;
        v0 += v3;
        v3 = Rotate(v3, 21) ^ v0;
        v2 += v1;
        v1 = Rotate(v1, 17) ^ v2;
        v2 = Rotate(v2, 32);
    }
    void Absorb(std::uint64_t m) {
        v3 ^= m;
        Round();
        v0 ^= m;
    }
};

}  // namespace

std::size_t NameHash::operator()(std::u16string_view name) const noexcept {
    const Key& key = ProcessKey();
    SipState s{key.k0 ^ 0x736F6D6570736575u, key.k1 ^ 0x646F72616E646F6Du, key.k0 ^ 0x6C7967656E657261u,
               key.k1 ^ 0x7465646279746573u};
    std::size_t i = 0;
    for (; i + 4 <= name.size(); i += 4) {
        s.Absorb(static_cast<std::uint64_t>(name[i]) | static_cast<std::uint64_t>(name[i + 1]) << 16 |
                 static_cast<std::uint64_t>(name[i + 2]) << 32 | static_cast<std::uint64_t>(name[i + 3]) << 48);
    }
    // The last word holds the remaining units and the length in bytes, as SipHash's own padding does.
    std::uint64_t last = static_cast<std::uint64_t>(name.size() * 2) << 56;
    for (int shift = 0; i < name.size(); ++i, shift += 16) {
        last |= static_cast<std::uint64_t>(name[i]) << shift;
    }
    s.Absorb(last);
    s.v2 ^= 0xFF;
    for (int r = 0; r < 3; ++r) {
        s.Round();
    }
    return static_cast<std::size_t>(s.v0 ^ s.v1 ^ s.v2 ^ s.v3);
}

}  // namespace velmora::html
