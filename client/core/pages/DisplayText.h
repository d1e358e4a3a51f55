// What the popup shows of a raw cut: the page's character references decoded and every line break as CR LF,
// the form a Windows edit control needs.
#pragma once
#include <string>
#include <string_view>

namespace velmora {

[[nodiscard]] std::u16string DisplayText(std::u16string_view raw);
// A plain text (an API's translation) as the popup shows it: only its line breaks as CR LF.
[[nodiscard]] std::u16string PlainDisplayText(std::u16string_view text);

}  // namespace velmora
