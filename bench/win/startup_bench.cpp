// Start-up cost of velmora.exe under Wine against the floor of its job (baseline.exe: one blocking fetch, one
// popup), with the stand-in service answering at once. Both are measured the same way: from CreateProcess until a
// visible top-level window captioned "Form2" has an Edit that holds text, and the process's peak working set at
// that moment. Run by hand:
//   cmake/wine-run.sh build/windows/bench/win/startup_bench.exe [runs]
// Two figures of the API services, with the client's windows in this process:
//   startup_bench.exe connect [runs]  "/selection" with a 300 ms read, every round trip to the service 100 ms:
//                                     from the start to the popup, with and without the early connection
//   startup_bench.exe stream [runs]   a model writing 40 pieces 50 ms apart: from the stand-in sending the first
//                                     text to the pending bubble showing it
#include <winsock2.h>
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "standin/Standin.h"
#include "win/Automation.h"
#include "win/Form1.h"
#include "win/bubble/Form2.h"
#include "win/bubble/PendingBubble.h"

namespace {

struct Run {
    double ms = 0;
    double peakMiB = 0;
};

// Whether the process shows its popup with the text in it. The caption is read without a message (the system
// keeps it for other processes); the Edit is asked, with a time limit, so a busy program answers when it can.
bool PopupReady(DWORD pid) {
    for (HWND hwnd : automation::TopLevelWindows(pid, true)) {
        wchar_t caption[16] = {};
        GetWindowTextW(hwnd, caption, 16);
        if (std::wstring(caption) != L"Form2") {
            continue;
        }
        for (HWND child : automation::Children(hwnd)) {
            DWORD_PTR length = 0;
            if (automation::ClassName(child) == L"Edit" &&
                SendMessageTimeoutW(child, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length) && length > 0) {
                return true;
            }
        }
    }
    return false;
}

Run Measure(const std::wstring& commandLine, const automation::EnvironmentOverrides& env) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    auto process = automation::Launch(commandLine, env);
    Run run;
    if (!process) {
        return run;
    }
    // Polled tightly: the figure is the time until the popup is ready, not the poll interval.
    while (!PopupReady(process->Pid())) {
        if (!process->Running()) {
            return run;
        }
        Sleep(1);
    }
    QueryPerformanceCounter(&end);
    PROCESS_MEMORY_COUNTERS counters{};
    if (GetProcessMemoryInfo(process->Handle(), &counters, sizeof counters)) {
        run.peakMiB = static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
    }
    run.ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    return run;  // the Process destructor ends the program
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    if (n == 0) {
        return 0;
    }
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

using Clock = std::chrono::steady_clock;

// A relay on 127.0.0.1 in front of the stand-in that gives every round trip the time of a distant server's: each
// chunk goes on kOneWay after it came, in both directions, and a new connection carries nothing before a first
// round trip (the TCP handshake's, which a relay on loopback cannot hold up itself).
class DelayingFront {
  public:
    static constexpr auto kOneWay = std::chrono::milliseconds(50);

    bool Start(uint16_t upstream) {
        upstream_ = upstream;
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int len = sizeof addr;
        if (bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(listener_, 16) != 0 ||
            getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
            return false;
        }
        port_ = ntohs(addr.sin_port);
        // Left running until the bench ends, like the connections it relays.
        std::thread([this] {
            for (SOCKET c; (c = accept(listener_, nullptr, nullptr)) != INVALID_SOCKET;) {
                std::thread([this, c] { Relay(c); }).detach();
            }
        }).detach();
        return true;
    }
    [[nodiscard]] uint16_t Port() const { return port_; }

