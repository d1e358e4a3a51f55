// The stand-in translation service: answers the Excite and infoseek paths on 127.0.0.1 with pages in the
// services' layout, and can be told to fail in the ways a real network fails. Used by tests and by the demo.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "standin/Api.h"

namespace standin {

enum class Fault {
    None,
    Refused,       // nothing listens on the port
    Hang,          // reads the request and never answers
    Drip,          // a valid answer, one byte per second
    Reset,         // half the body, then a TCP reset
    Truncated,     // fewer body bytes than Content-Length, then a clean close
    Http500,       // an error page
    NoMarkers,     // a page without the translation's markers
    OneEndTag,     // a page with only one end tag
    ResultFirst,   // the result area before the source area
    Huge,          // a 16 MiB page
    Redirect,      // one redirect to the same page, then the answer
    RedirectLoop,  // redirects without end
    BigPage,       // after half a second, the normal page behind 7 MiB of small elements: long to parse, under the cap
    // The APIs' own answers (Http500 gives a 503 there, Redirect a 302, NotJson and MissingField a 200; KeyRefused
    // is a 401 for Microsoft and Azure).
    KeyRefused,       // 403
    TooManyRequests,  // 429
    QuotaExceeded,    // 456, DeepL's
    NotJson,          // an HTML page
    MissingField,     // JSON without the translation (the chat API: a stream without any text)
    LogonChallenge,   // 401 asking for an NTLM or Negotiate logon, as an intranet server may
    // The chat API's own.
    ModelMissing,  // 404 with Ollama's words
    WholeJson,     // one JSON answer although a stream was asked for
    Thinking,      // a <think> block before the translation
    StreamError,   // an error event halfway through the stream
    Stall,         // half the stream, then silence with the connection open
    KeepAlive,     // a dozen ": keep-alive" comments, the chat gap apart, before the text (a long prompt's wait)
    HeavyFraming,  // every piece of text in 1.5 KiB of framing, as hosted APIs pad their chunks
};

enum class Charset {
    Utf8Header,        // charset=UTF-8 in Content-Type
    ShiftJisHeader,    // Shift_JIS bytes, charset in Content-Type
    ShiftJisMetaOnly,  // Shift_JIS bytes, charset only in a <meta> element
    ShiftJisUndeclared,
};



class Server {
public:
    Server() = default;
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;
    ~Server() { Stop(); }

    // Listens on 127.0.0.1 at the given port (0: any free one).
    bool Start(Fault fault = Fault::None, uint16_t port = 0, bool accept = true);
    bool StartAccepting();
    // Answers over TLS too (a native helper, tls_front.py, in front of the same service), with a certificate named
    // localhost from the test CA that the Wine tests trust, or from one that nobody trusts: at TlsHost().
    bool AddTls(bool trustedCertificate = true);
    // The helper is started before this server accepts anything: under Wine a Unix program started while a thread
    // is blocked in accept() now and then left that accept() waiting for good.
    bool StartTls(Fault fault = Fault::None, bool trustedCertificate = true) {
        return Start(fault, 0, false) && AddTls(trustedCertificate) && StartAccepting();
    }
    void Stop();
    void SetFault(Fault fault) { fault_ = fault; }
    void SetCharset(Charset charset) { charset_ = charset; }
    // Every answer (a fault's included) waits this long after the request has been read: a slow service.
    void SetAnswerDelay(int milliseconds) { delayMs_ = milliseconds; }
    // Every answer carries this translation (UTF-8) instead of the phrase book's; empty goes back to the book.
    void SetTranslation(std::string utf8);
    // The chat API's stream: its translation in this many events (0: two characters each), this long apart.
    void SetChatStream(int events, int gapMs) {
        chatEvents_ = events;
        chatGapMs_ = gapMs;
    }

    // When the latest chat stream sent its first piece of translation, in QueryPerformanceCounter ticks (0: none).
    [[nodiscard]] int64_t FirstTextSentAt() const { return firstTextAt_; }
    // Chat streams the client closed before their end.
    [[nodiscard]] int ChatStreamsCut() const { return chatStreamsCut_; }

    [[nodiscard]] uint16_t Port() const { return port_; }
    [[nodiscard]] std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }
    [[nodiscard]] std::wstring TlsHostW() const { return L"localhost:" + std::to_wstring(tlsPort_); }
    [[nodiscard]] std::wstring HostW() const;
    // The request lines seen so far ("GET /world/text/?... HTTP/1.1"), oldest first.
    [[nodiscard]] std::vector<std::string> RequestLines() const;
    // The API requests seen so far, as received and checked.
    [[nodiscard]] std::vector<ApiRequest> ApiRequests() const;
    // The key the APIs accept: DeepL's Authorization, LibreTranslate's api_key, Azure's Ocp-Apim-Subscription-Key
    // (empty: none may be sent).
    void SetExpectedKey(const std::string& key);

private:
    void AcceptLoop();
    void Finish(uintptr_t socket);  // closes a served connection and lets its worker be joined
    void Serve(uintptr_t socket);
    bool Pause(int milliseconds);  // false once the server stops

    std::atomic<Fault> fault_{Fault::None};
    std::atomic<Charset> charset_{Charset::Utf8Header};
    std::atomic<int> delayMs_{0};
    std::atomic<int> chatEvents_{0};
    std::atomic<int> chatGapMs_{20};
    std::atomic<int64_t> firstTextAt_{0};
    std::atomic<int> chatStreamsCut_{0};
    std::atomic<bool> stopping_{false};
    uintptr_t listener_ = ~uintptr_t{0};
    uint16_t port_ = 0;
    std::thread acceptor_;
    mutable std::mutex mutex_;
    std::condition_variable stopped_;
    std::vector<std::thread> workers_;
    std::vector<std::thread::id> finished_;  // workers that have ended and wait to be joined
    std::vector<uintptr_t> open_;
    std::vector<std::string> requests_;
    std::string translation_;
    std::vector<ApiRequest> apiRequests_;
    std::string expectedKey_;
    uint16_t tlsPort_ = 0;
    uintptr_t tlsControl_ = ~uintptr_t{0};  // closing it ends the TLS helper
};

}  // namespace standin
