// Where the worker window keeps its pending bubble: shown after a wait unless the popup is up, holding back the
// request's outcome while the user drags it, and gone once a report's box has taken the activation from it.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>

#include "win/bubble/PendingBubble.h"

namespace velmora {

class Form1;

class PendingSlot {
  public:
    // `released` is posted to the window when a drag ends with an outcome waiting; `goneTimer` is the window's timer
    // that watches the report's box take the activation.
    PendingSlot(UINT released, UINT_PTR goneTimer) : released_(released), goneTimer_(goneTimer) {}

    [[nodiscard]] PendingBubble* Get() const { return bubble_.get(); }
    void Show(Form1& owner);
    void Reset() { bubble_.reset(); }
    [[nodiscard]] bool Dragging() const { return bubble_ && bubble_->Dragging(); }
    // The bubble cannot go from under the user's hand: while it is dragged, the outcome waits (the first one stands:
    // a deadline that passes during the drag does not replace the answer). True when it waits.
    [[nodiscard]] bool Defer(std::function<void()> outcome);
    // The drag has ended: a waiting outcome runs once the message comes (posted: the outcome may destroy the bubble,
    // whose drag handler is still on the stack).
    void Released(HWND window) const;
    [[nodiscard]] std::function<void()> TakeDeferred() { return std::exchange(deferred_, nullptr); }
    // Out of sight before a report's box shows, gone once the box has taken the activation: destroyed while still
    // active, it would hand the activation to another program first.
    void HideForBox(HWND window);
    // The box's own message loop ticks the timer; `boxShown` false: the box has closed.
    void GoneTimer(HWND window, bool boxShown);

  private:
    UINT released_;
    UINT_PTR goneTimer_;
    std::unique_ptr<PendingBubble> bubble_;
    std::function<void()> deferred_;
};

}  // namespace velmora
