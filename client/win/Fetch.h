// The page fetch: one HTTP GET with a hard overall deadline, the body decoded into text.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

namespace velmora {

struct FetchResult {
    bool ok = false;
    std::wstring text;   // the decoded page when ok
    std::wstring error;  // a Japanese sentence for the failure report when not ok
};

// Runs the transfer on a worker thread and waits for it at most limitMs. At the deadline the worker is left
// behind (a blocked WinINet read cannot be interrupted reliably); it only ever touches its own shared state.
[[nodiscard]] FetchResult FetchPage(const std::wstring& url, DWORD limitMs);

// The same transfer without blocking: the result is posted to `window` as `message` with the FetchResult* in
// LPARAM (the receiver deletes it). Answers false when the worker could not be started.
[[nodiscard]] bool StartFetch(const std::wstring& url, DWORD limitMs, HWND window, UINT message);

// The sentence reported when the deadline passes first.
[[nodiscard]] std::wstring TimeoutText(DWORD limitMs);

}  // namespace velmora
