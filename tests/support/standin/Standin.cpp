#include "standin/Standin.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "standin/Chat.h"
#include "standin/Keyless.h"
#include "standin/Pages.h"

namespace standin {
namespace {

constexpr uintptr_t kNoSocket = ~uintptr_t{0};

struct WinsockInit {
    WinsockInit() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
};

bool SendAll(SOCKET s, const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const int n = send(s, bytes.data() + sent, static_cast<int>(std::min<size_t>(bytes.size() - sent, 65536)), 0);
        if (n <= 0) {
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    return true;
}

std::string ReadRequestHead(SOCKET s) {
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
        const int n = recv(s, buffer, sizeof buffer, 0);
        if (n <= 0) {
            break;
        }
        head.append(buffer, static_cast<size_t>(n));
    }
    return head;
}

// The rest of a request's body after its head, as long as Content-Length says (at most 1 MiB).
std::string ReadRequestBody(SOCKET s, const std::string& head) {
    const size_t start = head.find("\r\n\r\n");
    std::string body = start == std::string::npos ? std::string() : head.substr(start + 4);
    const size_t length =
        std::min<size_t>(std::strtoul(HeaderValue(head, "Content-Length").c_str(), nullptr, 10), 1u << 20);
    char buffer[4096];
    while (body.size() < length) {
        const int n = recv(s, buffer, sizeof buffer, 0);
        if (n <= 0) {
            break;
        }
        body.append(buffer, static_cast<size_t>(n));
    }
    return body;
}

std::string ToShiftJis(const std::string& utf8) {
    const int wn = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(wn), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), wn);
    const int n = WideCharToMultiByte(932, 0, wide.data(), wn, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(932, 0, wide.data(), wn, out.data(), n, nullptr, nullptr);
    return out;
}

std::string Response(const std::string& status, const std::string& contentType, const std::string& body,
                     const std::string& extraHeaders = {}) {
    return "HTTP/1.1 " + status + "\r\nContent-Type: " + contentType + "\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\nConnection: close\r\n" + extraHeaders + "\r\n" + body;
}

}  // namespace

std::wstring Server::HostW() const {
    const std::string host = Host();
    return std::wstring(host.begin(), host.end());
}

bool Server::Start(Fault fault, uint16_t port, bool accept) {
    static WinsockInit winsock;
    fault_ = fault;
    stopping_ = false;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) {
        return false;
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    int len = sizeof addr;
    if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        closesocket(s);
        return false;
    }
    port_ = ntohs(addr.sin_port);
    if (fault == Fault::Refused) {
        // The port was free a moment ago and nobody listens on it now: connections are refused.
        closesocket(s);
        return true;
    }
    if (listen(s, 64) != 0) {
        closesocket(s);
        return false;
    }
    listener_ = s;
    return !accept || StartAccepting();
}

bool Server::StartAccepting() {
    if (!acceptor_.joinable()) {
        acceptor_ = std::thread([this] { AcceptLoop(); });
    }
    return true;
}

void Server::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        if (tlsControl_ != kNoSocket) {
            closesocket(tlsControl_);
            tlsControl_ = kNoSocket;
            tlsPort_ = 0;
        }
        if (listener_ != kNoSocket) {
            closesocket(listener_);
            listener_ = kNoSocket;
        }
        // Wakes workers blocked in recv or send, so that Stop never waits on a client.
        for (uintptr_t s : open_) {
            shutdown(s, SD_BOTH);
        }
    }
    stopped_.notify_all();
    if (acceptor_.joinable()) {
        acceptor_.join();
    }
    std::vector<std::thread> workers;
    {
        std::lock_guard lock(mutex_);
        workers.swap(workers_);
    }
    for (auto& w : workers) {
        w.join();
    }
}

std::vector<ApiRequest> Server::ApiRequests() const {
    std::lock_guard lock(mutex_);
    return apiRequests_;
}

void Server::SetExpectedKey(const std::string& key) {
    std::lock_guard lock(mutex_);
    expectedKey_ = key;
}

