#include "core/Accounts.h"

namespace installer {

std::optional<Message> OtherUserWarning(const std::optional<Account>& elevated,
                                        const std::optional<Account>& desktopOwner) {
    if (!elevated || !desktopOwner || elevated->sid.empty() || desktopOwner->sid.empty() ||
        elevated->sid == desktopOwner->sid) {
        return std::nullopt;
    }
    return OtherUserNotice(elevated->name, desktopOwner->name);
}

}  // namespace installer
