// The service choice in the registry, and the service window: in this process with a key store of the test's own,
// and in the real velmora.exe, driven with the keyboard.
#include <windows.h>
// After windows.h, which it needs.
#include <wincred.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <tuple>

#include "core/Messages.h"
#include "UiDriver.h"
#include "common/Poll.h"
#include "win/Automation.h"
#include "win/services/ServiceStore.h"
#include "win/services/ServiceWindow.h"

namespace {

using namespace uidriver;
using velmora::ServiceKind;

std::vector<BYTE> Sz(const std::wstring& text) {
    const auto* p = reinterpret_cast<const BYTE*>(text.c_str());
    return std::vector<BYTE>(p, p + (text.size() + 1) * sizeof(wchar_t));
}
std::optional<std::pair<DWORD, std::vector<BYTE>>> SzValue(const std::wstring& text) {
    return std::pair(DWORD{REG_SZ}, Sz(text));
}

class ServiceStorage : public testing::Test {
  protected:
    SavedServiceSettings saved_;
};

// What the window saves is read back by the window tests below; here, what else may be found there.
TEST_F(ServiceStorage, OnlyExactTextValuesChoose) {
    const struct {
        DWORD type;
        std::vector<BYTE> service;
        ServiceKind kind;
    } cases[] = {
        {REG_SZ, Sz(L"libretranslate"), ServiceKind::LibreTranslate},
        {REG_SZ, Sz(L"DeepL"), ServiceKind::Google},
        {REG_SZ, Sz(L"page"), ServiceKind::Page},
        {REG_SZ, {'d', 0, 'e', 0, 'e', 0, 'p', 0, 'l', 0}, ServiceKind::DeepL},
        {REG_DWORD, {1, 0, 0, 0}, ServiceKind::Google},
        {REG_EXPAND_SZ, Sz(L"deepl"), ServiceKind::Google},
        {REG_SZ, {}, ServiceKind::Google},
    };
    EXPECT_EQ(velmora::LoadServiceChoice().kind, ServiceKind::Google);
    for (const auto& c : cases) {
        SetRegistryValue(L"Service", c.type, c.service.data(), static_cast<DWORD>(c.service.size()));
        EXPECT_EQ(velmora::LoadServiceChoice().kind, c.kind) << c.type << ' ' << c.service.size();
    }
    SetRegistryValue(L"LibreTranslateUrl", REG_BINARY, "http", 4);
    EXPECT_EQ(velmora::LoadServiceChoice().libreTranslateUrl, L"");
    const std::vector<BYTE> huge = Sz(L"http://" + std::wstring(4090, L'h'));  // 4,097 characters: no address
    SetRegistryValue(L"LibreTranslateUrl", REG_SZ, huge.data(), static_cast<DWORD>(huge.size()));
    EXPECT_EQ(velmora::LoadServiceChoice().libreTranslateUrl, L"");
}

// A Credential Manager that holds a DeepL key and refuses every change.
class RefusingCredentials : public velmora::CredentialStore {
  public:
    std::optional<velmora::SecretText> Read(const wchar_t* target) override {
        return std::wstring_view(target) == velmora::CredentialOf(velmora::ServiceKind::DeepL) ? std::optional(velmora::SecretText(L"k:fx", 4))
                                                                       : std::nullopt;
    }
    bool Write(const wchar_t*, const velmora::SecretText&, std::wstring_view) override {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    std::wstring Origin(const wchar_t*) override { return {}; }
    bool Remove(const wchar_t*) override { return false; }
};

// A new key is written before the choice, a removal after it; each report names what was not saved.
TEST_F(ServiceStorage, AKeyThatCannotBeStoredOrRemovedIsReportedAndTheChoiceWaitsOnlyForNewKeys) {
    RefusingCredentials store;
    velmora::ServiceWindow form(store);
    ASSERT_TRUE(form.Show(false));
    // The box is modal on this thread; another one reads and answers it.
    auto okBox = [&] {
        std::optional<automation::MessageBoxInfo> box;
        std::thread answer([&] {
            box = automation::WaitForMessageBox(GetCurrentProcessId(), 5000);
            automation::PressButton(box ? box->hwnd : nullptr, IDOK);
        });
        SendMessageW(ChildWithText(form.hwnd(), L"OK"), BM_CLICK, 0, 0);
        answer.join();
        return box ? box->text : L"";
    };
    SendMessageW(ChildWithText(form.hwnd(), L"DeepL API(&D)"), BM_CLICK, 0, 0);
    SetWindowTextW(Child(form.hwnd(), L"Edit", 0), L"new-key");
    EXPECT_EQ(okBox().rfind(L"DeepL の API キーを Windows の資格情報マネージャーに保存できませんでした。\r\n", 0), 0u);
    EXPECT_TRUE(IsWindowVisible(form.hwnd()));
    EXPECT_FALSE(RegistryValue(L"Service"));
    SendMessageW(ChildWithText(form.hwnd(), L"キーを削除(&E)"), BM_CLICK, 0, 0);
    SendMessageW(ChildWithText(form.hwnd(), L"翻訳ページ（依頼コードのとおり Excite / infoseek）(&P)"), BM_CLICK, 0, 0);
    EXPECT_EQ(okBox().rfind(L"DeepL の API キーを Windows の資格情報マネージャーから削除できませんでした。", 0), 0u);
    EXPECT_EQ(RegistryValue(L"Service"), SzValue(L"page"));
    EXPECT_TRUE(IsWindowVisible(form.hwnd()));
    DestroyWindow(form.hwnd());
}

// The real client's service window, started alone with "/settings" or from the popup's menu.
class ServiceWindow : public ClientTest {
  protected:
    HWND OpenAlone() {
        client_ = automation::Process();
        HWND window = StartClient(L"/settings")
                          ? automation::WaitForWindow(client_.Pid(), L"VelmoraForm4", L"翻訳サービス", 10000)
                          : nullptr;
        Sleep(300);
        return window;
    }
    // Closes the window with a key; the program ends with it.
    void CloseWith(WORD key) {
        Key(key);
        DWORD code = 1;
        EXPECT_TRUE(client_.WaitExit(5000, &code));
        EXPECT_EQ(code, 0u);
    }

