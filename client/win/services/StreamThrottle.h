// A streamed answer on its way from the worker to the pending bubble: the text so far, handed to the UI thread at
// most every kStreamRefreshMs, and the one silence clock that every byte of the answer moves (thinking, keep-alive
// comments and usage chunks included), which both the worker's deadline and the UI's time-out read.
#pragma once
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

#include "win/net/Worker.h"
#include "win/services/ServiceTranslate.h"

namespace velmora {

// Often enough to read as it is written; less often would not look live, more often would only cost layout.
inline constexpr ULONGLONG kStreamRefreshMs = 50;

class StreamThrottle {
  public:
    // `message` is posted to `window` when new text is there; `timer` is the window's timer for text that came too
    // soon after the last shown.
    StreamThrottle(HWND window, UINT message, UINT_PTR timer);

    // Lets the request hand its pieces and its bytes over (its progress and activity callbacks).
    void Wire(ServiceRequest& request);

    // The progress message came: true when the new text is to be shown now, false when there is none or it waits
    // for the timer.
    [[nodiscard]] bool Arrived();
    [[nodiscard]] const std::wstring& Text() const { return text_; }
    // The bubble has just got Text().
    void Shown();
    // How long no byte of the answer has come.
    [[nodiscard]] ULONGLONG SilentMs() const;

  private:
    struct Shared {
        Mailbox<std::wstring> text;
        std::atomic<bool> posted{false};       // a progress message is on its way and has not been taken
        std::atomic<ULONGLONG> lastByte{0};    // the silence clock
    };
    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
    HWND window_;
    UINT message_;
    UINT_PTR timer_;
    std::wstring text_;          // the latest text, shown or about to be
    ULONGLONG shownAt_ = 0;      // when the pending bubble last got it
};

}  // namespace velmora
