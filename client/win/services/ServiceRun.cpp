#include "win/services/ServiceRun.h"

#include <utility>

#include "common/Text.h"

namespace velmora {

ServiceRun::ServiceRun(UINT complete, UINT progress, UINT_PTR streamTimer)
    : complete_(complete), progress_(progress), streamTimer_(streamTimer) {}

ServiceRequest ServiceRun::Request() const {
    ServiceRequest request;
    request.settings = settings_;
    request.key = key_ ? &*key_ : nullptr;
    request.keyOrigin = key_ ? keyOrigin_ : std::wstring();
    return request;
}

void ServiceRun::Connect(const ServiceSettings& settings, CredentialStore* credentials, bool early) {
    if (settings.kind == ServiceKind::Page) {
        return;  // the pages are loaded another way and need no key
    }
    settings_ = settings;
    if (credentials && CredentialOf(settings.kind)) {
        StoredKey stored = credentials->ReadKey(CredentialOf(settings.kind));
        key_ = std::move(stored.key);
        keyOrigin_ = std::move(stored.origin);
    }
    // The request's own settings name the server, so that the early work is for the server the request goes to.
    if (early) {
        if (const std::wstring url = ServiceEndpoint(Request()); !url.empty()) {
            early_ = ConnectEarly(url);
        }
    }
}

bool ServiceRun::Start(const StartPlan& plan, Deadline deadline, HWND window) {
    ServiceRequest request = Request();
    request.early = std::move(early_);
    request.sourceLang = common::ToWide(plan.pair.source);
    request.targetLang = common::ToWide(plan.pair.target);
    request.text = common::ToWide(plan.text);
    if (RowOf(settings_.kind).streams) {
        stream_ = std::make_unique<StreamThrottle>(window, progress_, streamTimer_);
        stream_->Wire(request);
    }
    auto mailbox = std::make_shared<Mailbox<FetchResult>>();
    auto deliver = [mailbox, window = window, message = complete_](FetchResult answer) {
        mailbox->Put(std::move(answer));
        PostMessageW(window, message, 0, 0);
    };
    answer_ = mailbox;
    const bool started = StartServiceTranslation(request, deadline, std::move(deliver));
    key_.reset();
    return started;
}

std::optional<FetchResult> ServiceRun::TakeAnswer() {
    return answer_ ? answer_->Take() : std::nullopt;
}

}  // namespace velmora
