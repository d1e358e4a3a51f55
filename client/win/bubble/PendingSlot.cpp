#include "win/bubble/PendingSlot.h"

#include <utility>

namespace velmora {

void PendingSlot::Show(Form1& owner) {
    if (bubble_) {
        return;
    }
    bubble_ = std::make_unique<PendingBubble>(owner);
    if (!bubble_->Show()) {
        bubble_.reset();
    }
}

bool PendingSlot::Defer(std::function<void()> outcome) {
    if (!Dragging()) {
        return false;
    }
    if (!deferred_) {
        deferred_ = std::move(outcome);
    }
    return true;
}

void PendingSlot::Released(HWND window) const {
    if (deferred_) {
        PostMessageW(window, released_, 0, 0);
    }
}

void PendingSlot::HideForBox(HWND window) {
    if (bubble_) {
        bubble_->HideKeepingActivation();
        SetTimer(window, goneTimer_, 10, nullptr);
    }
}

void PendingSlot::GoneTimer(HWND window, bool boxShown) {
    if (!boxShown || !bubble_ || GetActiveWindow() != bubble_->hwnd()) {
        KillTimer(window, goneTimer_);
        bubble_.reset();
    }
}

}  // namespace velmora
