#include "win/services/StreamThrottle.h"

#include <utility>

namespace velmora {

StreamThrottle::StreamThrottle(HWND window, UINT message, UINT_PTR timer)
    : window_(window), message_(message), timer_(timer) {
    shared_->lastByte = GetTickCount64();
}

void StreamThrottle::Wire(ServiceRequest& request) {
    request.progress = [shared = shared_, window = window_, message = message_](const std::wstring& visible) {
        shared->text.Put(visible);
        if (!shared->posted.exchange(true)) {
            PostMessageW(window, message, 0, 0);
        }
    };
    request.activity = [shared = shared_] { shared->lastByte = GetTickCount64(); };
}

bool StreamThrottle::Arrived() {
    shared_->posted = false;  // first: a piece put from now on posts again
    std::optional<std::wstring> text = shared_->text.Take();
    if (!text || text->empty() || *text == text_) {
        return false;
    }
    text_ = std::move(*text);
    const ULONGLONG since = GetTickCount64() - shownAt_;
    if (since < kStreamRefreshMs) {
        SetTimer(window_, timer_, static_cast<UINT>(kStreamRefreshMs - since), nullptr);
        return false;
    }
    return true;
}

void StreamThrottle::Shown() {
    shownAt_ = GetTickCount64();
}

ULONGLONG StreamThrottle::SilentMs() const {
    return GetTickCount64() - shared_->lastByte;
}

}  // namespace velmora