std::vector<std::string> Server::RequestLines() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

bool Server::Pause(int milliseconds) {
    std::unique_lock lock(mutex_);
    return !stopped_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return stopping_.load(); });
}

void Server::AcceptLoop() {
    for (;;) {
        SOCKET c = accept(listener_, nullptr, nullptr);
        std::lock_guard lock(mutex_);
        if (c == INVALID_SOCKET || stopping_) {
            if (c != INVALID_SOCKET) {
                closesocket(c);
            }
            return;
        }
        open_.push_back(c);
        // Workers that have ended are joined here, so that a long run (the demo, the soak) keeps no thread per
        // request: they only leave after saying so, holding nothing.
        std::erase_if(workers_, [this](std::thread& w) {
            if (std::find(finished_.begin(), finished_.end(), w.get_id()) == finished_.end()) {
                return false;
            }
            std::erase(finished_, w.get_id());
            w.join();
            return true;
        });
        workers_.emplace_back([this, c] { Serve(c); });
    }
}

void Server::SetTranslation(std::string utf8) {
    std::lock_guard lock(mutex_);
    translation_ = std::move(utf8);
}

void Server::Serve(uintptr_t socket) {
    const SOCKET s = socket;
    const std::string head = ReadRequestHead(s);
    const std::string line = head.substr(0, head.find("\r\n"));
    if (line == "GET /tls-front-ready HTTP/1.0") {
        // The TLS helper's own first request (see tls_front.py): answered, never counted as a client's.
        SendAll(s, "HTTP/1.0 204 No Content\r\n\r\n");
        Finish(socket);
        return;
    }
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(line);
    }
    const size_t sp1 = line.find(' ');
    const std::string target = line.substr(sp1 + 1, line.rfind(' ') - sp1 - 1);
    ApiRequest api;
    api.service = ApiOfTarget(target);
    if (!api.service.empty()) {
        api.method = line.substr(0, sp1);
        api.path = target;
        api.authorization = HeaderValue(head, "Authorization");
        api.subscriptionKey = HeaderValue(head, "Ocp-Apim-Subscription-Key");
        api.region = HeaderValue(head, "Ocp-Apim-Subscription-Region");
        api.contentType = HeaderValue(head, "Content-Type");
        api.body = ReadRequestBody(s, head);
    }
    const bool excite = target.rfind("/world/text/", 0) == 0;
    const bool infoseek = target.rfind("/amitext/indexUTF8.jsp", 0) == 0;
    const std::string source = FormDecode(QueryValue(target, excite ? "before" : "sourceText"));
    const Fault fault = fault_;
    const Charset charset = charset_;
    if (const int delay = delayMs_; delay > 0 && !Pause(delay)) {
        std::lock_guard lock(mutex_);
        std::erase(open_, socket);
        closesocket(s);
        return;
    }

    PageShape shape = PageShape::Normal;
    if (fault == Fault::NoMarkers) shape = PageShape::NoMarkers;
    if (fault == Fault::OneEndTag) shape = PageShape::OneEndTag;
    if (fault == Fault::ResultFirst) shape = PageShape::ResultFirst;
    std::string translation;
    {
        std::lock_guard lock(mutex_);
        translation = translation_.empty() ? TranslationOf(source) : translation_;
    }
    std::string body = excite ? ExcitePage(source, translation, shape) : InfoseekPage(source, translation, shape);
    std::string type = "text/html; charset=UTF-8";
    if (charset != Charset::Utf8Header) {
        if (charset == Charset::ShiftJisMetaOnly) {
            body.insert(body.find("<head>") + 6, "\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">");
        }
        body = ToShiftJis(body);
        type = charset == Charset::ShiftJisHeader ? "text/html; charset=Shift_JIS" : "text/html";
    }
    if (fault == Fault::Huge) {
        body.insert(body.find("<body>") + 6, std::string(16u << 20, ' '));
    }
    if (fault == Fault::BigPage) {
        std::string filler;
        while (filler.size() < (7u << 20)) {
            filler += "<i>a</i>";
        }
        body.insert(body.find("<body>") + 6, filler);
    }

    std::string reply = Response("200 OK", type, body);
    std::vector<std::string> pieces;  // the chat API's stream
    const bool redirectOnce = fault == Fault::Redirect && target.find("&moved=1") == std::string::npos;
    if (api.service == "openai") {
        std::lock_guard lock(mutex_);
        pieces = ChatAnswer(api, fault, expectedKey_, translation_, chatEvents_);
        apiRequests_.push_back(api);
    } else if (api.service == "google" || api.service == "microsoft" || api.service == "azure") {
        std::lock_guard lock(mutex_);
        reply = KeylessAnswer(api, fault, expectedKey_, translation_);
        apiRequests_.push_back(api);
    } else if (!api.service.empty()) {
        std::lock_guard lock(mutex_);
        reply = ApiAnswer(api, fault, expectedKey_);
        apiRequests_.push_back(api);
    } else if (!excite && !infoseek) {
        reply = Response("404 Not Found", "text/html", "<html><body>Not Found</body></html>");
    } else if (fault == Fault::Http500) {
        reply = Response("500 Internal Server Error", "text/html",
                         "<html><body><h1>500 Internal Server Error</h1></body></html>");
    } else if (redirectOnce || fault == Fault::RedirectLoop) {
        reply = Response("302 Found", "text/html", "", "Location: " + target + "&moved=1\r\n");
    }

    if (!pieces.empty()) {
        // Every other piece is the second half of an event, sent a moment after its first half.
        // The first text is sent with the piece that ends its event (pieces are "size\r\n" piece "\r\n").
        int textState = 0;  // 1: the first text's event has begun, 2: it has been sent whole
        for (size_t i = 0; i < pieces.size(); ++i) {
            if (!SendAll(s, pieces[i])) {
                ++chatStreamsCut_;
                break;
            }
            const size_t text = textState == 0 ? pieces[i].find("{\"content\":") : std::string::npos;
            textState = text != std::string::npos ? 1 : textState;
            if (textState == 1 && pieces[i].find("\n\n\r\n", text == std::string::npos ? 0 : text) != std::string::npos) {
                LARGE_INTEGER now;
                QueryPerformanceCounter(&now);
                firstTextAt_ = now.QuadPart;
                textState = 2;
            }
            if (i + 1 < pieces.size() && !Pause(i % 2 == 0 ? chatGapMs_.load() : 2)) {
                break;
            }
        }
        while (fault == Fault::Stall && Pause(1000)) {
        }
        shutdown(s, SD_SEND);
        char drain[256];
        while (recv(s, drain, sizeof drain, 0) > 0) {
        }
    } else if (fault == Fault::Hang) {
        while (Pause(1000)) {
        }
    } else if (fault == Fault::Drip) {
        for (size_t i = 0; i < reply.size() && Pause(1000); ++i) {
            if (!SendAll(s, reply.substr(i, 1))) break;
        }
    } else if (fault == Fault::Reset || fault == Fault::Truncated) {
        SendAll(s, reply.substr(0, reply.size() - body.size() / 2));
        Pause(200);
        if (fault == Fault::Reset) {
            linger hard{1, 0};  // closing with a zero linger sends a reset instead of a FIN
            setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof hard);
        }
    } else {
        if (fault == Fault::BigPage) {
            Pause(500);
        }
        SendAll(s, reply);
        shutdown(s, SD_SEND);
        char drain[256];
        while (recv(s, drain, sizeof drain, 0) > 0) {
        }
    }
    Finish(socket);
}

void Server::Finish(uintptr_t socket) {
    const SOCKET s = socket;
    std::lock_guard lock(mutex_);
    std::erase(open_, socket);
    closesocket(s);
    finished_.push_back(std::this_thread::get_id());
}

}  // namespace standin
