#include "core/pages/Extract.h"

namespace velmora {

std::optional<std::u16string> ExtractBetweenMarkers(std::u16string_view page, const Markers& markers) {
    // Searching for the end only after the start marker gives the result area's end tag whichever area comes
    // first, and a page without the marker yields nothing instead of page markup.
    const size_t start = page.find(markers.start);
    if (start == std::u16string_view::npos) {
        return std::nullopt;
    }
    const size_t from = start + markers.start.size();
    const size_t end = page.find(markers.end, from);
    if (end == std::u16string_view::npos) {
        return std::nullopt;
    }
    return std::u16string(page.substr(from, end - from));
}

}  // namespace velmora
