#include "win/ResourceCounts.h"

#include <winternl.h>

#include <cstdint>
#include <vector>

namespace automation {
namespace {

// The layout of one entry of the GDI handle table that the PEB points to (32-bit process, Wine and Windows).
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
constexpr std::size_t kPebGdiTableOffset = 0x94;  // PEB.GdiSharedHandleTable in a 32-bit process

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
    DWORD table = 0;
    if (!ReadProcessMemory(process, reinterpret_cast<const BYTE*>(basic.PebBaseAddress) + kPebGdiTableOffset, &table,
                           sizeof table, nullptr) ||
        !table) {
        return std::nullopt;
    }
    std::vector<GdiHandleEntry> entries(kGdiTableEntries);
    if (!ReadProcessMemory(process, reinterpret_cast<void*>(static_cast<std::uintptr_t>(table)), entries.data(),
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
    std::vector<BYTE> buffer(1 << 20);
    for (;;) {
        ULONG needed = 0;
        const NTSTATUS status = Ntdll<Query>("NtQuerySystemInformation")(
            kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == 0) {
            break;
        }
        if (status != static_cast<NTSTATUS>(0xC0000004) || buffer.size() > (64u << 20)) {  // STATUS_INFO_LENGTH_MISMATCH
            return std::nullopt;
        }
        buffer.resize(buffer.size() * 2);
    }
    const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
    const auto* entries = reinterpret_cast<const SystemHandleEntry*>(buffer.data() + sizeof(ULONG_PTR));
    int owned = 0;
    for (ULONG i = 0; i < count; ++i) {
        owned += entries[i].ownerPid == pid;
    }
    return owned;
}

struct WindowCount {
    DWORD pid;
    int windows;
};

BOOL CALLBACK CountChild(HWND hwnd, LPARAM param) {
    auto* count = reinterpret_cast<WindowCount*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    count->windows += owner == count->pid;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND hwnd, LPARAM param) {
    CountChild(hwnd, param);
    EnumChildWindows(hwnd, CountChild, param);  // all descendants, not only direct children
    return TRUE;
}

}  // namespace

std::optional<ResourceCounts> CountResources(HANDLE process, DWORD pid) {
    const auto gdi = GdiObjects(process);
    const auto kernel = KernelHandles(pid);
    if (!gdi || !kernel) {
        return std::nullopt;
    }
    WindowCount windows{pid, 0};
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&windows));
    // Windows that live on other desktops or as message-only windows are not seen; the installer makes none.
    return ResourceCounts{*gdi, windows.windows, *kernel};
}

}  // namespace automation
