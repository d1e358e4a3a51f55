// API keys in Windows Credential Manager: generic credentials of this user on this machine, the key's UTF-16 text
// as the password, as the system's own credential dialogs keep one (so that the Control Panel can show, enter and
// remove them too).
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "core/services/ServiceConfig.h"
#include "win/services/Secret.h"

namespace velmora {

inline constexpr wchar_t kDeepLCredential[] = L"Velmora/DeepL";
inline constexpr wchar_t kLibreTranslateCredential[] = L"Velmora/LibreTranslate";
inline constexpr wchar_t kChatCredential[] = L"Velmora/OpenAI";
inline constexpr wchar_t kAzureCredential[] = L"Velmora/Azure";
// The entry of an API's key (the pages have none: nullptr).
[[nodiscard]] constexpr const wchar_t* CredentialOf(ServiceKind kind) {
    return kind == ServiceKind::DeepL            ? kDeepLCredential
           : kind == ServiceKind::LibreTranslate ? kLibreTranslateCredential
           : kind == ServiceKind::Chat           ? kChatCredential
           : kind == ServiceKind::Azure          ? kAzureCredential
                                                 : nullptr;
}

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
    // True also when none was stored. On failure the system's error is left in GetLastError.
    [[nodiscard]] virtual bool Remove(const wchar_t* target) = 0;
};

// CredReadW, CredWriteW and CredDeleteW.
CredentialStore& SystemCredentials();

}  // namespace velmora
