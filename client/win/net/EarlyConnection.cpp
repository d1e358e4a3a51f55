#include "win/net/EarlyConnection.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#define SECURITY_WIN32
#include <schannel.h>
#include <security.h>
#include <wincrypt.h>

#include "common/SystemFunction.h"
#include "common/Text.h"
#include "win/net/Http.h"
#include "win/net/Worker.h"

namespace velmora {
namespace {

// Loads the TLS provider and the trusted roots. Taken from the system folder at run time: neither library is one
// that Windows always loads from there, and the client imports none such.
void WarmTls() {
    const auto acquire =
        common::SystemFunction<decltype(&AcquireCredentialsHandleW)>(L"secur32.dll", "AcquireCredentialsHandleW");
    const auto release =
        common::SystemFunction<decltype(&FreeCredentialsHandle)>(L"secur32.dll", "FreeCredentialsHandle");
    SCHANNEL_CRED settings{};
    settings.dwVersion = SCHANNEL_CRED_VERSION;
    settings.dwFlags = SCH_CRED_NO_DEFAULT_CREDS | SCH_CRED_MANUAL_CRED_VALIDATION;
    CredHandle credentials;
    TimeStamp expiry;
    if (acquire && release &&
        acquire(nullptr, const_cast<wchar_t*>(UNISP_NAME_W), SECPKG_CRED_OUTBOUND, nullptr, &settings, nullptr, nullptr,
                &credentials, &expiry) == SEC_E_OK) {
        release(&credentials);
    }
    const auto open = common::SystemFunction<decltype(&CertOpenSystemStoreW)>(L"crypt32.dll", "CertOpenSystemStoreW");
    const auto close = common::SystemFunction<decltype(&CertCloseStore)>(L"crypt32.dll", "CertCloseStore");
    if (HCERTSTORE roots = open && close ? open(0, L"ROOT") : nullptr) {
        close(roots, 0);
    }
}

void LookUp(const std::wstring& host, uint16_t port) {
    WSADATA winsock;
    if (WSAStartup(MAKEWORD(2, 2), &winsock) == 0) {
        ADDRINFOW hints{};
        hints.ai_socktype = SOCK_STREAM;
        ADDRINFOW* found = nullptr;
        if (GetAddrInfoW(host.c_str(), std::to_wstring(port).c_str(), &hints, &found) == 0) {
            FreeAddrInfoW(found);
        }
        WSACleanup();
    }
}

}  // namespace

bool EarlyConnection::Start() {
    ready_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    return ready_ && static_cast<bool>(StartWorker([self = shared_from_this()] { self->Open(); }));
}

std::pair<common::UniqueInternet, common::UniqueInternet> EarlyConnection::Take(const HttpUrl& target,
                                                                                ULONGLONG deadline) {
    if (target.secure != target_.secure || target.host != target_.host || target.port != target_.port ||
        WaitForSingleObject(ready_.get(), TimeLeft(deadline)) != WAIT_OBJECT_0) {
        return {};
    }
    std::lock_guard lock(mutex_);
    return {std::move(session_), std::move(connection_)};
}

void EarlyConnection::Open() {
    const std::wstring host = common::FromUtf8(target_.host);
    {
        std::lock_guard lock(mutex_);
        session_ = OpenSession();
        if (session_) {
            connection_ = ConnectServer(session_.get(), target_);
        }
    }
    // What follows only warms what the request's own call will look for; its failures are the request's to meet
    // and report. The request waits for it: the system's TLS provider, loaded by two threads at once, failed a
    // handshake now and then under Wine.
    LookUp(host, target_.port);
    if (target_.secure) {
        WarmTls();
    }
    SetEvent(ready_.get());
}

std::shared_ptr<EarlyConnection> ConnectEarly(const std::wstring& url) {
    const auto target = ParseHttpUrl(WireUrl(common::ToU16(url)));
    if (!target) {
        return nullptr;
    }
    auto early = std::make_shared<EarlyConnection>(*target);
    return early->Start() ? early : nullptr;
}

}  // namespace velmora
