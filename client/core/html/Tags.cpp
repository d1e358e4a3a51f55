#include "core/html/Tags.h"

#include <iterator>

namespace velmora::html {
namespace {

constexpr std::u16string_view kTagNames[] = {
#define VELMORA_HTML_TAG_NAME(id, name, flags) name,
    VELMORA_HTML_TAGS(VELMORA_HTML_TAG_NAME)
#undef VELMORA_HTML_TAG_NAME
};

constexpr unsigned kTagFlags[] = {
#define VELMORA_HTML_TAG_FLAGS(id, name, flags) flags,
    VELMORA_HTML_TAGS(VELMORA_HTML_TAG_FLAGS)
#undef VELMORA_HTML_TAG_FLAGS
};

static_assert(std::size(kTagNames) == kTagCount && std::size(kTagFlags) == kTagCount);

}  // namespace

TagTable::TagTable() {
    ids_.reserve(kTagCount * 2);
    names_.reserve(kTagCount * 2);
    for (std::uint32_t id = 0; id < kTagCount; ++id) {
        ids_.emplace(kTagNames[id], id);
        names_.push_back(kTagNames[id]);
    }
}

std::uint32_t TagTable::Intern(std::u16string_view lowerName) {
    if (const auto found = ids_.find(lowerName); found != ids_.end()) {
        return found->second;
    }
    const std::u16string_view stored = owned_.emplace_back(lowerName);
    const auto id = static_cast<std::uint32_t>(names_.size());
    names_.push_back(stored);
    ids_.emplace(stored, id);
    return id;
}

unsigned TagTable::Flags(std::uint32_t id) {
    return id < kTagCount ? kTagFlags[id] : 0;
}

}  // namespace velmora::html
