#include "win/settings/VisualStyles.h"

namespace velmora {
namespace {

// An activation context from one of the program's own manifest resources; nullptr when the running program has
// none (the tests, which build the windows into programs of their own).
HANDLE ContextFromResource(const wchar_t* id) {
    ACTCTXW context{};
    context.cbSize = sizeof context;
    context.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.hModule = GetModuleHandleW(nullptr);
    context.lpResourceName = id;
    HANDLE handle = CreateActCtxW(&context);
    return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

HANDLE SystemContext() {
    // The program's own manifest (CREATEPROCESS_MANIFEST_RESOURCE_ID), which names no control library. Kept for
    // the program's life.
    static const HANDLE context = ContextFromResource(MAKEINTRESOURCEW(1));
    return context;
}

}  // namespace

void UseVisualStyles() {
    // The manifest that names the library (ISOLATIONAWARE_MANIFEST_RESOURCE_ID), kept active for the program's life.
    if (HANDLE context = ContextFromResource(MAKEINTRESOURCEW(2))) {
        ULONG_PTR cookie = 0;
        if (!ActivateActCtx(context, &cookie)) {
            ReleaseActCtx(context);
        }
    }
}

SystemControls::SystemControls() {
    // A context without the library on top of the thread's own: a control class is then looked up there and in
    // the program's manifest, neither of which redirects it.
    if (HANDLE context = SystemContext()) {
        active_ = ActivateActCtx(context, &cookie_) != FALSE;
    }
}

SystemControls::~SystemControls() {
    if (active_) {
        DeactivateActCtx(0, cookie_);
    }
}

}  // namespace velmora
