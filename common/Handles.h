// Owning wrappers for Win32 handles, so that every handle is closed on every path, early returns included.
#pragma once
#include <windows.h>
#include <wincred.h>
#include <wininet.h>

#include <utility>

namespace common {

template <typename T, typename Closer, T kInvalid = T{}>
class Unique {
public:
    Unique() = default;
    explicit Unique(T h) : h_(h) {}
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& o) noexcept : h_(std::exchange(o.h_, kInvalid)) {}
    Unique& operator=(Unique&& o) noexcept {
        if (this != &o) {
            reset(std::exchange(o.h_, kInvalid));
        }
        return *this;
    }
    ~Unique() { reset(); }

    [[nodiscard]] T get() const { return h_; }
    T operator->() const { return h_; }  // for a handle that is a pointer to a structure
    [[nodiscard]] explicit operator bool() const { return h_ != kInvalid; }
    [[nodiscard]] T release() { return std::exchange(h_, kInvalid); }
    void reset(T h = kInvalid) {
        if (h_ != kInvalid) {
            Closer{}(h_);
        }
        h_ = h;
    }

private:
    T h_ = kInvalid;
};

struct CloseHandleCloser {
    void operator()(HANDLE h) const { ::CloseHandle(h); }
};
struct DeleteObjectCloser {
    void operator()(HGDIOBJ h) const { ::DeleteObject(h); }
};
struct RegCloser {
    void operator()(HKEY h) const { ::RegCloseKey(h); }
};
struct InternetCloser {
    void operator()(HINTERNET h) const { ::InternetCloseHandle(h); }
};
struct DestroyMenuCloser {
    void operator()(HMENU h) const { ::DestroyMenu(h); }
};

// The system's copy of a credential, wiped (it may hold a key) before it is freed.
struct CredentialCloser {
    void operator()(PCREDENTIALW c) const {
        if (c->CredentialBlob) {
            ::SecureZeroMemory(c->CredentialBlob, c->CredentialBlobSize);
        }
        ::CredFree(c);
    }
};

using UniqueHandle = Unique<HANDLE, CloseHandleCloser>;
using UniqueKey = Unique<HKEY, RegCloser>;
using UniqueInternet = Unique<HINTERNET, InternetCloser>;
using UniqueMenu = Unique<HMENU, DestroyMenuCloser>;
using UniqueRgn = Unique<HRGN, DeleteObjectCloser>;
using UniqueFont = Unique<HFONT, DeleteObjectCloser>;
using UniqueBrush = Unique<HBRUSH, DeleteObjectCloser>;
using UniqueCredential = Unique<PCREDENTIALW, CredentialCloser>;

// The clipboard, open while this lives and closed on every path. Made from the open's answer, so that an open that
// failed closes nothing; Close() ends it early (what the caller learnt before, GetLastError included, stays).
class OpenClipboardScope {
public:
    explicit OpenClipboardScope(bool opened) : opened_(opened) {}
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
    ~OpenClipboardScope() { Close(); }
    [[nodiscard]] explicit operator bool() const { return opened_; }
    void Close() {
        if (std::exchange(opened_, false)) {
            ::CloseClipboard();
        }
    }

private:
    bool opened_;
};

// A global memory block's bytes, locked while this lives (none for no block or a failed lock).
template <typename T>
class GlobalLocked {
public:
    explicit GlobalLocked(HGLOBAL memory)
        : memory_(memory), data_(memory ? static_cast<T*>(::GlobalLock(memory)) : nullptr) {}
    GlobalLocked(const GlobalLocked&) = delete;
    GlobalLocked& operator=(const GlobalLocked&) = delete;
    ~GlobalLocked() {
        if (data_) {
            ::GlobalUnlock(memory_);
        }
    }
    [[nodiscard]] T* get() const { return data_; }
    [[nodiscard]] explicit operator bool() const { return data_ != nullptr; }

private:
    HGLOBAL memory_;
    T* data_;
};

// A window's device context with a font selected into it for measuring; both given back when it goes.
class WindowDcWithFont {
public:
    WindowDcWithFont(HWND window, HGDIOBJ font)
        : window_(window), dc_(::GetDC(window)), old_(dc_ && font ? ::SelectObject(dc_, font) : nullptr) {}
    WindowDcWithFont(const WindowDcWithFont&) = delete;
    WindowDcWithFont& operator=(const WindowDcWithFont&) = delete;
    ~WindowDcWithFont() {
        if (old_) {
            ::SelectObject(dc_, old_);
        }
        if (dc_) {
            ::ReleaseDC(window_, dc_);
        }
    }
    [[nodiscard]] HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
    HGDIOBJ old_;
};

// COM on this thread while this lives; a thread that had it already keeps it as it was. The two functions are
// passed in, as the client loads ole32.dll only when it needs UI Automation.
class ComScope {
public:
    using Initialize = HRESULT(WINAPI*)(LPVOID, DWORD);
    using Uninitialize = void(WINAPI*)();
    ComScope(DWORD model, Initialize initialize, Uninitialize uninitialize)
        : uninitialize_(uninitialize), result_(initialize(nullptr, model)) {}
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    ~ComScope() {
        if (SUCCEEDED(result_)) {
            uninitialize_();
        }
    }

private:
    Uninitialize uninitialize_;
    HRESULT result_;
};

// CreateFile answers INVALID_HANDLE_VALUE, not NULL, on failure.
struct FileCloser {
    void operator()(HANDLE h) const { ::CloseHandle(h); }
};
class UniqueFile {
public:
    UniqueFile() = default;
    explicit UniqueFile(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    [[nodiscard]] HANDLE get() const { return h_.get(); }
    [[nodiscard]] explicit operator bool() const { return static_cast<bool>(h_); }
    void reset() { h_.reset(); }

private:
    UniqueHandle h_;
};

// A COM interface pointer released when it goes; the client's UI Automation and the installer's shortcuts use it.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() {
        if (p_) {
            p_->Release();
        }
    }
    [[nodiscard]] T** Out() { return &p_; }
    T* operator->() const { return p_; }
    [[nodiscard]] explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

}  // namespace common