    SavedServiceSettings services_;
};

ULONGLONG Ticks(FILETIME time) {
    return ULONGLONG{time.dwHighDateTime} << 32 | time.dwLowDateTime;
}

// The files under a folder (the Wine prefix when none) written since `since` that hold the text, as ASCII or
// UTF-16. Linked folders are left out: Wine's drive links lead to the whole file system.
std::vector<std::wstring> FilesHolding(const std::wstring& text, ULONGLONG since, std::wstring folder = L"") {
    if (folder.empty()) {
        wchar_t prefix[MAX_PATH] = {};
        GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH);
        folder = automation::WindowsPath(std::filesystem::path(prefix).string().c_str());
    }
    std::vector<std::wstring> found;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &data)) {
        const std::wstring name = data.cFileName, path = folder + L"\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (name != L"." && name != L".." && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                std::ranges::copy(FilesHolding(text, since, path), std::back_inserter(found));
            }
        } else if (Ticks(data.ftLastWriteTime) >= since) {
            std::ifstream in(std::filesystem::path(path), std::ios::binary);
            const std::string bytes(std::istreambuf_iterator<char>(in), {});
            const std::string utf16(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
            if (bytes.find(std::string(text.begin(), text.end())) != std::string::npos ||
                bytes.find(utf16) != std::string::npos) {
                found.push_back(path);
            }
        }
    }
    FindClose(find);
    return found;
}

