#include "win/ResourceCounts.h"

#include <winternl.h>

#include <cstdint>
#include <vector>

#include "win/Automation.h"

namespace automation {
namespace {

// The layout of one entry of the GDI handle table that the PEB points to (the same for 32- and 64-bit processes,
// Wine and Windows).
struct GdiHandleEntry {
    std::uint64_t object;
    std::uint32_t owner;
    std::uint16_t unique;
    std::uint8_t type;  // 0: a free entry
    std::uint8_t flags;
    std::uint64_t userPointer;
};
static_assert(sizeof(GdiHandleEntry) == 24);
constexpr std::size_t kGdiTableEntries = 0x10000;
// PEB.GdiSharedHandleTable: a pointer, at another place in a 64-bit process's PEB.
#ifdef _WIN64
constexpr std::size_t kPebGdiTableOffset = 0xF8;
#else
constexpr std::size_t kPebGdiTableOffset = 0x94;
#endif

// SYSTEM_HANDLE_INFORMATION's entries (information class 16).
struct SystemHandleEntry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    PVOID object;
    ACCESS_MASK access;
};
constexpr ULONG kSystemHandleInformation = 16;

template <typename F>
F Ntdll(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name)));
}

std::optional<int> GdiObjects(HANDLE process) {
    using Query = NTSTATUS(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    PROCESS_BASIC_INFORMATION basic{};
    if (Ntdll<Query>("NtQueryInformationProcess")(process, ProcessBasicInformation, &basic, sizeof basic, nullptr)) {
        return std::nullopt;
    }
    ULONG_PTR table = 0;
    if (!ReadProcessMemory(process, reinterpret_cast<const BYTE*>(basic.PebBaseAddress) + kPebGdiTableOffset, &table,
                           sizeof table, nullptr) ||
        !table) {
        return std::nullopt;
    }
    std::vector<GdiHandleEntry> entries(kGdiTableEntries);
    if (!ReadProcessMemory(process, reinterpret_cast<void*>(table), entries.data(),
                           entries.size() * sizeof(GdiHandleEntry), nullptr)) {
        return std::nullopt;
    }
    int live = 0;
    for (const GdiHandleEntry& e : entries) {
        live += e.type != 0;
    }
    return live;
}

std::optional<int> KernelHandles(DWORD pid) {
    using Query = NTSTATUS(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    constexpr NTSTATUS kLengthMismatch = static_cast<NTSTATUS>(0xC0000004);
    std::vector<BYTE> buffer(1 << 20);
    NTSTATUS status = 0;
    while ((status = Ntdll<Query>("NtQuerySystemInformation")(kSystemHandleInformation, buffer.data(),
                                                              static_cast<ULONG>(buffer.size()), nullptr)) ==
               kLengthMismatch &&
           buffer.size() < (64u << 20)) {
        buffer.resize(buffer.size() * 2);
    }
    if (status != 0) {
        return std::nullopt;
    }
    const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
    const auto* entries = reinterpret_cast<const SystemHandleEntry*>(buffer.data() + sizeof(ULONG_PTR));
    int owned = 0;
    for (ULONG i = 0; i < count; ++i) {
        owned += entries[i].ownerPid == pid;
    }
    return owned;
}

}  // namespace

std::optional<ResourceCounts> CountResources(HANDLE process, DWORD pid) {
    const auto gdi = GdiObjects(process);
    const auto kernel = KernelHandles(pid);
    if (!gdi || !kernel) {
        return std::nullopt;
    }
    // Windows that live on other desktops or as message-only windows are not seen; the installer makes none.
    int windows = 0;
    for (HWND w : TopLevelWindows(pid, false)) {
        windows += 1 + static_cast<int>(Children(w).size());
    }
    return ResourceCounts{*gdi, windows, *kernel};
}

}  // namespace automation
