// The hash of names that a page chooses (tag and attribute names) for the parser's tables.
#pragma once
#include <cstddef>
#include <string_view>

namespace velmora::html {

// SipHash-1-3 over the UTF-16 units with a key drawn at random once per process. A fixed hash can be inverted:
// a page full of names with one hash value turns every table lookup into a walk over all of them, and parsing
// becomes quadratic. With a key the page cannot know, it cannot choose such names.
struct NameHash {
    [[nodiscard]] std::size_t operator()(std::u16string_view name) const noexcept;
};

}  // namespace velmora::html
