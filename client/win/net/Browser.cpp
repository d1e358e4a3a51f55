#include "win/net/Browser.h"

#include "common/Text.h"
#include "core/Messages.h"

namespace velmora {

bool Browser::Navigate(const std::wstring& url, Deadline deadline, HWND notify, UINT message) {
    auto mailbox = std::make_shared<Mailbox<Loaded>>();
    auto deliver = [mailbox, notify, message](FetchResult page) {
        Loaded loaded;
        if (page.ok) {
            loaded.document = html::Parse(common::ToU16(page.text));
        } else {
            loaded.failure = page.error.empty() ? kPageNotLoadedText : std::move(page.error);
        }
        mailbox->Put(std::move(loaded));
        PostMessageW(notify, message, 0, 0);
    };
    if (!StartFetch(url, deadline, std::move(deliver))) {
        return false;
    }
    mailbox_ = std::move(mailbox);
    return true;
}

bool Browser::TakeCompletion(std::wstring& failure) {
    std::optional<Loaded> loaded = mailbox_ ? mailbox_->Take() : std::nullopt;
    if (!loaded) {
        return false;
    }
    failure = std::move(loaded->failure);
    if (failure.empty()) {
        document_ = std::move(loaded->document);
    }
    return true;
}

}  // namespace velmora
