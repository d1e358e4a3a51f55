// The settings window's two colour lists: which names a list may hold, and the file texts that OK saves.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// One list's text field. Every change of the text is checked: a whole colour name stands and is remembered,
// anything else is replaced by the last name that stood. Only the six names of the colour table stand, so
// whatever the lists hold always has a file text on both lines.
class ColorNameField {
  public:
    // The list's text when the window loads; it is also what a bad edit falls back to until another name stands.
    explicit ColorNameField(std::u16string_view loaded);

    // The text the field must show instead of `text`, or nullopt when `text` stands.
    [[nodiscard]] std::optional<std::u16string> Validate(std::u16string_view text);
    [[nodiscard]] const std::u16string& LastAccepted() const { return lastAccepted_; }

  private:
    std::u16string lastAccepted_;
};

// The two file texts for a background name and a text name, each from its own column of the colour table
// ("Default" is light yellow as a background and black as a text colour). nullopt when either is no colour name.
struct ColorTexts {
    std::string_view background;
    std::string_view text;
    friend bool operator==(const ColorTexts&, const ColorTexts&) = default;
};
[[nodiscard]] std::optional<ColorTexts> ChooseColorTexts(std::u16string_view backgroundName,
                                                         std::u16string_view textName);

}  // namespace velmora
