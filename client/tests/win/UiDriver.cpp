#include "UiDriver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <wincred.h>

#include "win/Automation.h"

namespace uidriver {

const std::wstring kSettingsFolder = std::wstring(_wgetenv(L"APPDATA") ? _wgetenv(L"APPDATA") : L"C:") + L"\\Velmora";
const std::wstring kSettingsFile = kSettingsFolder + L"\\velmora.ini";

standin::Server* ClientTest::server_ = nullptr;

void ClientTest::SetUpTestSuite() {
    server_ = new standin::Server;
    ASSERT_TRUE(server_->StartTls());
}

void ClientTest::TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
}

void ClientTest::SetUp() {
    CreateDirectoryW(kSettingsFolder.c_str(), nullptr);
    if (const std::string bytes = ReadIni(); bytes != "(missing)") {
        saved_ = bytes;
    }
    ASSERT_TRUE(DeleteFileW(kSettingsFile.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND);
}

void ClientTest::TearDown() {
    client_ = automation::Process();  // ends the client first: it may still write the file
    server_->SetTranslation("");
    if (saved_) {
        WriteIni(*saved_);
    } else {
        DeleteFileW(kSettingsFile.c_str());
    }
}

HWND ClientTest::OpenPopup(POINT cursor, const std::wstring& argument) {
    // Moved as a user would: under Wine a SetCursorPos alone does not always reach a program started next.
    automation::MoveMouse(cursor);
    SetCursorPos(cursor.x, cursor.y);
    auto process = automation::Launch(L"\"" + automation::WindowsPath(VELMORA_CLIENT_EXE) + L"\" " + argument,
                                      {{L"VELMORA_EXCITE_HOST", server_->HostW()}});
    EXPECT_TRUE(process);
    if (!process) {
        return nullptr;
    }
    client_ = std::move(*process);
    popup_ = automation::WaitForWindow(client_.Pid(), L"VelmoraForm2", L"Form2", 20000);
    Sleep(400);
    return popup_;
}

HWND ClientTest::OpenMenu() {
    POINT at{8, 40};
    ClientToScreen(popup_, &at);
    automation::ClickAt(at, true);
    automation::WaitUntil([&] { return !OpenMenus(client_.Pid()).empty(); }, 3000);
    const auto menus = OpenMenus(client_.Pid());
    return menus.empty() ? nullptr : menus.front();
}

bool ClientTest::StartClient(const std::wstring& argument) {
    auto process = automation::Launch(L"\"" + automation::WindowsPath(VELMORA_CLIENT_EXE) + L"\" " + argument,
                                      {{L"VELMORA_EXCITE_HOST", server_->HostW()},
                                       {L"VELMORA_INFOSEEK_HOST", server_->HostW()},
                                       {L"VELMORA_DEEPL_HOST", server_->TlsHostW()}});
    if (process) {
        client_ = std::move(*process);
    }
    return process.has_value();
}

std::string ReadIni() {
    std::ifstream in(std::filesystem::path(kSettingsFile), std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : std::string("(missing)");
}

void WriteIni(const std::string& bytes) {
    std::ofstream(std::filesystem::path(kSettingsFile), std::ios::binary | std::ios::trunc) << bytes;
}

namespace {
constexpr wchar_t kServiceKey[] = L"Software\\Velmora";
constexpr const wchar_t* kServiceValues[] = {L"Service", L"LibreTranslateUrl", L"OpenAIUrl", L"OpenAIModel",
                                             L"AzureRegion"};
constexpr const wchar_t* kCredentials[] = {L"Velmora/DeepL", L"Velmora/LibreTranslate", L"Velmora/OpenAI"};

bool WriteCredential(const wchar_t* target, const StoredCredential& stored) {
    CREDENTIALW credential{};
    credential.Type = CRED_TYPE_GENERIC;
    credential.TargetName = const_cast<wchar_t*>(target);
    credential.UserName = stored.userName.empty() ? nullptr : const_cast<wchar_t*>(stored.userName.c_str());
    credential.Persist = stored.persist;
    credential.CredentialBlobSize = stored.blobBytes;
    credential.CredentialBlob = reinterpret_cast<BYTE*>(const_cast<wchar_t*>(stored.blob.data()));
    return CredWriteW(&credential, 0) != FALSE;
}
}  // namespace

RegistryData RegistryValue(const wchar_t* name) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, kServiceKey, name, RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::vector<BYTE> bytes(size);
    if (RegGetValueW(HKEY_CURRENT_USER, kServiceKey, name, RRF_RT_ANY | RRF_NOEXPAND, &type, bytes.data(), &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    bytes.resize(size);
    return std::pair{type, bytes};
}

void SetRegistryValue(const wchar_t* name, DWORD type, const void* bytes, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kServiceKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(bytes), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

std::optional<StoredCredential> ReadCredential(const wchar_t* target) {
    PCREDENTIALW credential = nullptr;
    if (!CredReadW(target, CRED_TYPE_GENERIC, 0, &credential)) {
        return std::nullopt;
    }
    StoredCredential stored;
    stored.blobBytes = credential->CredentialBlobSize;
    stored.blob.assign(reinterpret_cast<const wchar_t*>(credential->CredentialBlob),
                       credential->CredentialBlobSize / sizeof(wchar_t));
    stored.persist = credential->Persist;
    stored.userName = credential->UserName ? credential->UserName : L"";
    CredFree(credential);
    return stored;
}

void ChooseService(const wchar_t* service, const std::wstring& libreTranslateUrl, const wchar_t* key) {
    // The chat service takes the URL as its own, with a model that the stand-in accepts.
    const bool chat = std::wstring(service) == L"openai";
    const std::wstring values[] = {service, chat ? L"" : libreTranslateUrl, chat ? libreTranslateUrl : L"",
                                   chat ? L"test-model" : L""};
    for (int i = 0; i < 4; ++i) {
        SetRegistryValue(kServiceValues[i], REG_SZ, values[i].c_str(),
                         static_cast<DWORD>((values[i].size() + 1) * sizeof(wchar_t)));
    }
    if (key) {
        EXPECT_TRUE(
            WriteCredential(std::wstring(service) == L"azure" ? L"Velmora/Azure"
                            : kCredentials[std::wstring(service) == L"deepl" ? 0 : chat ? 2 : 1],
                            {key, static_cast<DWORD>(wcslen(key) * sizeof(wchar_t)), CRED_PERSIST_LOCAL_MACHINE, L""}));
    }
}

SavedServiceSettings::SavedServiceSettings() {
    for (const wchar_t* name : kServiceValues) {
        values_.emplace_back(name, RegistryValue(name));
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kServiceKey, name);
    }
    for (const wchar_t* target : kCredentials) {
        keys_.emplace_back(target, ReadCredential(target));
        CredDeleteW(target, CRED_TYPE_GENERIC, 0);
    }
}

SavedServiceSettings::~SavedServiceSettings() {
    for (const auto& [name, value] : values_) {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kServiceKey, name);
        if (value) {
            SetRegistryValue(name, value->first, value->second.data(), static_cast<DWORD>(value->second.size()));
        }
    }
    for (const auto& [target, stored] : keys_) {
        CredDeleteW(target, CRED_TYPE_GENERIC, 0);
        if (stored) {
            WriteCredential(target, *stored);
        }
    }
}

COLORREF ScreenPixel(HWND window, int x, int y) {
    POINT p{x, y};
    ClientToScreen(window, &p);
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    return c;
}

HWND Child(HWND parent, const wchar_t* cls, int index) {
    for (HWND child : automation::Children(parent)) {
        if (GetParent(child) == parent && automation::ClassName(child) == cls && index-- == 0) {
            return child;
        }
    }
    return nullptr;
}

HWND ChildWithText(HWND parent, const wchar_t* text) {
    for (HWND child : automation::Children(parent)) {
        if (automation::WindowText(child) == text) {
            return child;
        }
    }
    return nullptr;
}

POINT Center(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

RECT PlaceOf(HWND window, HWND parent, bool clientArea) {
    RECT r{};
    if (clientArea) {
        GetClientRect(window, &r);
        MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    } else {
        GetWindowRect(window, &r);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    }
    return r;
}

POINT CloseBox(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    for (int x = r.right - 1; x > r.left; --x) {
        for (int y = r.top; y < r.top + 40; ++y) {
            if (SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) {
                return {x - 4, y + 4};
            }
        }
    }
    ADD_FAILURE() << "no close box";
    return {-1, -1};
}

void Key(WORD vk, WORD modifier) {
    INPUT in[4] = {};
    int n = 0;
    for (const auto& [key, up] : {std::pair{modifier, false}, {vk, false}, {vk, true}, {modifier, true}}) {
        if (key) {
            in[n].type = INPUT_KEYBOARD;
            in[n].ki.wVk = key;
            in[n++].ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        }
    }
    SendInput(n, in, sizeof *in);
    Sleep(200);
}

void Type(const std::wstring& text) {
    for (wchar_t c : text) {
        INPUT in[2] = {};
        for (int i = 0; i < 2; ++i) {
            in[i].type = INPUT_KEYBOARD;
            in[i].ki.wScan = c;
            in[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
        }
        SendInput(2, in, sizeof *in);
    }
    Sleep(200);
}

// Wine's bridge to the X clipboard can hold the clipboard for a moment.
bool OpenTheClipboard() {
    return automation::WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }, 2000);
}

std::wstring ClipboardText() {
    std::wstring text = L"(nothing)";
    if (OpenTheClipboard()) {
        HANDLE data = GetClipboardData(CF_UNICODETEXT);
        if (const auto* p = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr) {
            text = p;
            GlobalUnlock(data);
        }
        CloseClipboard();
    }
    return text;
}

void SetClipboardText(const std::wstring& text) {
    ASSERT_TRUE(OpenTheClipboard());
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
}

std::wstring PopupText(DWORD pid, DWORD timeoutMs) {
    HWND popup = automation::WaitForWindow(pid, L"VelmoraForm2", L"Form2", timeoutMs);
    HWND text = popup ? Child(popup, L"Edit") : nullptr;
    return text ? automation::WindowText(text) : L"(no popup)";
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

// Another process cannot read a menu under Wine, so a menu is known by its window and its items by their place.
std::vector<HWND> OpenMenus(DWORD pid) {
    std::vector<HWND> menus = automation::TopLevelWindows(pid, true);
    std::erase_if(menus, [](HWND hwnd) { return automation::ClassName(hwnd) != L"#32768"; });
    return menus;
}

void ClickMenuItem(HWND menu, int item, int items) {
    RECT r{};
    GetClientRect(menu, &r);
    POINT at{r.right / 2, r.bottom * (2 * item + 1) / (2 * items)};
    ClientToScreen(menu, &at);
    automation::ClickAt(at);
}

void ChooseFromList(DWORD pid, HWND combo, int item) {
    RECT r{};
    GetWindowRect(combo, &r);
    automation::ClickAt({r.right - 8, (r.top + r.bottom) / 2});
    HWND list = automation::WaitForWindow(pid, L"ComboLBox", nullptr, 3000);
    ASSERT_TRUE(list);
    const auto height = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    POINT at{20, (item - static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0))) * height + height / 2};
    ClientToScreen(list, &at);
    automation::ClickAt(at);
}

}  // namespace uidriver
