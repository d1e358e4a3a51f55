// Looking up a function that not every Windows has, or that lives in a DLL the program will not import statically.
#pragma once
#include <windows.h>

namespace common {

// A DLL from the system folder only, never from the program's folder or the current folder, where a file of the
// same name may have been planted (an elevated installer runs from the download folder). The module stays loaded
// for the life of the process, so that the functions taken from it stay valid. nullptr when it is missing.
[[nodiscard]] inline HMODULE SystemModule(const wchar_t* dllName) {
    return LoadLibraryExW(dllName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// The function `name` of the system DLL `dllName`, as the pointer type Fn (decltype(&TheFunction) where the SDK
// declares it); nullptr when the DLL or the function is missing, which the caller must handle.
template <typename Fn>
[[nodiscard]] Fn SystemFunction(const wchar_t* dllName, const char* name) {
    const HMODULE module = SystemModule(dllName);
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace common
