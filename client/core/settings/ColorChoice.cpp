#include "core/settings/ColorChoice.h"

#include "core/settings/Colors.h"

namespace velmora {

ColorNameField::ColorNameField(std::u16string_view loaded) : lastAccepted_(loaded) {}

std::optional<std::u16string> ColorNameField::Validate(std::u16string_view text) {
    if (IsColorName(text)) {
        lastAccepted_ = text;
        return std::nullopt;
    }
    return lastAccepted_;
}

std::optional<ColorTexts> ChooseColorTexts(std::u16string_view backgroundName, std::u16string_view textName) {
    const auto background = LookupColorName(backgroundName);
    const auto text = LookupColorName(textName);
    if (!background || !text) {
        return std::nullopt;
    }
    return ColorTexts{background->background, text->text};
}

}  // namespace velmora