  private:
    void Relay(SOCKET client) {
        const auto handshakeDone = Clock::now() + 2 * kOneWay;
        SOCKET server = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = htons(upstream_);
        if (connect(server, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
            std::thread up([&] { Pipe(client, server, handshakeDone); });
            Pipe(server, client, Clock::now());
            up.join();
        }
        closesocket(server);
        closesocket(client);
    }
    // Everything read from `from` is written to `to` kOneWay later (counted from `notBefore` at the earliest).
    static void Pipe(SOCKET from, SOCKET to, Clock::time_point notBefore) {
        struct Chunk {
            Clock::time_point due;
            std::string bytes;  // empty: the end
        };
        std::mutex mutex;
        std::condition_variable arrived;
        std::deque<Chunk> chunks;
        std::thread writer([&] {
            for (bool open = true;;) {
                Chunk chunk;
                {
                    std::unique_lock lock(mutex);
                    arrived.wait(lock, [&] { return !chunks.empty(); });
                    chunk = std::move(chunks.front());
                    chunks.pop_front();
                }
                std::this_thread::sleep_until(chunk.due);
                if (chunk.bytes.empty()) {
                    shutdown(to, SD_SEND);
                    return;
                }
                open = open && send(to, chunk.bytes.data(), static_cast<int>(chunk.bytes.size()), 0) > 0;
            }
        });
        char buffer[65536];
        for (;;) {
            const int n = recv(from, buffer, sizeof buffer, 0);
            std::lock_guard lock(mutex);
            chunks.push_back({std::max(Clock::now(), notBefore) + kOneWay, std::string(buffer, n > 0 ? n : 0)});
            arrived.notify_one();
            if (n <= 0) {
                break;
            }
        }
        writer.join();
    }

    SOCKET listener_ = INVALID_SOCKET;
    uint16_t upstream_ = 0;
    uint16_t port_ = 0;
};

double MsSince(LONGLONG ticks) {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart - ticks) / static_cast<double>(frequency.QuadPart);
}

using automation::PumpUntil;

velmora::ClientOptions ServiceOptions(velmora::ServiceKind kind, const std::wstring& url, bool* failed) {
    velmora::ClientOptions options;
    options.requestLimitMs = 20000;
    options.reportFailure = [failed](const std::wstring& text) {
        *failed = true;
        std::fprintf(stderr, "failure: %ls\n", text.c_str());
    };
    options.endProgram = [](UINT) {};
    options.service.kind = kind;
    options.service.libreTranslateUrl = url;
    options.service.chatUrl = url;
    options.service.chatModel = L"test-model";
    return options;
}

// One start in this process, which is new for it (a first TLS connection loads what later ones find loaded):
// from Form_Load until the popup shows, in ms; 0 when it failed.
int OneSelectionStart(const std::wstring& url, bool early) {
    bool failed = false;
    velmora::ClientOptions options = ServiceOptions(velmora::ServiceKind::LibreTranslate, url, &failed);
    options.connectEarly = early;
    options.readSelection = [](HWND) {
        Sleep(300);
        return velmora::SelectionRead{u"Hello world"};
    };
    velmora::Form1 form1(std::move(options));
    if (!form1.Create()) {
        return 0;
    }
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    form1.Form_Load(L"/selection EJhnA");
    auto shown = [&] { return failed || (form1.Popup() && IsWindowVisible(form1.Popup()->hwnd())); };
    PumpUntil(shown, 20000);
    return failed || !shown() ? 0 : static_cast<int>(MsSince(start.QuadPart) + 0.5);
}

int ConnectionFigure(int runs) {
    standin::Server server;
    DelayingFront plain, tls;
    const std::wstring tlsHost = server.StartTls() ? server.TlsHostW() : L"";
    if (tlsHost.empty() || !plain.Start(server.Port()) ||
        !tls.Start(static_cast<uint16_t>(_wtoi(tlsHost.substr(tlsHost.find(L':') + 1).c_str())))) {
        std::fprintf(stderr, "cannot start the stand-in service and its fronts\n");
        return 1;
    }
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::pair<const char*, std::wstring> services[] = {
        {"LibreTranslate over http ", L"http://127.0.0.1:" + std::to_wstring(plain.Port()) + L"/"},
        {"LibreTranslate over https", L"https://localhost:" + std::to_wstring(tls.Port()) + L"/"},
    };
    std::printf("runs: %d each, alternating, each in a new process; round trip 100 ms, selection read 300 ms\n", runs);
    for (const auto& [name, url] : services) {
        std::vector<double> late, early;
        for (int i = 0; i < 2 * runs; ++i) {
            const bool connectEarly = i % 2 == (i / 2) % 2;
            auto child = automation::Launch(L"\"" + std::wstring(self) + L"\" selection-start " + url + L" " +
                                            (connectEarly ? L"1" : L"0"));
            DWORD ms = 0;
            if (!child || !child->WaitExit(30000, &ms) || ms == 0) {
                std::fprintf(stderr, "run %d failed\n", i);
                return 1;
            }
            (connectEarly ? early : late).push_back(ms);
        }
        std::printf("%s: without the early connection %6.1f ms, with it %6.1f ms (medians), saved %6.1f ms\n", name,
                    Median(late), Median(early), Median(late) - Median(early));
    }
    return 0;
}

int StreamFigure(int runs) {
    standin::Server server;
    if (!server.Start()) {
        std::fprintf(stderr, "cannot start the stand-in service\n");
        return 1;
    }
    server.SetExpectedKey("");
    server.SetChatStream(40, 50);
    server.SetTranslation("今日はとても良い天気なので、公園まで散歩しました。川沿いの道には桜が咲いていて、"
                          "たくさんの人が写真を撮っていました。");
    std::vector<double> delays;
    for (int i = 0; i < runs; ++i) {
        bool failed = false;
        velmora::Form1 form1(ServiceOptions(velmora::ServiceKind::Chat,
                                            L"http://" + server.HostW() + L"/v1", &failed));
        if (!form1.Create()) {
            return 1;
        }
        form1.Form_Load(L"EJhnAHello world");
        auto textShown = [&] {
            velmora::PendingBubble* pending = form1.Pending();
            if (failed || !pending || !IsWindowVisible(pending->hwnd())) {
                return failed;
            }
            for (HWND child = GetWindow(pending->hwnd(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                wchar_t text[64] = {};
                GetWindowTextW(child, text, 64);
                if (text[0] && std::wstring(text).starts_with(L"今日")) {
                    return true;
                }
            }
            return false;
        };
        PumpUntil(textShown, 20000);
        if (failed || !textShown() || server.FirstTextSentAt() == 0) {
            std::fprintf(stderr, "run %d failed\n", i);
            return 1;
        }
        delays.push_back(MsSince(server.FirstTextSentAt()));
        PumpUntil([&] { return failed || form1.Popup(); }, 20000);  // the rest of the stream, then the popup
    }
    std::sort(delays.begin(), delays.end());
    std::printf("runs: %d; 40 pieces 50 ms apart: the first text on screen after the stand-in sent it: median %.1f ms,"
                " longest %.1f ms (target <= 100)\n",
                runs, Median(delays), delays.back());
    return 0;
}

int wmain(int argc, wchar_t** argv) {
    const std::wstring figure = argc > 1 ? argv[1] : L"";
    if (figure == L"selection-start" && argc == 4) {
        return OneSelectionStart(argv[2], argv[3] == std::wstring(L"1"));
    }
    if (figure == L"connect" || figure == L"stream") {
        const int runs = std::max(argc > 2 ? _wtoi(argv[2]) : 11, 1);
        return figure == L"connect" ? ConnectionFigure(runs) : StreamFigure(runs);
    }
    const int runs = std::max(argc > 1 ? _wtoi(argv[1]) : 21, 1);
    standin::Server server;
    if (!server.Start()) {
        std::fprintf(stderr, "cannot start the stand-in service\n");
        return 1;
    }
    const std::wstring client = L"\"" + automation::WindowsPath(VELMORA_CLIENT_EXE) + L"\" EJhnAHello world";
    const std::wstring floor = L"\"" + automation::WindowsPath(VELMORA_BASELINE_EXE) + L"\"";
    const automation::EnvironmentOverrides env = {{L"VELMORA_EXCITE_HOST", server.HostW()}};
    // One of each first, not counted: the first start of a program under Wine loads files nobody else has.
    for (const std::wstring* line : {&floor, &client}) {
        if (Measure(*line, env).ms <= 0) {
            std::fprintf(stderr, "warm-up failed: %ls\n", line->c_str());
            return 1;
        }
    }
    std::vector<double> floorMs, clientMs, ratios, floorPeak, clientPeak, peakDifferences;
    for (int i = 0; i < runs; ++i) {
        // Alternating the two, and which goes first, keeps a slow moment of the machine from landing on one side.
        Run f, c;
        if (i % 2 == 0) {
            f = Measure(floor, env);
            c = Measure(client, env);
        } else {
            c = Measure(client, env);
            f = Measure(floor, env);
        }
        if (f.ms <= 0 || c.ms <= 0) {
            std::fprintf(stderr, "run %d failed\n", i);
            return 1;
        }
        floorMs.push_back(f.ms);
        clientMs.push_back(c.ms);
        ratios.push_back(c.ms / f.ms);
        floorPeak.push_back(f.peakMiB);
        clientPeak.push_back(c.peakMiB);
        peakDifferences.push_back(c.peakMiB - f.peakMiB);
    }
    std::printf("runs: %d each, alternating, after one warm-up each\n", runs);
    std::printf("floor median:   %6.1f ms   peak working set %5.2f MiB\n", Median(floorMs), Median(floorPeak));
    std::printf("velmora median: %6.1f ms   peak working set %5.2f MiB\n", Median(clientMs), Median(clientPeak));
    std::printf("median of the pairwise ratios velmora/floor: %.2f (target <= 1.15)\n", Median(ratios));
    std::printf("median of the pairwise peak differences: %+.2f MiB (target <= +2.00)\n", Median(peakDifferences));
    return 0;
}