TEST_F(ServiceWindow, AKeyIsSavedOnOkNeverShownAgainAndGoesOnlyWithTheButtonAndOk) {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const ULONGLONG started = Ticks(now) - 20'000'000;  // 2 s before
    const std::wstring key = L"vk-7f3a9c2e-41d8-9b1e-test:fx";
    HWND window = OpenAlone();
    ASSERT_TRUE(window);
    EXPECT_TRUE(ChildWithText(window, L"キーは保存されていません。"));
    Key('D', VK_MENU);
    Key('K', VK_MENU);
    Type(L" " + key + L" ");  // a paste's blanks go
    EXPECT_TRUE(GetWindowLongW(FocusOf(window), GWL_STYLE) & ES_PASSWORD);
    EXPECT_TRUE(ChildWithText(window, L"入力したキーを OK で保存します。"));
    CloseWith(VK_RETURN);
    const auto stored = ReadCredential(L"Velmora/DeepL");
    ASSERT_TRUE(stored);
    // The blob without a terminator, kept on this machine under the program's name.
    EXPECT_EQ(std::tuple(stored->blob, stored->blobBytes, stored->persist, stored->userName),
              std::tuple(key, DWORD(key.size() * 2), DWORD{CRED_PERSIST_LOCAL_MACHINE}, std::wstring(L"Velmora")));
    EXPECT_EQ(RegistryValue(L"Service"), SzValue(L"deepl"));
    EXPECT_FALSE(ReadCredential(L"Velmora/LibreTranslate"));

    // Opened again it says that a key is stored and shows nothing of it; the remove button empties the field and
    // marks the stored key, which goes only with OK.
    for (WORD closing : {VK_ESCAPE, VK_RETURN}) {
        window = OpenAlone();
        ASSERT_TRUE(window);
        EXPECT_EQ(SendMessageW(ChildWithText(window, L"DeepL API(&D)"), BM_GETCHECK, 0, 0), BST_CHECKED);
        EXPECT_TRUE(ChildWithText(window, L"キーは保存済みです。入力すると置き換えます。"));
        for (HWND child : automation::Children(window)) {
            EXPECT_EQ(automation::WindowText(child).find(key), std::wstring::npos);
        }
        Key('Y', VK_MENU);  // the other service's key says nothing about this one
        Type(L"lt");
        EXPECT_TRUE(ChildWithText(window, L"キーは保存済みです。入力すると置き換えます。"));
        Key(VK_BACK);
        Key(VK_BACK);
        Key('K', VK_MENU);
        Type(L"new");
        Key('E', VK_MENU);  // the typed key goes too, and the focus is back in the field
        EXPECT_EQ(automation::WindowText(FocusOf(window)), L"");
        EXPECT_TRUE(ChildWithText(window, L"保存済みのキーを OK で削除します。"));
        Key('P', VK_MENU);  // DeepL without a key is refused
        CloseWith(closing);
        EXPECT_EQ(ReadCredential(L"Velmora/DeepL").has_value(), closing == VK_ESCAPE);
        if (closing == VK_ESCAPE) {
            // Once Wine has written its registry out (the search sees the choice there), no file holds the key.
            EXPECT_TRUE(common::PollUntil([&] { return !FilesHolding(L"\"Service\"=\"deepl\"", started).empty(); },
                                          40000, 2000));
            EXPECT_EQ(FilesHolding(key, started), std::vector<std::wstring>{});
        }
    }
    EXPECT_EQ(RegistryValue(L"Service"), SzValue(L"page"));
}

