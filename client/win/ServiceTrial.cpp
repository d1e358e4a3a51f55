#include "win/ServiceTrial.h"

#include <utility>

#include "common/Handles.h"

namespace velmora {
namespace {

struct TrialJob {
    TrialFunction function;
    ServiceTrial trial;
    std::shared_ptr<Mailbox<TrialOutcome>> mailbox;
    HWND window;
    UINT message;
};

DWORD WINAPI TrialWorker(void* param) {
    // The job, and the key in it, go (wiped) when the worker ends, whether or not the window is still there.
    std::unique_ptr<TrialJob> job(static_cast<TrialJob*>(param));
    job->mailbox->Put(job->function(job->trial));
    PostMessageW(job->window, job->message, 0, 0);
    return 0;
}

}  // namespace

TrialOutcome TryService(const ServiceTrial&) {
    return {false, L"この版の Velmora では翻訳サービスを試せません。"};
}

bool StartTrial(TrialFunction function,
                ServiceTrial trial,
                std::shared_ptr<Mailbox<TrialOutcome>> mailbox,
                HWND window,
                UINT message) {
    auto job = std::make_unique<TrialJob>(
        TrialJob{std::move(function), std::move(trial), std::move(mailbox), window, message});
    const common::UniqueHandle thread(CreateThread(nullptr, 0, TrialWorker, job.get(), 0, nullptr));
    if (!thread) {
        return false;
    }
    static_cast<void>(job.release());  // the worker owns it now
    return true;
}

}  // namespace velmora
