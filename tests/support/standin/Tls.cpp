// The stand-in behind TLS. Wine's secure channel cannot serve TLS, so a native helper (tls_front.py) does it, started
// through Wine's support for running Unix programs and ended when its control connection closes.
#include <windows.h>
#include <winsock2.h>

#include <string>

#include "standin/Standin.h"

namespace standin {
namespace {

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

// The Windows path of a Unix program: drive Z: is the Unix root.
std::wstring ProgramPath(const std::string& unixPath) {
    std::wstring path = L"Z:" + Wide(unixPath);
    for (wchar_t& c : path) {
        if (c == L'/') {
            c = L'\\';
        }
    }
    return path;
}

}  // namespace

bool Server::AddTls(bool trustedCertificate) {
    SOCKET control = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int len = sizeof addr;
    if (control == INVALID_SOCKET || bind(control, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        getsockname(control, reinterpret_cast<sockaddr*>(&addr), &len) != 0 || listen(control, 1) != 0) {
        closesocket(control);
        return false;
    }
    const std::string certificate = std::string(STANDIN_TLS_DIR) + (trustedCertificate ? "/trusted" : "/untrusted");
    std::wstring command = ProgramPath(STANDIN_PYTHON) + L" " + Wide(STANDIN_TLS_FRONT) + L" " +
                           Wide(certificate + "-localhost.pem") + L" " + Wide(certificate + "-localhost.key") + L" " +
                           std::to_wstring(port_) + L" " + std::to_wstring(ntohs(addr.sin_port));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        closesocket(control);
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    // The helper connects back once it listens, and says on which port.
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(control, &ready);
    timeval wait{15, 0};
    SOCKET helper =
        select(0, &ready, nullptr, nullptr, &wait) == 1 ? accept(control, nullptr, nullptr) : INVALID_SOCKET;
    closesocket(control);
    char line[16] = {};
    if (helper == INVALID_SOCKET || recv(helper, line, sizeof line - 1, 0) <= 0) {
        if (helper != INVALID_SOCKET) {
            closesocket(helper);
        }
        return false;
    }
    tlsControl_ = helper;
    tlsPort_ = static_cast<uint16_t>(std::atoi(line));
    return tlsPort_ != 0;
}

}  // namespace standin
