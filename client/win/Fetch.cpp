#include "win/Fetch.h"

#include <wininet.h>

#include <cwchar>

#include <utility>

#include "common/Handles.h"
#include "common/Text.h"
#include "core/PageText.h"
#include "velmora_version.h"
#include "win/Worker.h"

namespace velmora {
namespace {

constexpr size_t kBodyCap = 8u << 20;  // result pages are a few KiB; anything this big is not one
constexpr int kMaxRedirects = 10;

FetchResult Fail(std::wstring sentence, DWORD error = 0) {
    FetchResult r;
    r.error = std::move(sentence);
    if (error) {
        r.error += L"\n" + common::SystemErrorText(error);
    }
    return r;
}

DWORD TimeLeft(ULONGLONG deadline) {
    const ULONGLONG now = GetTickCount64();
    return now >= deadline ? 1 : static_cast<DWORD>(deadline - now);
}

void SetTimeouts(HINTERNET h, ULONGLONG deadline) {
    DWORD left = TimeLeft(deadline);
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                         INTERNET_OPTION_RECEIVE_TIMEOUT}) {
        InternetSetOptionW(h, option, &left, sizeof left);
    }
}

std::wstring QueryText(HINTERNET request, DWORD info) {
    wchar_t buffer[2048];
    DWORD size = sizeof buffer;
    DWORD index = 0;
    return HttpQueryInfoW(request, info, buffer, &size, &index) ? std::wstring(buffer, size / sizeof(wchar_t))
                                                                : std::wstring();
}

std::wstring Decode(const std::string& body, const std::wstring& contentType) {
    unsigned codePage = PageCodePage(common::ToUtf8(contentType), body);
    if (!IsValidCodePage(codePage)) {
        codePage = IsValidUtf8(body) ? CP_UTF8 : kCodePageShiftJis;
    }
    return common::FromCodePage(body, codePage);
}

// Reads the whole body; a body cut short of its Content-Length counts as a failed transfer, since WinINet
// under Wine reports such a connection as a normal end.
FetchResult ReadBody(HINTERNET request, ULONGLONG deadline) {
    const std::wstring lengthText = QueryText(request, HTTP_QUERY_CONTENT_LENGTH);
    std::string body;
    char buffer[16384];
    for (;;) {
        if (GetTickCount64() >= deadline) {
            return Fail(L"");  // the caller words the time-out
        }
        SetTimeouts(request, deadline);
        DWORD n = 0;
        if (!InternetReadFile(request, buffer, sizeof buffer, &n)) {
            return Fail(L"翻訳ページを最後まで受け取れませんでした。", GetLastError());
        }
        if (n == 0) {
            break;
        }
        body.append(buffer, n);
        if (body.size() > kBodyCap) {
            return Fail(L"翻訳ページが大きすぎます。");
        }
    }
    if (!lengthText.empty() && wcstoull(lengthText.c_str(), nullptr, 10) != body.size()) {
        return Fail(L"翻訳ページを最後まで受け取れませんでした（" + std::to_wstring(body.size()) + L" / " +
                    lengthText + L" バイト）。");
    }
    FetchResult r;
    r.ok = true;
    r.text = Decode(body, QueryText(request, HTTP_QUERY_CONTENT_TYPE));
    return r;
}

FetchResult Transfer(const std::wstring& url, ULONGLONG deadline) {
    common::UniqueInternet session(InternetOpenW(L"Velmora/" VELMORA_VERSION_TEXT_W, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) {
        return Fail(L"インターネットの機能を使えませんでした。", GetLastError());
    }
    DWORD retries = 1;
    InternetSetOptionW(session.get(), INTERNET_OPTION_CONNECT_RETRIES, &retries, sizeof retries);
    std::string current = WireUrl(common::ToU16(url));
    // Redirects are followed here rather than by WinINet, which under Wine follows a loop without end.
    for (int hop = 0; hop <= kMaxRedirects; ++hop) {
        const auto target = ParseHttpUrl(current);
        if (!target) {
            return Fail(L"翻訳サービスのアドレスが正しくありません。");
        }
        SetTimeouts(session.get(), deadline);
        common::UniqueInternet connection(InternetConnectW(session.get(), common::FromUtf8(target->host).c_str(),
                                                           target->port, nullptr, nullptr, INTERNET_SERVICE_HTTP,
                                                           0, 0));
        if (!connection) {
            return Fail(L"翻訳サービスに接続できませんでした。", GetLastError());
        }
        const DWORD flags = INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                            INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI | INTERNET_FLAG_PRAGMA_NOCACHE |
                            (target->secure ? INTERNET_FLAG_SECURE : 0);
        const wchar_t* accept[] = {L"text/html", L"*/*", nullptr};
        common::UniqueInternet request(HttpOpenRequestW(connection.get(), L"GET",
                                                        common::FromUtf8(target->target).c_str(), nullptr,
                                                        nullptr, accept, flags, 0));
        if (!request) {
            return Fail(L"翻訳サービスに接続できませんでした。", GetLastError());
        }
        SetTimeouts(request.get(), deadline);
        if (!HttpSendRequestW(request.get(), nullptr, 0, nullptr, 0)) {
            return Fail(L"翻訳サービスに接続できませんでした。", GetLastError());
        }
        DWORD status = 0;
        DWORD size = sizeof status;
        if (!HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                            nullptr)) {
            return Fail(L"翻訳サービスの応答が読めませんでした。", GetLastError());
        }
        if (status == 301 || status == 302 || status == 303 || status == 307 || status == 308) {
            const auto next = ResolveLocation(*target, common::ToUtf8(QueryText(request.get(), HTTP_QUERY_LOCATION)));
            if (!next) {
                return Fail(L"翻訳サービスの転送先が読めませんでした（HTTP " + std::to_wstring(status) + L"）。");
            }
            current = WireUrl(common::ToU16(common::FromUtf8(*next)));
            continue;
        }
        if (status < 200 || status > 299) {
            return Fail(L"翻訳サービスがエラーを返しました（HTTP " + std::to_wstring(status) + L"）。");
        }
        return ReadBody(request.get(), deadline);
    }
    return Fail(L"翻訳サービスの転送が多すぎます。");
}

FetchResult TransferWithin(const std::wstring& url, Deadline deadline) {
    FetchResult result = Transfer(url, deadline.at);
    // A WinINet time-out near the deadline is the deadline's doing; say so rather than "cannot connect".
    if (!result.ok && deadline.LeftMs() == 0) {
        result = Fail(TimeoutText(deadline.limitMs));
    }
    return result;
}

}  // namespace

DWORD Deadline::LeftMs() const {
    const ULONGLONG now = GetTickCount64();
    return now >= at ? 0 : static_cast<DWORD>(at - now);
}

std::wstring TimeoutText(DWORD limitMs) {
    return L"翻訳サービスが " + std::to_wstring((limitMs + 999) / 1000) + L" 秒以内に応答しませんでした。";
}

FetchResult FetchPage(const std::wstring& url, Deadline deadline) {
    auto run =
        RunWithTimeLimit<FetchResult>(deadline.LeftMs(), [url, deadline] { return TransferWithin(url, deadline); });
    if (!run.started) {
        return Fail(L"翻訳の処理を開始できませんでした。", GetLastError());
    }
    return run.result ? std::move(*run.result) : Fail(TimeoutText(deadline.limitMs));
}

bool StartFetch(const std::wstring& url, Deadline deadline, std::function<void(FetchResult)> deliver) {
    return static_cast<bool>(
        StartWorker([url, deadline, deliver = std::move(deliver)] { deliver(TransferWithin(url, deadline)); }));
}

}  // namespace velmora
