// Work on a thread of its own that the caller may stop waiting for. A blocked WinINet read or a UI Automation
// provider that never answers cannot be interrupted reliably, so such a thread is left behind instead; it only ever
// touches what it owns, and the client's process is short-lived.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "common/Handles.h"

namespace velmora {

// Where a worker thread leaves a result for another thread. The message that says a result is ready carries
// nothing: any program can post a window any message, so a result never travels in one.
template <typename Result>
class Mailbox {
  public:
    void Put(Result result) {
        std::lock_guard lock(mutex_);
        result_ = std::move(result);
    }
    // The result, once; nothing when none has been put.
    [[nodiscard]] std::optional<Result> Take() {
        std::lock_guard lock(mutex_);
        return std::exchange(result_, std::nullopt);
    }

  private:
    std::mutex mutex_;
    std::optional<Result> result_;
};

// Runs `work` on a new thread that owns it (and all it captured). Empty when the thread could not be started.
[[nodiscard]] common::UniqueHandle StartWorker(std::function<void()> work);

template <typename Result>
struct TimedRun {
    bool started = false;
    std::optional<Result> result;  // nothing when the limit passed first (or nothing started)
};

// Runs `work` on its own thread and waits for it up to limitMs; a worker still running then is left behind.
template <typename Result>
[[nodiscard]] TimedRun<Result> RunWithTimeLimit(DWORD limitMs, std::function<Result()> work) {
    auto mailbox = std::make_shared<Mailbox<Result>>();
    common::UniqueHandle thread = StartWorker([mailbox, work = std::move(work)] { mailbox->Put(work()); });
    TimedRun<Result> run;
    run.started = static_cast<bool>(thread);
    if (run.started && WaitForSingleObject(thread.get(), limitMs) == WAIT_OBJECT_0) {
        run.result = mailbox->Take();
    }
    return run;
}

}  // namespace velmora
