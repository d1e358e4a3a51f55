// The floor of the client's job, the yardstick of startup_bench: the least any program must do to show an Excite
// translation in a popup. One blocking fetch, one plain search, one window with its two controls; no settings
// file, no DPI work, no worker thread, nothing beyond the plain message loop. Written in plain Win32 so that the
// C++ runtime adds nothing of its own either.
#include <windows.h>
#include <wininet.h>

#include <cstdlib>
#include <cstring>

namespace {

// The same page the client asks for with "EJhnAHello world".
constexpr wchar_t kPath[] = L"/world/text/?wb_lp=ENJA&before=Hello%20world";
constexpr char kStart[] = "<textarea cols=40 rows=15 name=\"after\" wrap=\"virtual\">";
constexpr char kEnd[] = "</textarea>";

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// The whole body, null-terminated, in a heap block the caller frees; nullptr when the fetch fails.
char* Fetch(const wchar_t* url) {
    HINTERNET session = InternetOpenW(L"Baseline", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET request = session ? InternetOpenUrlW(session, url, nullptr, 0,
                                                   INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0)
                                : nullptr;
    char* body = nullptr;
    size_t size = 0;
    if (request) {
        char buffer[16384];
        DWORD n = 0;
        while (InternetReadFile(request, buffer, sizeof buffer, &n) && n > 0) {
            char* grown = static_cast<char*>(realloc(body, size + n + 1));
            if (!grown) {
                break;
            }
            body = grown;
            memcpy(body + size, buffer, n);
            size += n;
            body[size] = 0;
        }
        InternetCloseHandle(request);
    }
    if (session) {
        InternetCloseHandle(session);
    }
    return body;
}

HFONT Font(const wchar_t* face, bool bold) {
    return CreateFontW(-12, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    wchar_t host[512] = L"www.excite.co.jp";
    const DWORD n = GetEnvironmentVariableW(L"VELMORA_EXCITE_HOST", host, 512);
    if (n == 0 || n >= 512) {
        lstrcpyW(host, L"www.excite.co.jp");
    }
    wchar_t url[1024];
    lstrcpyW(url, L"http://");
    lstrcatW(url, host);
    lstrcatW(url, kPath);

    char* body = Fetch(url);
    wchar_t text[4096] = L"";
    if (char* start = body ? strstr(body, kStart) : nullptr) {
        start += sizeof kStart - 1;
        if (char* end = strstr(start, kEnd)) {
            const int length = MultiByteToWideChar(CP_UTF8, 0, start, static_cast<int>(end - start), text, 4095);
            text[length > 0 ? length : 0] = 0;
        }
    }
    free(body);
    if (!text[0]) {
        return 1;
    }

    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_INFOBK + 1);
    wc.lpszClassName = L"BaselineForm2";
    RegisterClassW(&wc);

    // The popup's design size at 96 dpi, at the pointer.
    POINT cursor{};
    GetCursorPos(&cursor);
    HWND popup = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"BaselineForm2", L"Form2",
                                 WS_POPUP | WS_CLIPCHILDREN, cursor.x, cursor.y, 301, 94, nullptr, nullptr, instance,
                                 nullptr);
    HWND edit = CreateWindowExW(0, L"EDIT", text, WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL, 16, 21,
                                273, 57, popup, nullptr, instance, nullptr);
    HWND close = CreateWindowExW(0, L"STATIC", L"Close", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 256, 4, 41, 17, popup,
                                 nullptr, instance, nullptr);
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(Font(L"MS UI Gothic", false)), FALSE);
    SendMessageW(close, WM_SETFONT, reinterpret_cast<WPARAM>(Font(L"ＭＳ Ｐゴシック", true)), FALSE);
    SetWindowRgn(popup, CreateRoundRectRgn(0, 0, 301, 74, 15, 15), FALSE);
    ShowWindow(popup, SW_SHOW);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
