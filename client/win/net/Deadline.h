// The request's deadline: a transfer runs on a worker thread that is left behind once its time is up.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace velmora {

struct FetchResult {
    bool ok = false;
    std::wstring text;   // the decoded page when ok
    std::wstring error;  // a Japanese sentence for the failure report when not ok
};

// A failure with its sentence and, on a line of its own after it, the system's text for `error` when there is one.
[[nodiscard]] FetchResult FailedResult(std::wstring sentence, DWORD error = 0);

// The request's time limit: the whole request, from its start to its result, has limitMs.
struct Deadline {
    ULONGLONG at = 0;   // the GetTickCount64 time at which the request has failed
    DWORD limitMs = 0;  // the whole limit, for the report's wording
    [[nodiscard]] static Deadline FromNow(DWORD limitMs) { return {GetTickCount64() + limitMs, limitMs}; }
    [[nodiscard]] DWORD LeftMs() const;  // 0 once it has passed
};

// Any transfer run the way the page fetch runs: on a worker thread that is given the deadline's tick count and is
// left behind at the deadline.
using TransferFunction = std::function<FetchResult(ULONGLONG deadline)>;
[[nodiscard]] FetchResult RunBeforeDeadline(TransferFunction transfer, Deadline deadline);
// The same without blocking: the worker thread hands its result to `deliver`, on that thread, whenever it ends; the
// caller decides whether it is still in time. Answers false when the worker could not be started.
[[nodiscard]] bool StartBeforeDeadline(TransferFunction transfer,
                                       Deadline deadline,
                                       std::function<void(FetchResult)> deliver);

// The sentence reported when the deadline passes first.
[[nodiscard]] std::wstring TimeoutText(DWORD limitMs);

}  // namespace velmora