TEST_F(ServiceWindow, OkRefusesWhatCannotWorkAndSavesNothing) {
    // The option, the key typed into the LibreTranslate key field, the field and text typed there, the box, and the
    // field (Edit control) the focus goes back to.
    const struct {
        WORD option;
        const wchar_t* key;
        WORD field;
        const wchar_t* url;
        const wchar_t* box;
        int focus;
    } refusals[] = {
        {'L', L"lt-key", 'U', L"ftp://localhost:5000", L"LibreTranslate のサーバーの URL は http:// または https:// で始め", 1},
        {'L', L"lt-key", 'U', L"", L"LibreTranslate を使うには、サーバーの URL を入力してください", 1},
        {'P', L"lt-key", 'U', L"localhost:5000", L"LibreTranslate のサーバーの URL は", 1},
        {'D', L"lt-key", 'U', L"", L"DeepL API を使うには、DeepL の API キーを入力してください。", 0},
        {'P', L"lt-key", 'U', L"http://lt.example.org", L"API キーは、暗号化されない http:// では", 2},
        {'L', L"lt\x00A0key", 'U', L"https://lt.example.org", L"API キーに使えない文字が含まれています。", 2},
        {'M', L"lt-key", 'R', L"http://[::1]:11434/v1", L"言語モデルのサーバーの URL は", 3},
        {'M', L"lt-key", 'O', L"", L"言語モデルを使うには、モデル名を入力してください", 4},
    };
    HWND window = nullptr;
    for (const auto& r : refusals) {
        if (window) {
            CloseWith(VK_ESCAPE);
        }
        window = OpenAlone();
        ASSERT_TRUE(window);
        Key(r.option, VK_MENU);
        Key('Y', VK_MENU);
        Type(r.key);
        Key(r.field, VK_MENU);
        if (r.field == 'R') {
            Key('A', VK_CONTROL);
        }
        Type(r.url);
        Key(VK_RETURN);
        const auto box = automation::WaitForMessageBox(client_.Pid(), 5000);
        ASSERT_TRUE(box) << r.url;
        EXPECT_EQ(box->title, L"Velmora");
        EXPECT_EQ(box->text.rfind(r.box, 0), 0u) << box->text;
        automation::PressButton(box->hwnd, IDOK);
        // The focus is on the field to put right.
        HWND field = Child(window, L"Edit", r.focus);
        EXPECT_TRUE(automation::WaitUntil([&] { return FocusOf(window) == field; }, 3000)) << r.url;
        ASSERT_TRUE(IsWindowVisible(window));
        EXPECT_FALSE(RegistryValue(L"Service"));
        EXPECT_FALSE(RegistryValue(L"LibreTranslateUrl"));
        EXPECT_FALSE(ReadCredential(L"Velmora/LibreTranslate"));
    }
    // The last window once the address is right: the blanks around it go.
    Key('L', VK_MENU);
    Key('U', VK_MENU);
    Type(L" https://localhost:5000/ ");
    CloseWith(VK_RETURN);
    EXPECT_EQ(RegistryValue(L"Service"), SzValue(L"libretranslate"));
    EXPECT_EQ(RegistryValue(L"LibreTranslateUrl"), SzValue(L"https://localhost:5000/"));
    ASSERT_TRUE(ReadCredential(L"Velmora/LibreTranslate"));
    EXPECT_EQ(ReadCredential(L"Velmora/LibreTranslate")->blob, L"lt-key");
}

TEST_F(ServiceWindow, TryShowsTheAnswerOrTheErrorForWhatTheWindowHolds) {
    ASSERT_TRUE(velmora::SystemCredentials().Write(velmora::CredentialOf(velmora::ServiceKind::DeepL), velmora::SecretText(L"stored:fx", 9)));
    server_->SetExpectedKey("stored:fx");
    server_->SetAnswerDelay(1500);
    const size_t before = server_->ApiRequests().size();
    HWND window = OpenAlone();
    ASSERT_TRUE(window);
    auto line = [&] { return automation::WindowText(Child(window, L"Edit", 8)); };
    auto lineShows = [&](const std::wstring& text, bool whole = true) {
        return automation::WaitUntil([&] { return whole ? line() == text : line().ends_with(text); }, 10000);
    };
    // Nothing typed: the stored key goes; the window answers while it waits.
    Key('D', VK_MENU);
    Key('T', VK_MENU);
    EXPECT_TRUE(lineShows(L"翻訳しています…"));
    EXPECT_FALSE(IsWindowEnabled(ChildWithText(window, L"試す(&T)")));
    EXPECT_TRUE(lineShows(L"Hello → 【訳】Hello"));
    // A typed key goes instead, unsaved; the service's error is the one line, without the key the stand-in repeats.
    server_->SetAnswerDelay(0);
    Key('K', VK_MENU);
    Type(L"typed:fx");
    Key('T', VK_MENU);
    EXPECT_TRUE(lineShows(L"DeepL-Auth-Key ******** (sent: DeepL-Auth-Key ********)", false)) << line();
    EXPECT_EQ(line().find(L'\n'), std::wstring::npos);
    // LibreTranslate at the typed address, without a key.
    server_->SetExpectedKey("");
    Key('L', VK_MENU);
    Key('U', VK_MENU);
    Type(L"http://" + server_->HostW());
    Key('T', VK_MENU);
    EXPECT_TRUE(lineShows(L"Hello → 【訳】Hello"));
    // The language model at the typed address and model, streamed.
    Key('M', VK_MENU);
    Key('R', VK_MENU);
    Key('A', VK_CONTROL);
    Type(L"http://" + server_->HostW() + L"/v1");
    Key('O', VK_MENU);
    Type(L"test-model");
    Key('T', VK_MENU);
    EXPECT_TRUE(lineShows(L"Hello → 【訳】Hello")) << line();
    CloseWith(VK_ESCAPE);

    const auto requests = server_->ApiRequests();
    ASSERT_EQ(requests.size(), before + 4);
    EXPECT_EQ(requests[before].authorization, "DeepL-Auth-Key stored:fx");
    EXPECT_EQ(requests[before + 1].authorization, "DeepL-Auth-Key typed:fx");
    EXPECT_EQ(requests[before + 2].body, R"({"q":"Hello","source":"en","target":"ja","format":"text"})");
    EXPECT_FALSE(RegistryValue(L"Service"));
    EXPECT_EQ(ReadCredential(L"Velmora/DeepL")->blob, L"stored:fx");
}

