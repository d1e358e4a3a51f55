// Where the two programs take their libraries from. The installer runs elevated from a download folder, so a DLL
// that is looked for beside it is a DLL an attacker can plant there.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <map>
#include <set>
#include <vector>

#include "WinTestSupport.h"
#include "common/SystemFunction.h"
#include "win/Automation.h"

namespace {

struct ImportedFunction {
    std::string dll, name;  // dll in lower case; name empty for an import by ordinal
    DWORD iatRva;           // where the loader writes the function's address
};

struct Imports {
    std::set<std::string> dlls;  // lower case
    std::vector<ImportedFunction> functions;
    bool delayed = false;  // a delay-load directory: libraries loaded by name at their first call
    DWORD entryRva = 0, imageSize = 0;
};

// The import directory of a program of this build's own width, mapped as an image (sections at their addresses, nothing resolved).
std::optional<Imports> ReadImports(const std::wstring& path) {
    const HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) {
        return std::nullopt;
    }
    const auto* base = reinterpret_cast<const char*>(reinterpret_cast<std::uintptr_t>(module) & ~std::uintptr_t{3});
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const auto& directories = nt->OptionalHeader.DataDirectory;
    Imports imports;
    imports.entryRva = nt->OptionalHeader.AddressOfEntryPoint;
    imports.imageSize = nt->OptionalHeader.SizeOfImage;
    imports.delayed = directories[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT].VirtualAddress != 0;
    for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
             base + directories[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
         d->Name; ++d) {
        std::string dll = base + d->Name;
        std::transform(dll.begin(), dll.end(), dll.begin(), [](unsigned char c) { return std::tolower(c); });
        imports.dlls.insert(dll);
        const auto* thunk = reinterpret_cast<const ULONG_PTR*>(
            base + (d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk));
        for (DWORD i = 0; thunk[i]; ++i) {
            const bool byName = !(thunk[i] & IMAGE_ORDINAL_FLAG);
            imports.functions.push_back({dll, byName ? base + static_cast<DWORD>(thunk[i]) + 2 : "",
                                         static_cast<DWORD>(d->FirstThunk + sizeof(ULONG_PTR) * i)});
        }
    }
    FreeLibrary(module);
    return imports;
}

// Libraries that Windows always takes from the system folder (the KnownDLLs), plus the common controls, which come
// through the manifest from the side-by-side store.
const std::set<std::string> kSystemDlls = {
    "kernel32.dll", "user32.dll", "gdi32.dll",  "advapi32.dll", "shell32.dll", "shlwapi.dll", "ole32.dll",
    "oleaut32.dll", "comdlg32.dll", "msvcrt.dll", "imm32.dll",  "rpcrt4.dll",  "ws2_32.dll",  "comctl32.dll",
};

TEST(DllSearch, ProgramsImportOnlyLibrariesTheSystemFolderAlwaysGives) {
    struct Case {
        const char* program;
        std::set<std::string> extra;  // the client runs from the protected install folder and may use WinINet
    };
    const Case cases[] = {{INSTALL_EXE, {}}, {CLIENT_EXE, {"wininet.dll"}}};
    for (const Case& c : cases) {
        const auto imports = ReadImports(automation::WindowsPath(c.program));
        ASSERT_TRUE(imports) << c.program;
        EXPECT_TRUE(imports->dlls.count("kernel32.dll")) << "the import table was not read: " << c.program;
        EXPECT_FALSE(imports->delayed) << c.program;
        for (const std::string& dll : imports->dlls) {
            EXPECT_TRUE(kSystemDlls.count(dll) || c.extra.count(dll)) << c.program << " imports " << dll;
        }
    }
}

// Runs the program under the debugger up to its call of SetDefaultDllDirectories (or its end). From its entry
// point on, every library it loads is recorded, and so is every call its own code makes to an imported function
// other than the C runtime's and kernel32's (the start-up code's); kernel32's LoadLibrary family counts too.
struct StartRecord {
    bool entered = false, called = false;
    DWORD flags = 0;
    std::vector<std::string> before;  // libraries loaded and calls made before the call
};

