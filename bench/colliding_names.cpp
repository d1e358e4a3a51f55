// Finds the block pairs of client/tests/html/CollidingNames.h: tag names with one value under a fixed FNV-1a hash
// (steps with the 32-bit prime over a 64-bit state, whose low 32 bits are the 32-bit hash). Run by hand:
//   g++ -O2 -std=c++20 bench/colliding_names.cpp -o /tmp/colliding_names && /tmp/colliding_names
// For each block, a cycle search over the first four characters (CJK, so the names read as text) finds two that
// agree in the state's upper 48 bits; the fifth character, different for each, evens out the lower 16 bits
// (XOR with a 16-bit unit reaches only those). The next block starts from the common state.
#include <cstdint>
#include <cstdio>

namespace {

using u64 = std::uint64_t;
constexpr u64 kPrime = 16777619u;

u64 Step(u64 h, unsigned c) {
    return (h ^ c) * kPrime;
}

void FourChars(u64 x, unsigned* c) {
    for (int i = 0; i < 4; ++i) {
        c[i] = 0x4E00 + x % 20992;
        x /= 20992;
    }
}

u64 After(u64 state, const unsigned* c) {
    for (int i = 0; i < 4; ++i) {
        state = Step(state, c[i]);
    }
    return state;
}

// The upper 48 bits of the state after the four characters that x stands for.
u64 Upper(u64 state, u64 x, u64 salt) {
    unsigned c[4];
    FourChars(x ^ salt, c);
    return After(state, c) >> 16;
}

bool IsCjk(unsigned c) {
    return c >= 0x4E00 && c <= 0x9FFF;
}

}  // namespace

int main() {
    u64 state = Step(2166136261u, 'x');
    for (int block = 0; block < 16; ++block) {
        for (u64 salt = 1;; ++salt) {
            const auto f = [&](u64 x) { return Upper(state, x, salt); };
            const u64 start = salt * 0x9E3779B97F4A7C15u >> 16;
            u64 slow = f(start);
            u64 fast = f(f(start));
            while (slow != fast) {
                slow = f(slow);
                fast = f(f(fast));
            }
            u64 a = start;
            u64 b = slow;
            if (a == b) {
                continue;
            }
            while (f(a) != f(b)) {
                a = f(a);
                b = f(b);
            }
            if (a == b) {
                continue;
            }
            unsigned ca[4];
            unsigned cb[4];
            FourChars(a ^ salt, ca);
            FourChars(b ^ salt, cb);
            const u64 ha = After(state, ca);
            const u64 hb = After(state, cb);
            bool found = false;
            for (unsigned u = 0; u < 65536 && !found; ++u) {
                const unsigned ea = (ha & 0xFFFF) ^ u;
                const unsigned eb = (hb & 0xFFFF) ^ u;
                if (IsCjk(ea) && IsCjk(eb) && Step(ha, ea) == Step(hb, eb)) {
                    std::printf("    {u\"\\u%04X\\u%04X\\u%04X\\u%04X\\u%04X\", u\"\\u%04X\\u%04X\\u%04X\\u%04X\\u%04X\"},\n",
                                ca[0], ca[1], ca[2], ca[3], ea, cb[0], cb[1], cb[2], cb[3], eb);
                    state = Step(ha, ea);
                    found = true;
                }
            }
            if (found) {
                break;
            }
        }
    }
}
