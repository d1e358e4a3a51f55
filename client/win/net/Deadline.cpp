#include "win/net/Deadline.h"

#include <utility>

#include "common/Text.h"
#include "core/Messages.h"
#include "win/net/Worker.h"

namespace velmora {
namespace {

FetchResult TransferWithin(const TransferFunction& transfer, Deadline deadline) {
    FetchResult result = transfer(deadline.at);
    // A WinINet time-out near the deadline is the deadline's doing; say so rather than "cannot connect".
    if (!result.ok && deadline.LeftMs() == 0) {
        result = FailedResult(TimeoutText(deadline.limitMs));
    }
    return result;
}

}  // namespace

FetchResult FailedResult(std::wstring sentence, DWORD error) {
    FetchResult r;
    r.error = std::move(sentence);
    if (error) {
        r.error += L"\n" + common::SystemErrorText(error);
    }
    return r;
}

DWORD Deadline::LeftMs() const {
    const ULONGLONG now = GetTickCount64();
    return now >= at ? 0 : static_cast<DWORD>(at - now);
}

std::wstring TimeoutText(DWORD limitMs) {
    return NoAnswerWithinText((limitMs + 999) / 1000);
}

FetchResult RunBeforeDeadline(TransferFunction transfer, Deadline deadline) {
    auto run = RunWithTimeLimit<FetchResult>(
        deadline.LeftMs(), [transfer = std::move(transfer), deadline] { return TransferWithin(transfer, deadline); });
    if (!run.started) {
        return FailedResult(kCannotStartText, GetLastError());
    }
    return run.result ? std::move(*run.result) : FailedResult(TimeoutText(deadline.limitMs));
}

bool StartBeforeDeadline(TransferFunction transfer, Deadline deadline, std::function<void(FetchResult)> deliver) {
    return static_cast<bool>(StartWorker([transfer = std::move(transfer), deadline, deliver = std::move(deliver)] {
        deliver(TransferWithin(transfer, deadline));
    }));
}

}  // namespace velmora
