// The browser facility: loads a page in the background and keeps the document it builds, so that the body's
// markup can be read the way the old browser control wrote it.
#pragma once
#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "core/html/Html.h"
#include "win/net/Fetch.h"
#include "win/net/Worker.h"

namespace velmora {

class Browser {
public:
    // Starts the load and returns at once. The page is parsed on the loading thread, so that the request's
    // deadline covers the parsing too. False when it could not be started.
    // `message` is posted to `notify` when the load has ended. It carries nothing: the result stays inside the
    // process until TakeCompletion.
    [[nodiscard]] bool Navigate(const std::wstring& url, Deadline deadline, HWND notify, UINT message);
    // Takes the ended load: false when there is none (the message did not come from our load, or its result was
    // taken already). Otherwise `failure` is empty and the page is the document, or it holds the failure sentence.
    [[nodiscard]] bool TakeCompletion(std::wstring& failure);

    // The loaded document and its body; nullptr before a page has loaded, or for a page without a body.
    [[nodiscard]] const html::Document* Document() const { return document_ ? &*document_ : nullptr; }
    [[nodiscard]] const html::Node* Body() const { return document_ ? html::Body(*document_) : nullptr; }

private:
    struct Loaded {
        std::wstring failure;
        std::optional<html::Document> document;
    };

    std::shared_ptr<Mailbox<Loaded>> mailbox_;
    std::optional<html::Document> document_;
};

}  // namespace velmora
