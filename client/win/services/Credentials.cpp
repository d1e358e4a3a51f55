#include "win/services/Credentials.h"

#include <wincred.h>
#include <windows.h>

#include "common/Handles.h"

namespace velmora {
namespace {

// The Control Panel asks for a user name with every generic credential; ours says whose key it is.
constexpr wchar_t kUserName[] = L"Velmora";

class SystemCredentialStore final : public CredentialStore {
  public:
    std::optional<SecretText> Read(const wchar_t* target) override {
        return ReadKey(target).key;
    }

    // One read gives the key and the server it was saved for, so that the two cannot come from different saves.
    StoredKey ReadKey(const wchar_t* target) override {
        PCREDENTIALW read = nullptr;
        if (!CredReadW(target, CRED_TYPE_GENERIC, 0, &read)) {
            return {};
        }
        // The system's copy is ours to free, wiped first like any other buffer that held the key.
        const common::UniqueCredential credential(read);
        StoredKey stored;
        if (credential->CredentialBlob && credential->CredentialBlobSize >= sizeof(wchar_t)) {
            stored.key.emplace(reinterpret_cast<const wchar_t*>(credential->CredentialBlob),
                               credential->CredentialBlobSize / sizeof(wchar_t));
        }
        stored.origin = credential->Comment ? credential->Comment : L"";
        return stored;
    }

    bool Write(const wchar_t* target, const SecretText& key, std::wstring_view origin) override {
        // The origin goes into the credential's comment, so that a key and the server it is for are written at once.
        std::wstring comment(origin);
        CREDENTIALW credential{};
        credential.Comment = comment.empty() ? nullptr : comment.data();
        credential.Type = CRED_TYPE_GENERIC;
        credential.TargetName = const_cast<wchar_t*>(target);
        credential.UserName = const_cast<wchar_t*>(kUserName);
        credential.Persist = CRED_PERSIST_LOCAL_MACHINE;
        // Without the terminator, as a password typed into the system's dialogs is kept.
        credential.CredentialBlobSize = static_cast<DWORD>(key.Get().size() * sizeof(wchar_t));
        credential.CredentialBlob = reinterpret_cast<BYTE*>(const_cast<wchar_t*>(key.Get().data()));
        return CredWriteW(&credential, 0) != FALSE;
    }

    std::wstring Origin(const wchar_t* target) override {
        return ReadKey(target).origin;
    }

    bool Remove(const wchar_t* target) override {
        if (CredDeleteW(target, CRED_TYPE_GENERIC, 0)) {
            return true;
        }
        return GetLastError() == ERROR_NOT_FOUND;
    }
};

}  // namespace

CredentialStore& SystemCredentials() {
    static SystemCredentialStore store;
    return store;
}

}  // namespace velmora
