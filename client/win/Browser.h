// The browser facility: loads a page in the background and keeps the document it builds, so that the body's
// markup can be read the way the old browser control wrote it.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "core/html/Html.h"

namespace velmora {

class Browser {
public:
    // Posted to the notify window when the load ends; LPARAM carries the result, which Complete takes.
    static constexpr UINT kCompleteMessage = WM_APP + 1;

    // Starts the load and returns at once. False when it could not be started.
    [[nodiscard]] bool Navigate(const std::wstring& url, DWORD limitMs, HWND notify);
    // Takes a completion message's result: on success the page becomes the document and nothing is returned,
    // otherwise the failure sentence.
    [[nodiscard]] std::optional<std::wstring> Complete(LPARAM result);

    // The loaded document and its body; nullptr before a page has loaded, or for a page without a body.
    [[nodiscard]] const html::Document* Document() const { return document_ ? &*document_ : nullptr; }
    [[nodiscard]] const html::Node* Body() const { return document_ ? html::Body(*document_) : nullptr; }

private:
    std::optional<html::Document> document_;
};

}  // namespace velmora
