// Owning wrappers for Win32 handles, so that every handle is closed on every path, early returns included.
#pragma once
#include <windows.h>
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

using UniqueHandle = Unique<HANDLE, CloseHandleCloser>;
using UniqueKey = Unique<HKEY, RegCloser>;
using UniqueInternet = Unique<HINTERNET, InternetCloser>;
using UniqueMenu = Unique<HMENU, DestroyMenuCloser>;
using UniqueRgn = Unique<HRGN, DeleteObjectCloser>;
using UniqueFont = Unique<HFONT, DeleteObjectCloser>;
using UniqueBrush = Unique<HBRUSH, DeleteObjectCloser>;

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