class StartWatch {
  public:
    StartRecord Run(const std::wstring& program, const Imports& imports) {
        imports_ = &imports;
        std::wstring commandLine = L"\"" + program + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS,
                            nullptr, nullptr, &si, &pi)) {
            ADD_FAILURE() << "cannot start the program: " << GetLastError();
            return {};
        }
        process_ = pi.hProcess;
        bool ended = false, stopping = false;
        const DWORD deadline = GetTickCount() + 60000;
        while (!ended) {
            DEBUG_EVENT event{};
            if (!WaitForDebugEvent(&event, 1000)) {
                if (!stopping && GetTickCount() > deadline) {
                    ADD_FAILURE() << "the program neither called nor ended";
                    TerminateProcess(process_, 1);
                    stopping = true;
                }
                continue;
            }
            DWORD status = DBG_CONTINUE;
            switch (event.dwDebugEventCode) {
                case CREATE_PROCESS_DEBUG_EVENT:
                    base_ = reinterpret_cast<std::uintptr_t>(event.u.CreateProcessInfo.lpBaseOfImage);
                    threads_[event.dwThreadId] = event.u.CreateProcessInfo.hThread;
                    CloseHandle(event.u.CreateProcessInfo.hFile);
                    Arm(base_ + imports.entryRva, "entry point");
                    break;
                case CREATE_THREAD_DEBUG_EVENT:
                    threads_[event.dwThreadId] = event.u.CreateThread.hThread;
                    break;
                case LOAD_DLL_DEBUG_EVENT:
                    if (record_.entered && !record_.called) {
                        record_.before.push_back("loaded " + PathOf(event.u.LoadDll.hFile));
                    }
                    CloseHandle(event.u.LoadDll.hFile);
                    break;
                case EXCEPTION_DEBUG_EVENT:
                    status = OnException(event);
                    if (record_.called && !stopping) {
                        TerminateProcess(process_, 0);
                        stopping = true;
                    }
                    break;
                case EXIT_PROCESS_DEBUG_EVENT:
                    ended = true;
                    break;
                default:
                    break;
            }
            ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
        }
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        return record_;
    }

  private:
    void Arm(std::uintptr_t address, const std::string& what) {
        BYTE original = 0;
        const BYTE int3 = 0xCC;
        if (breakpoints_.count(address) || !ReadProcessMemory(process_, reinterpret_cast<void*>(address), &original, 1,
                                                              nullptr) ||
            !WriteProcessMemory(process_, reinterpret_cast<void*>(address), &int3, 1, nullptr)) {
            return;
        }
        FlushInstructionCache(process_, reinterpret_cast<void*>(address), 1);
        breakpoints_[address] = {what, original};
    }

    // The resolved import table: a breakpoint on every function whose call the start-up code has no need of.
    void ArmImports() {
        for (const ImportedFunction& f : imports_->functions) {
            ULONG_PTR address = 0;
            if (!ReadProcessMemory(process_, reinterpret_cast<void*>(base_ + f.iatRva), &address, sizeof address,
                                   nullptr)) {
                continue;
            }
            const bool loads = f.name.starts_with("LoadLibrary") || f.name.starts_with("LoadPackagedLibrary");
            if (f.name == "SetDefaultDllDirectories" || loads || (f.dll != "msvcrt.dll" && f.dll != "kernel32.dll")) {
                Arm(address, f.dll + "!" + (f.name.empty() ? "(ordinal)" : f.name));
            }
        }
    }

    DWORD OnException(const DEBUG_EVENT& event) {
        const EXCEPTION_RECORD& e = event.u.Exception.ExceptionRecord;
        if (e.ExceptionCode != EXCEPTION_BREAKPOINT) {
            return DBG_EXCEPTION_NOT_HANDLED;
        }
        const auto address = reinterpret_cast<std::uintptr_t>(e.ExceptionAddress);
        const auto hit = breakpoints_.find(address);
        if (hit == breakpoints_.end()) {
            return DBG_CONTINUE;  // the system's own breakpoint at start
        }
        // Each breakpoint fires once: the original byte goes back and the instruction runs again.
        const std::string what = hit->second.what;
        WriteProcessMemory(process_, reinterpret_cast<void*>(address), &hit->second.original, 1, nullptr);
        FlushInstructionCache(process_, reinterpret_cast<void*>(address), 1);
        breakpoints_.erase(hit);
        CONTEXT context{};
        context.ContextFlags = CONTEXT_CONTROL;
        const HANDLE thread = threads_[event.dwThreadId];
        GetThreadContext(thread, &context);
#ifdef _WIN64
        context.ContextFlags = CONTEXT_CONTROL | CONTEXT_INTEGER;  // the first argument travels in rcx
        GetThreadContext(thread, &context);
        context.Rip = address;
        const ULONG_PTR stackTop = context.Rsp;
#else
        context.Eip = static_cast<DWORD>(address);
        const ULONG_PTR stackTop = context.Esp;
#endif
        SetThreadContext(thread, &context);
        if (what == "entry point") {
            record_.entered = true;
            ArmImports();
            return DBG_CONTINUE;
        }
        // At the first instruction of the call: the return address on top of the stack, then (32-bit) the
        // first argument; a 64-bit call has its first argument in rcx.
        ULONG_PTR stack[2] = {};
        ReadProcessMemory(process_, reinterpret_cast<void*>(stackTop), stack, sizeof stack, nullptr);
#ifdef _WIN64
        stack[1] = context.Rcx;
#endif
        const bool fromProgram = stack[0] >= base_ && stack[0] < base_ + imports_->imageSize;
        if (!fromProgram || record_.called) {
            return DBG_CONTINUE;  // a library calling another: not the program's doing
        }
        if (what.ends_with("!SetDefaultDllDirectories")) {
            record_.called = true;
            record_.flags = static_cast<DWORD>(stack[1]);
        } else {
            record_.before.push_back("called " + what);
        }
        return DBG_CONTINUE;
    }

    static std::string PathOf(HANDLE file) {
        wchar_t wide[MAX_PATH] = {};
        char path[MAX_PATH] = "(unnamed)";
        if (file && GetFinalPathNameByHandleW(file, wide, MAX_PATH, 0)) {
            WideCharToMultiByte(CP_UTF8, 0, wide, -1, path, MAX_PATH, nullptr, nullptr);
        }
        return path;
    }

    struct Breakpoint {
        std::string what;
        BYTE original;
    };
    const Imports* imports_ = nullptr;
    HANDLE process_ = nullptr;
    std::uintptr_t base_ = 0;
    std::map<std::uintptr_t, Breakpoint> breakpoints_;
    std::map<DWORD, HANDLE> threads_;
    StartRecord record_;
};

