#include "win/selection/Clipboard.h"

#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "common/Poll.h"
#include "common/Process.h"
#include "win/net/Worker.h"

namespace velmora {
namespace {

bool IsMemoryFormat(UINT format) {
    switch (format) {
        case CF_BITMAP:
        case CF_METAFILEPICT:
        case CF_PALETTE:
        case CF_ENHMETAFILE:
        case CF_OWNERDISPLAY:
        case CF_DSPBITMAP:
        case CF_DSPMETAFILEPICT:
        case CF_DSPENHMETAFILE:
            return false;
        default:
            return !(format >= CF_PRIVATEFIRST && format <= CF_PRIVATELAST) &&
                   !(format >= CF_GDIOBJFIRST && format <= CF_GDIOBJLAST);
    }
}

std::optional<std::wstring> UserSid() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) {
        return std::nullopt;
    }
    common::UniqueHandle token(raw);
    return common::TokenUserSid(token.get());
}

}  // namespace

// The name lives in the session's namespace and carries the user, so that another user on the same machine (Fast
// User Switching, a terminal server) neither waits for us nor can hold us up.
CopyLock TakeCopyLock(DWORD waitMs) {
    const std::wstring name = L"Local\\Velmora.SelectionCopy." + UserSid().value_or(L"user");
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
    if (!mutex) {
        return CopyLock();
    }
    // An abandoned lock (a start that was ended meanwhile) is ours all the same.
    const DWORD wait = WaitForSingleObject(mutex, waitMs);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {
        CloseHandle(mutex);
        return CopyLock();
    }
    return CopyLock(mutex);
}

bool OpenClipboardWithRetry(HWND owner, DWORD waitMs) {
    return common::PollUntil([owner] { return OpenClipboard(owner) != FALSE; }, waitMs);
}

bool PutOnClipboard(UINT format, const void* bytes, std::size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size ? size : 1);
    {
        const common::GlobalLocked<void> target(memory);
        if (!target) {
            if (memory) {
                GlobalFree(memory);
            }
            return false;
        }
        if (size) {
            memcpy(target.get(), bytes, size);
        }
    }
    if (!SetClipboardData(format, memory)) {
        const DWORD error = GetLastError();
        GlobalFree(memory);  // the clipboard owns it only once SetClipboardData succeeded
        SetLastError(error);
        return false;
    }
    return true;
}

ClipboardSnapshot::Status ClipboardSnapshot::Take(ClipboardSnapshot& into, DWORD budgetMs, std::size_t budgetBytes) {
    const ULONGLONG deadline = GetTickCount64() + budgetMs;
    // The worker owns its snapshot; one left behind at the limit stops at its next format and closes the clipboard.
    struct Taken {
        Status status = Status::Busy;
        std::shared_ptr<ClipboardSnapshot> snapshot = std::make_shared<ClipboardSnapshot>();
    };
    auto run = RunWithTimeLimit<Taken>(budgetMs, [deadline, budgetBytes, budgetMs] {
        Taken taken;
        if (const common::OpenClipboardScope open(OpenClipboardWithRetry(nullptr, budgetMs)); open) {
            taken.status = taken.snapshot->Read(deadline, budgetBytes);
        }
        return taken;
    });
    if (!run.result) {
        return Status::TooSlow;
    }
    if (run.result->status == Status::Whole) {
        into = std::move(*run.result->snapshot);
    }
    return run.result->status;
}

ClipboardSnapshot::Status ClipboardSnapshot::Read(ULONGLONG deadline, std::size_t budgetBytes) {
    std::size_t total = 0;
    try {
        for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
            if (GetTickCount64() >= deadline) {
                return Status::TooSlow;
            }
            if (format == CF_ENHMETAFILE) {
                // Counted like the others: a picture can be as large as any format.
                auto source = static_cast<HENHMETAFILE>(GetClipboardData(format));
                const UINT size = source ? GetEnhMetaFileBits(source, 0, nullptr) : 0;
                if (size > budgetBytes - total) {
                    return Status::TooLarge;
                }
                metafile_.reset(size ? CopyEnhMetaFileW(source, nullptr) : nullptr);
                if (!metafile_) {
                    return Status::Incomplete;
                }
                total += size;
                continue;
            }
            if (!IsMemoryFormat(format)) {
                continue;
            }
            // A delayed format whose owner rendered nothing would be missing from what is put back.
            HANDLE data = GetClipboardData(format);
            if (!data) {
                return Status::Incomplete;
            }
            const SIZE_T size = GlobalSize(data);
            if (size > budgetBytes - total) {
                return Status::TooLarge;
            }
            const common::GlobalLocked<const BYTE> bytes(size ? data : nullptr);
            if (!bytes) {
                if (size) {
                    return Status::Incomplete;
                }
                continue;
            }
            formats_.push_back({format, std::vector<BYTE>(bytes.get(), bytes.get() + size)});
            total += size;
        }
    } catch (const std::bad_alloc&) {
        return Status::TooLarge;
    }
    return Status::Whole;
}

void ClipboardSnapshot::Restore() {
    EmptyClipboard();
    for (const Format& f : formats_) {
        (void)PutOnClipboard(f.format, f.bytes.data(), f.bytes.size());
    }
    if (metafile_ && SetClipboardData(CF_ENHMETAFILE, metafile_.get())) {
        (void)metafile_.release();  // the clipboard owns it now
    }
    // Clipboard history and the cloud clipboard already hold the user's contents once.
    KeepOutOfHistory();
}

void KeepOutOfHistory() {
    const DWORD no = 0;
    for (const wchar_t* name : {L"CanIncludeInClipboardHistory", L"CanUploadToCloudClipboard"}) {
        (void)PutOnClipboard(RegisterClipboardFormatW(name), &no, sizeof no);
    }
    (void)PutOnClipboard(RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing"), &no, sizeof no);
}

}  // namespace velmora
