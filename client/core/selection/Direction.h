// The direction of "/selection auto": which way to translate, decided from the selected text itself.
#pragma once
#include <string_view>

namespace velmora {

// The request code for the text: any Hangul means Korean to Japanese ("KJIFA"); otherwise any kana or CJK
// ideograph means Japanese to English ("JEhnA"); otherwise English to Japanese ("EJhnA"). Full-width Latin, emoji
// and punctuation decide nothing.
[[nodiscard]] std::u16string_view DirectionCode(std::u16string_view text);

}  // namespace velmora