TEST(DllSearch, BothProgramsLimitTheSearchToTheSystemFolderBeforeAnythingElse) {
    const std::wstring folder = testsupport::ScratchFolder(L"dllsearch");
    for (const char* program : {INSTALL_EXE, CLIENT_EXE}) {
        const std::wstring source = automation::WindowsPath(program);
        const auto imports = ReadImports(source);
        ASSERT_TRUE(imports) << program;
        // A copy in a folder of its own, away from anything the build put beside it.
        const std::wstring copy = folder + source.substr(source.find_last_of(L'\\'));
        ASSERT_TRUE(CopyFileW(source.c_str(), copy.c_str(), FALSE));
        const StartRecord record = StartWatch().Run(copy, *imports);
        EXPECT_TRUE(record.entered) << program;
        EXPECT_TRUE(record.called) << program << " never called SetDefaultDllDirectories";
        EXPECT_EQ(record.flags, static_cast<DWORD>(LOAD_LIBRARY_SEARCH_SYSTEM32)) << program;
        for (const std::string& step : record.before) {
            ADD_FAILURE() << program << " " << step << " before limiting the library search";
        }
    }
    testsupport::RemoveTree(folder);
}

// An optional function is looked up in the system folder alone: a loadable DLL of that name in the current folder
// (the download folder the installer is started from) is never taken.
TEST(DllSearch, OptionalFunctionsComeFromTheSystemFolderOnly) {
    const std::wstring folder = testsupport::ScratchFolder(L"plant");
    wchar_t system[MAX_PATH];
    ASSERT_TRUE(GetSystemDirectoryW(system, MAX_PATH) && CopyFileW((std::wstring(system) + L"\\wtsapi32.dll").c_str(),
                                                                   (folder + L"\\velplant.dll").c_str(), FALSE));
    ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str()));
    EXPECT_EQ(common::SystemFunction<FARPROC>(L"velplant.dll", "WTSQuerySessionInformationW"), nullptr);
    EXPECT_NE(common::SystemFunction<FARPROC>(L"wtsapi32.dll", "WTSQuerySessionInformationW"), nullptr);
    const HMODULE plant = LoadLibraryW(L"velplant.dll");  // only now: a loaded module would be found by its name
    EXPECT_TRUE(plant) << "the plant must be loadable by the usual search for the test to mean anything";
    FreeLibrary(plant);
    SetCurrentDirectoryW(system);
    testsupport::RemoveTree(folder);
}

}  // namespace
