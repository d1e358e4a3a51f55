// standin.exe: the stand-in translation service as a program, for the demo and for trying the client by hand.
// standin.exe [--port N] [--fault NAME] [--seconds N] [--delay MS] [--tls 1] [--key KEY] [--events N] [--gap MS]
//             [--translation TEXT]
// --events and --gap pace a model's streamed answer (N pieces, MS apart); --translation is every answer's text.
// With --tls 1 it also answers over HTTPS (the APIs' way), as localhost with the tests' certificate.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <thread>

#include "standin/Standin.h"

int wmain(int argc, wchar_t** argv) {
    unsigned port = 0;
    unsigned seconds = 600;
    int delayMs = 0;
    bool tls = false;
    std::wstring key;
    std::wstring translation;
    int events = 0;
    int gapMs = 20;
    standin::Fault fault = standin::Fault::None;
    const wchar_t* faults[] = {L"none", L"refused", L"hang", L"drip", L"reset", L"truncated", L"500",
                               L"nomarkers", L"oneendtag", L"resultfirst", L"huge", L"redirect", L"redirectloop",
                               L"bigpage", L"keyrefused", L"toomanyrequests", L"quotaexceeded", L"notjson",
                               L"missingfield", L"modelmissing", L"wholejson", L"thinking", L"streamerror",
                               L"stall"};
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::wstring name = argv[i];
        if (name == L"--port") port = static_cast<unsigned>(_wtoi(argv[i + 1]));
        if (name == L"--seconds") seconds = static_cast<unsigned>(_wtoi(argv[i + 1]));
        if (name == L"--delay") delayMs = _wtoi(argv[i + 1]);
        if (name == L"--tls") tls = _wtoi(argv[i + 1]) != 0;
        if (name == L"--key") key = std::wstring(argv[i + 1]);
        if (name == L"--events") events = _wtoi(argv[i + 1]);
        if (name == L"--gap") gapMs = _wtoi(argv[i + 1]);
        if (name == L"--translation") translation = argv[i + 1];
        if (name == L"--fault") {
            for (unsigned f = 0; f < sizeof faults / sizeof *faults; ++f) {
                if (std::wstring(argv[i + 1]) == faults[f]) fault = standin::Fault(f);
            }
        }
    }
    standin::Server server;
    server.SetAnswerDelay(delayMs);
    // With TLS the helper is started before anything is accepted (see Server::StartTls).
    if (!server.Start(fault, static_cast<uint16_t>(port), !tls)) {
        std::fprintf(stderr, "standin: cannot listen on 127.0.0.1:%u\n", port);
        return 1;
    }
    server.SetExpectedKey(std::string(key.begin(), key.end()));
    server.SetChatStream(events, gapMs);
    if (!translation.empty()) {
        const int n = WideCharToMultiByte(CP_UTF8, 0, translation.c_str(), -1, nullptr, 0, nullptr, nullptr);
        std::string utf8(static_cast<size_t>(n > 0 ? n - 1 : 0), '\0');
        WideCharToMultiByte(CP_UTF8, 0, translation.c_str(), -1, utf8.data(), n, nullptr, nullptr);
        server.SetTranslation(utf8);
    }
    std::printf("listening on %s\n", server.Host().c_str());
    if (tls && server.AddTls()) {
        std::printf("and over TLS on %ls\n", server.TlsHostW().c_str());
    }
    server.StartAccepting();
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    return 0;
}
