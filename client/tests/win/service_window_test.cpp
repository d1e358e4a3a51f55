// The translation service choice: where it is kept (the registry, Credential Manager) and the service window of
// the real velmora.exe, driven with the keyboard.
#include <windows.h>
// After windows.h, which it needs.
#include <wincred.h>

#include <gtest/gtest.h>

#include <string>

#include "UiDriver.h"
#include "win/Automation.h"
#include "win/Credentials.h"
#include "win/ServiceStore.h"

namespace {

using namespace uidriver;
using velmora::ServiceKind;

std::vector<BYTE> Sz(const std::wstring& text) {
    const auto* p = reinterpret_cast<const BYTE*>(text.c_str());
    return std::vector<BYTE>(p, p + (text.size() + 1) * sizeof(wchar_t));
}

class ServiceStorage : public testing::Test {
  protected:
    SavedServiceSettings saved_;
};

TEST_F(ServiceStorage, KeysAreGenericCredentialsOfThisMachineWithTheTextAsBlob) {
    velmora::CredentialStore& store = velmora::SystemCredentials();
    EXPECT_FALSE(store.Read(velmora::kDeepLCredential));
    for (const wchar_t* key : {L"0123456789abcdef-0123:fx", L"短い"}) {
        ASSERT_TRUE(store.Write(velmora::kDeepLCredential, velmora::SecretText(key, wcslen(key))));
        const auto stored = ReadCredential(L"Velmora/DeepL");
        ASSERT_TRUE(stored);
        EXPECT_EQ(stored->blob, key);
        EXPECT_EQ(stored->blobBytes, wcslen(key) * sizeof(wchar_t));  // no terminator
        EXPECT_EQ(stored->persist, static_cast<DWORD>(CRED_PERSIST_LOCAL_MACHINE));
        const auto read = store.Read(velmora::kDeepLCredential);
        ASSERT_TRUE(read);
        EXPECT_EQ(read->Get(), key);
    }
    EXPECT_FALSE(ReadCredential(L"Velmora/LibreTranslate"));
    EXPECT_TRUE(store.Remove(velmora::kDeepLCredential));
    EXPECT_FALSE(ReadCredential(L"Velmora/DeepL"));
    EXPECT_TRUE(store.Remove(velmora::kDeepLCredential));  // none stored is no failure
}

TEST_F(ServiceStorage, OnlyExactTextValuesChooseAndTheSaveWritesBoth) {
    const DWORD one = 1;
    const struct {
        const wchar_t* what;
        DWORD type;
        std::vector<BYTE> service;
        ServiceKind kind;
    } cases[] = {
        {L"deepl", REG_SZ, Sz(L"deepl"), ServiceKind::DeepL},
        {L"libretranslate", REG_SZ, Sz(L"libretranslate"), ServiceKind::LibreTranslate},
        {L"page", REG_SZ, Sz(L"page"), ServiceKind::Page},
        {L"another case", REG_SZ, Sz(L"DeepL"), ServiceKind::Page},
        {L"unterminated", REG_SZ, {'d', 0, 'e', 0, 'e', 0, 'p', 0, 'l', 0}, ServiceKind::DeepL},
        {L"a number", REG_DWORD, {BYTE(one), 0, 0, 0}, ServiceKind::Page},
        {L"expandable", REG_EXPAND_SZ, Sz(L"deepl"), ServiceKind::Page},
        {L"empty", REG_SZ, {}, ServiceKind::Page},
    };
    EXPECT_EQ(velmora::LoadServiceChoice().kind, ServiceKind::Page);
    for (const auto& c : cases) {
        SetRegistryValue(L"Service", c.type, c.service.data(), static_cast<DWORD>(c.service.size()));
        EXPECT_EQ(velmora::LoadServiceChoice().kind, c.kind) << c.what;
    }
    SetRegistryValue(L"LibreTranslateUrl", REG_BINARY, "http", 4);
    EXPECT_EQ(velmora::LoadServiceChoice().libreTranslateUrl, L"");

    ASSERT_TRUE(velmora::SaveServiceChoice({ServiceKind::LibreTranslate, L"http://localhost:5000"}));
    EXPECT_EQ(RegistryValue(L"Service"), std::pair(DWORD{REG_SZ}, Sz(L"libretranslate")));
    EXPECT_EQ(RegistryValue(L"LibreTranslateUrl"), std::pair(DWORD{REG_SZ}, Sz(L"http://localhost:5000")));
    const auto loaded = velmora::LoadServiceChoice();
    EXPECT_EQ(loaded.kind, ServiceKind::LibreTranslate);
    EXPECT_EQ(loaded.libreTranslateUrl, L"http://localhost:5000");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
