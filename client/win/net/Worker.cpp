#include "win/net/Worker.h"

namespace velmora {
namespace {

DWORD WINAPI RunOwned(void* param) {
    // Deleting the work here, on its thread, releases what it captured once it is done, whoever gave up on it.
    std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(param));
    // An exception must not end the process from here; the waiting side then sees no result.
    try {
        (*work)();
    } catch (...) {
        return 1;
    }
    return 0;
}

}  // namespace

common::UniqueHandle StartWorker(std::function<void()> work) {
    auto* owned = new std::function<void()>(std::move(work));
    HANDLE thread = CreateThread(nullptr, 0, RunOwned, owned, 0, nullptr);
    if (!thread) {
        delete owned;
    }
    return common::UniqueHandle(thread);
}

}  // namespace velmora
