// timers: the console benchmarks' baseline. One hidden window that runs the
// timers a charged console runs while it idles, with no logic behind them:
// it shows what Wine's timers (and, in Model 1, the parallel port's reads)
// cost by themselves.
//
//   Model 1: timer 100, killed and started again with the poll period on
//            every tick, each tick reading the port's status register
//            through INPOUT32.dll (ordinal 1) as the console does;
//   Model 2: timer 9, periodic, 10 ms.
//   Both:    the 10 s link watchdog, started again when it fires.
//
//   timers.exe <model 1|2> <poll period ms> <own title>
#include "bench/common/BenchWindow.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr UINT_PTR kTimerPortPoll = 100;
constexpr UINT_PTR kTimerLinkPoll = 9;
constexpr UINT_PTR kTimerWatchdog = 10;
constexpr UINT kLinkPollMs = 10;
constexpr UINT kWatchdogMs = 10000;
constexpr short kStatusRegister = 0x379;
constexpr char kClassName[] = "RelvanBenchTimers";

using ReadFunction = short(__stdcall*)(short);

struct Settings {
    int model = 0;
    UINT periodMs = 0;
    std::string title;
};

Settings g_settings;
ReadFunction g_read = nullptr;
volatile short g_lastStatus = 0;

void OnTimer(HWND hwnd, UINT_PTR id) {
    switch (id) {
    case kTimerPortPoll:
        KillTimer(hwnd, kTimerPortPoll);
        SetTimer(hwnd, kTimerPortPoll, g_settings.periodMs, nullptr);
        if (g_read != nullptr) {
            g_lastStatus = g_read(kStatusRegister);
        }
        break;
    case kTimerWatchdog:
        SetTimer(hwnd, kTimerWatchdog, kWatchdogMs, nullptr);
        break;
    default:
        break;
    }
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) {
        OnTimer(hwnd, wParam);
        return 0;
    }
    return bench::DefaultHandling(hwnd, message, wParam, lParam);
}

// GetProcAddress gives a generic function pointer; void (*)() converts to
// and from any function pointer type without a warning.
ReadFunction LoadPortRead() {
    HMODULE library = LoadLibraryA("INPOUT32.dll");
    if (library == nullptr) {
        return nullptr;
    }
    auto address = reinterpret_cast<void (*)()>(GetProcAddress(library, MAKEINTRESOURCEA(1)));
    return reinterpret_cast<ReadFunction>(address);
}

bool ParseArguments(int argc, char** argv, Settings& settings) {
    if (argc != 4) {
        return false;
    }
    settings.model = std::atoi(argv[1]);
    settings.periodMs = static_cast<UINT>(std::atoi(argv[2]));
    settings.title = argv[3];
    return (settings.model == 1 || settings.model == 2) && settings.periodMs > 0;
}

} // namespace

int main(int argc, char** argv) {
    if (!ParseArguments(argc, argv, g_settings)) {
        std::fputs("usage: timers <model 1|2> <poll period ms> <own title>\n", stderr);
        return 2;
    }
    HWND window = bench::CreateBenchWindow(kClassName, g_settings.title.c_str(), WindowProc);
    if (window == nullptr) {
        std::fprintf(stderr, "timers: no window (error %lu)\n", GetLastError());
        return 1;
    }
    if (g_settings.model == 1) {
        g_read = LoadPortRead();
        if (g_read == nullptr) {
            std::fprintf(stderr, "timers: INPOUT32.dll has no read (error %lu)\n", GetLastError());
            return 1;
        }
        SetTimer(window, kTimerPortPoll, g_settings.periodMs, nullptr);
    } else {
        SetTimer(window, kTimerLinkPoll, kLinkPollMs, nullptr);
    }
    SetTimer(window, kTimerWatchdog, kWatchdogMs, nullptr);
    std::printf("READY\n");
    std::fflush(stdout);
    bench::RunMessageLoop();
    return 0;
}
