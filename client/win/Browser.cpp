#include "win/Browser.h"

#include <memory>

#include "common/Text.h"
#include "win/Fetch.h"

namespace velmora {

bool Browser::Navigate(const std::wstring& url, DWORD limitMs, HWND notify) {
    return StartFetch(url, limitMs, notify, kCompleteMessage);
}

std::optional<std::wstring> Browser::Complete(LPARAM result) {
    std::unique_ptr<FetchResult> page(reinterpret_cast<FetchResult*>(result));
    if (!page || !page->ok) {
        return page ? page->error : L"翻訳ページを読み込めませんでした。";
    }
    document_ = html::Parse(common::ToU16(page->text));
    return std::nullopt;
}

}  // namespace velmora
