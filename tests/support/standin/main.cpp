// standin.exe: the stand-in translation service as a program, for the demo and for trying the client by hand.
// standin.exe [--port N] [--fault NAME] [--seconds N] [--delay MS]
#include <cstdio>
#include <cwchar>
#include <string>
#include <thread>

#include "standin/Standin.h"

int wmain(int argc, wchar_t** argv) {
    unsigned port = 0;
    unsigned seconds = 600;
    int delayMs = 0;
    standin::Fault fault = standin::Fault::None;
    const wchar_t* faults[] = {L"none", L"refused", L"hang", L"drip", L"reset", L"truncated", L"500",
                               L"nomarkers", L"oneendtag", L"resultfirst", L"huge", L"redirect", L"redirectloop",
                               L"bigpage"};
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::wstring name = argv[i];
        if (name == L"--port") port = static_cast<unsigned>(_wtoi(argv[i + 1]));
        if (name == L"--seconds") seconds = static_cast<unsigned>(_wtoi(argv[i + 1]));
        if (name == L"--delay") delayMs = _wtoi(argv[i + 1]);
        if (name == L"--fault") {
            for (unsigned f = 0; f < sizeof faults / sizeof *faults; ++f) {
                if (std::wstring(argv[i + 1]) == faults[f]) fault = standin::Fault(f);
            }
        }
    }
    standin::Server server;
    server.SetAnswerDelay(delayMs);
    if (!server.Start(fault, static_cast<uint16_t>(port))) {
        std::fprintf(stderr, "standin: cannot listen on 127.0.0.1:%u\n", port);
        return 1;
    }
    std::printf("listening on %s\n", server.Host().c_str());
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    return 0;
}
