// What the popup shows of a raw cut: the page's character references decoded and every line break as CR LF,
// the form a Windows edit control needs.
#pragma once
#include <string>
#include <string_view>

namespace velmora {

[[nodiscard]] std::u16string DisplayText(std::u16string_view raw);

}  // namespace velmora
