// API keys in Windows Credential Manager: generic credentials of this user on this machine, the key's UTF-16 text
// as the password, as the system's own credential dialogs keep one (so that the Control Panel can show, enter and
// remove them too).
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "core/services/Services.h"
#include "win/services/Secret.h"

namespace velmora {

// The entry of a service's key (the pages and the keyless services have none: nullptr), from its row.
[[nodiscard]] inline const wchar_t* CredentialOf(ServiceKind kind) {
    return RowOf(kind).credential;
}

// A stored key and the server it was saved for.
struct StoredKey {
    std::optional<SecretText> key;
    std::wstring origin;
};

// Small, so that the service window and the requests can be tested with a store of their own.
class CredentialStore {
  public:
    virtual ~CredentialStore() = default;
    // The stored key; nothing when none is stored (an empty one counts as none).
    [[nodiscard]] virtual std::optional<SecretText> Read(const wchar_t* target) = 0;
    // `origin` is the server the key is for (UrlOrigin), kept beside it; empty for DeepL, whose hosts are fixed.
    [[nodiscard]] virtual bool Write(const wchar_t* target, const SecretText& key, std::wstring_view origin = {}) = 0;
    // The server the stored key was saved for; empty when none was recorded (a key saved by an earlier version,
    // which was saved together with the URL stored now).
    [[nodiscard]] virtual std::wstring Origin(const wchar_t* target) = 0;
    // Both at once; a store of its own (the tests') may answer with two reads.
    [[nodiscard]] virtual StoredKey ReadKey(const wchar_t* target) {
        StoredKey stored{Read(target), {}};
        if (stored.key) {
            stored.origin = Origin(target);
        }
        return stored;
    }
    // True also when none was stored. On failure the system's error is left in GetLastError.
    [[nodiscard]] virtual bool Remove(const wchar_t* target) = 0;
};

// CredReadW, CredWriteW and CredDeleteW.
CredentialStore& SystemCredentials();

}  // namespace velmora