TEST_F(ServiceWindow, HasItsLayoutAtEachDpiAndTabGoesRound) {
    HWND window = nullptr;
    for (const int dpi : {144, 96}) {
        automation::SystemDpi systemDpi(dpi);
        window = OpenAlone();
        ASSERT_TRUE(window);
        auto scaled = [dpi](RECT r) {
            return RECT{MulDiv(r.left, dpi, 96), MulDiv(r.top, dpi, 96), MulDiv(r.right, dpi, 96),
                        MulDiv(r.bottom, dpi, 96)};
        };
        RECT client{};
        GetClientRect(window, &client);
        EXPECT_EQ(client, scaled({0, 0, 376, 648})) << dpi;
        EXPECT_EQ(PlaceOf(ChildWithText(window, L"OK"), window), scaled({196, 614, 276, 640})) << dpi;
        EXPECT_EQ(PlaceOf(Child(window, L"Edit", 4), window), scaled({148, 390, 360, 412})) << dpi;
    }
    EXPECT_EQ(
        GetWindowLongW(window, GWL_STYLE) & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
        WS_CAPTION | WS_SYSMENU);
    EXPECT_FALSE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);  // alone it stays among the others

    // The chosen option first; the remove buttons wait for a key; the trial's line can be read to its end.
    // With nothing stored the choice is Google's keyless service.
    HWND chosen = ChildWithText(window, velmora::kGoogleOptionText);
    ASSERT_EQ(FocusOf(window), chosen);
    for (HWND expected : {Child(window, L"Edit", 0), Child(window, L"Edit", 1), Child(window, L"Edit", 2),
                          Child(window, L"Edit", 3), Child(window, L"Edit", 4), Child(window, L"Edit", 5),
                          Child(window, L"Edit", 6), Child(window, L"Edit", 7), ChildWithText(window, L"試す(&T)"),
                          Child(window, L"Edit", 8), ChildWithText(window, L"OK"),
                          ChildWithText(window, L"キャンセル"), chosen}) {
        Key(VK_TAB);
        EXPECT_EQ(FocusOf(window), expected) << automation::WindowText(FocusOf(window));
    }
    // The arrow keys move the choice, and Tab comes back into the options on the chosen one.
    Key(VK_DOWN);
    Key(VK_TAB, VK_SHIFT);
    Key(VK_TAB);
    EXPECT_EQ(FocusOf(window), ChildWithText(window, velmora::kMicrosoftOptionText));
    EXPECT_EQ(SendMessageW(FocusOf(window), BM_GETCHECK, 0, 0), BST_CHECKED);
    CloseWith(VK_ESCAPE);
}

TEST_F(ServiceWindow, OpensFromThePopupMenuAboveThePopupAndLeavesTheClientRunning) {
    uidriver::ChooseService(L"page");  // the stand-in's pages, not the default service
    ASSERT_TRUE(OpenPopup());
    HWND menu = OpenMenu();
    ASSERT_TRUE(menu);
    ClickMenuItem(menu, kService);
    HWND window = automation::WaitForWindow(client_.Pid(), L"VelmoraForm4", L"翻訳サービス", 5000);
    ASSERT_TRUE(window);
    EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    Sleep(300);
    Key(VK_ESCAPE);
    EXPECT_TRUE(automation::WaitUntil([&] { return !IsWindowVisible(window); }, 3000));
    EXPECT_FALSE(client_.WaitExit(300));
    EXPECT_TRUE(IsWindowVisible(popup_));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
