// standin.exe: the stand-in translation service as a program, for the demo and for trying the client by hand.
// standin.exe [--port N] [--fault NAME] [--seconds N] [--delay MS] [--tls 1] [--key KEY]
// With --tls 1 it also answers over HTTPS (the APIs' way), as localhost with the tests' certificate.
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
    std::printf("listening on %s\n", server.Host().c_str());
    if (tls && server.AddTls()) {
        std::printf("and over TLS on %ls\n", server.TlsHostW().c_str());
    }
    server.StartAccepting();
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    return 0;
}
