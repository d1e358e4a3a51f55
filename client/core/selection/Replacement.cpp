#include "core/selection/Replacement.h"

#include <algorithm>

#include "core/Messages.h"

namespace velmora {

std::optional<ReplaceRefusal> RefuseReplacement(const ReplaceTarget& target) {
    using R = ReplaceRefusal;
    if (target.taken == true) {
        return std::nullopt;  // done: where the user goes next is theirs
    }
    // What the program is decides before where it stands: a terminal stays refused whether in front or not.
    if (target.gone) {
        return R::TargetGone;
    }
    if (target.terminal) {
        return R::Terminal;
    }
    if (target.higherIntegrity) {
        return R::HigherIntegrity;
    }
    if (target.inFront == false) {
        return R::NotInFront;  // whatever is in front now would get the keys, held ones included
    }
    if (target.keysHeld) {
        return R::KeysHeld;
    }
    if (target.password == true) {
        return R::PasswordBox;
    }
    if (target.taken == false) {
        return R::NotTaken;
    }
    return std::nullopt;
}

std::u16string_view ReplaceRefusalText(ReplaceRefusal refusal) {
    switch (refusal) {
        case ReplaceRefusal::TargetGone:
            return kReplaceTargetGoneText;
        case ReplaceRefusal::Terminal:
        case ReplaceRefusal::PasswordBox:
            return kReplaceRefusedHereText;
        case ReplaceRefusal::HigherIntegrity:
            return kReplaceHigherIntegrityText;
        case ReplaceRefusal::KeysHeld:
            return kReplaceKeysHeldText;
        case ReplaceRefusal::NotInFront:
            break;
        case ReplaceRefusal::OtherStartBusy:
            return kOtherStartBusyText;
        case ReplaceRefusal::ClipboardNotSaved:
            return kReplaceClipboardNotSavedText;
        case ReplaceRefusal::NotTaken:
            return kReplaceNotTakenText;
    }
    return kReplaceNotInFrontText;
}

bool HidesItsText(std::u16string_view windowClass, std::uint32_t style) {
    constexpr std::uint32_t kEsPassword = 0x20;
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; };
    const auto startsWith = [&](std::u16string_view prefix) {
        return windowClass.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), windowClass.begin(),
                                                                 [&](char16_t a, char16_t b) { return a == lower(b); });
    };
    const bool edit = (startsWith(u"edit") && windowClass.size() == 4) || startsWith(u"richedit");
    return edit && (style & kEsPassword) != 0;
}

}  // namespace velmora
