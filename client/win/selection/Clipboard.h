// The clipboard as the client uses it: opened with a short retry, memory put on it, and a snapshot of the user's
// contents that outlives the program that put them there.
#pragma once
#include <windows.h>

#include <cstddef>
#include <optional>
#include <vector>

#include "common/Handles.h"

namespace velmora {

// Another program, or Wine's bridge to the X clipboard, may hold the clipboard for a moment.
[[nodiscard]] bool OpenClipboardWithRetry(HWND owner, DWORD waitMs = 500);

// Call with the clipboard open: puts a copy of the bytes on it. The clipboard owns the copy once this succeeds;
// on failure nothing is left allocated.
[[nodiscard]] bool PutOnClipboard(UINT format, const void* bytes, std::size_t size);

// Call with the clipboard open: marks what is on it to be kept out of the clipboard history, the cloud clipboard
// and the programs that watch the clipboard.
void KeepOutOfHistory();

// The clipboard is one per session, so two starts of this user (a key pressed twice) would save each other's
// contents as the user's. A start holds this while it puts contents of its own there; nothing when another start
// held it for `waitMs`.
struct MutexReleaser {
    void operator()(HANDLE h) const {
        ReleaseMutex(h);
        CloseHandle(h);
    }
};
using CopyLock = common::Unique<HANDLE, MutexReleaser>;
[[nodiscard]] CopyLock TakeCopyLock(DWORD waitMs);
// Another start holds the lock for its snapshot, copy wait, reading, grace and restore: as a rule well under this; a
// start that waited longer gives up with its box.
inline constexpr DWORD kCopyLockWaitMs = 10000;
// Reading the user's clipboard may neither hang the client nor exhaust its memory (a 32-bit process): within these
// budgets, or not used.
inline constexpr DWORD kSnapshotBudgetMs = 1000;
inline constexpr std::size_t kSnapshotBudgetBytes = 128u << 20;

// What the user had on the clipboard. Kept: every format whose data is plain memory (text in each encoding, HTML,
// RTF, copied files, device-independent bitmaps, programs' own registered formats) and the enhanced metafile. Not
// kept, since their data is a handle only their owner understands: bitmaps and palettes (Windows makes CF_BITMAP
// again from the CF_DIB that is kept), old metafile pictures (made again from the enhanced metafile),
// owner-display formats and the private and GDI-object ranges.
class ClipboardSnapshot {
  public:
    enum class Status { Whole, Busy, TooSlow, TooLarge, Incomplete };

    // Reads the clipboard on a worker thread: a program that never renders a delayed format is left waiting
    // there after `budgetMs`, and the snapshot does not hold more than `budgetBytes` (pictures counted). A format
    // that gives nothing (a delayed one its owner did not render) makes it Incomplete: not whole.
    [[nodiscard]] static Status Take(ClipboardSnapshot& into, DWORD budgetMs, std::size_t budgetBytes);

    // Call with the clipboard open: replaces whatever is there by the snapshot, marked to be kept out of the
    // clipboard history and the cloud clipboard, where it would show up as a second copy.
    void Restore();

  private:
    struct Format {
        UINT format;
        std::vector<BYTE> bytes;
    };
    struct MetafileDeleter {
        void operator()(HENHMETAFILE h) const { DeleteEnhMetaFile(h); }
    };
    [[nodiscard]] Status Read(ULONGLONG deadline, std::size_t budgetBytes);

    std::vector<Format> formats_;
    common::Unique<HENHMETAFILE, MetafileDeleter> metafile_;
};

}  // namespace velmora
