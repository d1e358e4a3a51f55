// The hand-over from a menu script to the client: the script's VBScript block, run by Windows' own script host,
// must start the installed velmora.exe with the request code followed directly by the selection.
#include <windows.h>
// These two need the types of windows.h first.
#include <tlhelp32.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include "InstallerDriver.h"
#include "WinTestSupport.h"
#include "standin/Standin.h"
#include "win/MenuScriptFile.h"

namespace testsupport {
namespace {

// The first velmora.exe whose parent is the given process.
DWORD ChildClient(DWORD parent) {
    const common::UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ParentProcessID == parent && _wcsicmp(entry.szExeFile, L"velmora.exe") == 0) {
            return entry.th32ProcessID;
        }
    }
    return 0;
}

// The command line exactly as the process was given it, read from its process parameters.
std::wstring CommandLineOf(HANDLE process) {
    using QueryFn = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic{};
    PEB peb{};
    RTL_USER_PROCESS_PARAMETERS parameters{};
    if (!query || query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0 ||
        !ReadProcessMemory(process, basic.PebBaseAddress, &peb, sizeof peb, nullptr) ||
        !ReadProcessMemory(process, peb.ProcessParameters, &parameters, sizeof parameters, nullptr)) {
        return L"(unreadable)";
    }
    std::wstring line(parameters.CommandLine.Length / sizeof(wchar_t), L'\0');
    ReadProcessMemory(process, parameters.CommandLine.Buffer, line.data(), parameters.CommandLine.Length, nullptr);
    return line;
}

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(bytes.substr(start, end - start));
    }
    return lines;
}

TEST(HandOver, ScriptHostStartsTheClientWithCodeAndSelection) {
    ClearInstallation();
    ASSERT_TRUE(CreateDirectoryW(kInstallFolder.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(automation::WindowsPath(CLIENT_EXE).c_str(), kInstalledClient.c_str(), FALSE));
    const std::wstring script = kInstallFolder + L"\\E_J.html";
    ASSERT_TRUE(installer::WriteMenuScript(script, u"EJhnA"));
    const auto lines = Lines(ReadBytes(script).value_or(""));
    ASSERT_EQ(lines.size(), 23u);
    ASSERT_EQ(lines[18], "<script language=\"VBScript\" defer>");

    // What the browser's first block leaves in `url` for a selection with a quote and a line break.
    const std::wstring selection = L"Say \"hi\"%0Dnow";
    std::string vbs = "url = \"Say \"\"hi\"\"%0Dnow\"\r\n";
    for (int line = 19; line < 22; ++line) {
        vbs += lines[line] + "\r\n";
    }
    const std::wstring vbsPath = ScratchFolder(L"handover") + L"\\block.vbs";
    ASSERT_TRUE(WriteBytes(vbsPath, vbs));

    standin::Server server;
    ASSERT_TRUE(server.Start());
    auto host = automation::Launch(L"C:\\windows\\system32\\cscript.exe //nologo \"" + vbsPath + L"\"",
                                   {{L"VELMORA_EXCITE_HOST", server.HostW()}});
    ASSERT_TRUE(host);
    DWORD clientPid = 0;
    ASSERT_TRUE(automation::WaitUntil([&] { return (clientPid = ChildClient(host->Pid())) != 0; }, kWaitMs));
    automation::Process client(OpenProcess(PROCESS_ALL_ACCESS, FALSE, clientPid), clientPid);
    EXPECT_EQ(CommandLineOf(client.Handle()), L"\"C:\\Program Files\\Velmora\\velmora.exe\" EJhnA" + selection);
    EXPECT_TRUE(host->WaitExit(kWaitMs));  // the script does not wait for the client

    HWND popup = automation::WaitForWindow(clientPid, L"VelmoraForm2", L"Form2", 30000);
    ASSERT_TRUE(popup);
    std::wstring shown;
    for (HWND child : automation::Children(popup)) {
        if (automation::ClassName(child) == L"Edit") {
            shown = automation::WindowText(child);
        }
    }
    // The stand-in answers unknown text with a marked copy; how the client shows the line break is its own affair.
    EXPECT_EQ(shown.rfind(L"【訳】Say \"hi\"", 0), 0u) << shown.size();
    EXPECT_EQ(shown.substr(shown.size() - 3), L"now");
    const auto requests = server.RequestLines();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_NE(requests[0].find("/world/text/"), std::string::npos) << requests[0];
    RemoveTree(vbsPath.substr(0, vbsPath.rfind(L'\\')));
}

}  // namespace
}  // namespace testsupport
