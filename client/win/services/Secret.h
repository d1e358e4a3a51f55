// A key held in memory: one buffer of its own that is wiped when the key goes or is replaced, so that no copy of it
// stays behind in freed memory.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include "core/text/Secrets.h"

namespace velmora {

class SecretText {
  public:
    SecretText() = default;
    // Copies the characters into a buffer sized for them once (it never grows, so it never leaves an old copy).
    SecretText(const wchar_t* text, size_t length) { Assign(text, length); }
    // Takes the text and wipes the caller's buffer.
    explicit SecretText(std::wstring&& text) {
        Assign(text.data(), text.size());
        WipeString(text);
    }
    SecretText(const SecretText&) = delete;
    SecretText& operator=(const SecretText&) = delete;
    // A moved string's short-text buffer keeps its bytes, so moves copy and wipe instead.
    SecretText(SecretText&& other) noexcept { Take(other); }
    SecretText& operator=(SecretText&& other) noexcept {
        if (this != &other) {
            Wipe();
            Take(other);
        }
        return *this;
    }
    ~SecretText() { Wipe(); }

    [[nodiscard]] const std::wstring& Get() const { return text_; }
    [[nodiscard]] bool Empty() const { return text_.empty(); }
    void Wipe() { WipeString(text_); }

  private:
    void Assign(const wchar_t* text, size_t length) {
        text_.reserve(length);
        text_.assign(text, length);
    }
    void Take(SecretText& other) {
        Assign(other.text_.data(), other.text_.size());
        other.Wipe();
    }

    std::wstring text_;
};

}  // namespace velmora
