// What a running process holds: GDI objects, USER objects and kernel handles, counted from outside for soak runs.
// Wine answers GetGuiResources and GetProcessHandleCount with 0, so the counts come from where Wine keeps them.
#pragma once
#include <windows.h>

#include <optional>

namespace automation {

struct ResourceCounts {
    int gdi = 0;     // live entries of the process's GDI handle table
    int user = 0;    // its windows, top-level and child (the USER objects a window program makes and loses)
    int kernel = 0;  // its kernel handles, from the system's handle list

    friend bool operator==(const ResourceCounts&, const ResourceCounts&) = default;
};

// Empty when one of the counts cannot be taken (the process has ended, access denied).
[[nodiscard]] std::optional<ResourceCounts> CountResources(HANDLE process, DWORD pid);

}  // namespace automation
