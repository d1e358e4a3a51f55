// What keeps a key out of freed memory and out of what the user sees. The portable code has no SecureZeroMemory;
// writes through a volatile pointer are ones the compiler may not drop as dead stores before a free.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace velmora {

void WipeMemory(void* data, std::size_t bytes);

// Overwrites the characters and empties the string; its buffer then holds zeros until it is freed or reused.
template <typename Char>
void WipeString(std::basic_string<Char>& text) {
    WipeMemory(text.data(), text.size() * sizeof(Char));
    text.clear();
}

// Every place where `key` stands in `text` becomes asterisks, one per unit. A server may repeat a key in its error
// ("wrong key: ..."). The search goes on after each mask, so a key that is itself made of asterisks cannot find
// its own mask again and again.
template <typename Char>
void MaskEvery(std::basic_string<Char>& text, std::basic_string_view<Char> key) {
    if (key.empty()) {
        return;
    }
    for (std::size_t at = text.find(key); at != std::basic_string<Char>::npos; at = text.find(key, at + key.size())) {
        text.replace(at, key.size(), key.size(), Char('*'));
    }
}

// A key in a service's answer, before the answer is parsed: masked as it stands and wherever a JSON string spells
// it, each character plain or escaped ("\"", "\/", "\u0030" in either case, in any mix), so that no form of it
// survives parsing. Each character of such a span becomes an asterisk; nothing of the key is copied to the heap.
void MaskKey(std::string& answer, std::string_view key);

}  // namespace velmora
