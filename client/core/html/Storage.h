// Where a Document keeps its nodes, strings and attributes: large blocks freed all at once, so that building and
// destroying a tree costs few allocations and no recursion.
#pragma once
#include <algorithm>
#include <cstddef>
#include <deque>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "core/html/Html.h"
#include "core/html/Tags.h"

namespace velmora::html {

template <typename T>
class Arena {
  public:
    [[nodiscard]] std::span<const T> Copy(std::span<const T> items) {
        if (items.empty()) {
            return {};
        }
        T* place = Allocate(items.size());
        std::copy(items.begin(), items.end(), place);
        return {place, items.size()};
    }

  private:
    static constexpr std::size_t kBlock = 16384;

    T* Allocate(std::size_t count) {
        if (count > kBlock / 4) {
            // Large pieces get a block of their own; the current block stays open for small ones.
            return large_.emplace_back(std::make_unique_for_overwrite<T[]>(count)).get();
        }
        if (used_ + count > kBlock) {
            blocks_.push_back(std::make_unique_for_overwrite<T[]>(kBlock));
            used_ = 0;
        }
        T* place = blocks_.back().get() + used_;
        used_ += count;
        return place;
    }

    std::vector<std::unique_ptr<T[]>> blocks_;
    std::vector<std::unique_ptr<T[]>> large_;
    std::size_t used_ = kBlock;
};

struct Storage {
    [[nodiscard]] std::u16string_view Text(std::u16string_view text) {
        const std::span<const char16_t> stored = chars.Copy(std::span<const char16_t>(text.data(), text.size()));
        return {stored.data(), stored.size()};
    }

    std::deque<Node> nodes;
    Arena<char16_t> chars;
    Arena<Attribute> attributes;
    TagTable tags;
    Node* root = nullptr;
    Node* body = nullptr;
};

}  // namespace velmora::html
