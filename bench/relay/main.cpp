// relay: the benchmarks' baseline. One window, one COM port, no logic: a generator
// command from the host (WM_COPYDATA 742066) goes out framed as the generator type
// frames it; every frame the generator sends back goes to the host window as one
// WM_COPYDATA 742065 record (index 0, the frame's text). It shows what Wine and the
// serial line cost by themselves.
//
// With "per-byte" the reader hands each received byte to the window's thread as one
// synchronous message, and the window's thread cuts the frames: what a port that
// delivers byte by byte costs over the blocks of the plain relay.
//
// With "poll" the window also writes the type's poll commands in turn at the
// program's cadence (its period and the 10 ms pause after every send), with no
// protocol logic: what polling costs by itself, for the idle figures.
//
//   relay.exe <type 11|13|17> <COM port number> <own title> <host title> [per-byte|poll]
#include "bench/common/BenchWindow.h"
#include "bench/relay/RelayFrames.h"
#include "bench/relay/RelayPort.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr DWORD kKindGeneratorCommand = 742066;
constexpr DWORD kKindReplyItem = 742065;
constexpr UINT WM_RELAY_FRAME = WM_APP + 1;
constexpr UINT WM_RELAY_BYTE = WM_APP + 2; // wParam: the byte
constexpr UINT_PTR kTimerPoll = 1;
constexpr char kClassName[] = "RelvanBenchRelay";

enum class Mode { Blocks, PerByte, Poll };

struct Settings {
    int type = 0;
    unsigned port = 0;
    std::string title;
    std::string hostTitle;
    Mode mode = Mode::Blocks;
};

struct PollCycle {
    UINT periodMs; // the program's period and its 10 ms pause after a send
    std::vector<std::string> commands;
};

relay::RelayPort g_port;
Settings g_settings;
relay::FrameCutter* g_cutter = nullptr; // per-byte: used by the window's thread
std::size_t g_pollStep = 0;

// Type 11: ST, RS, RR every 200 ms; 13: A1C1, A1CB, A1CD every 250 ms; 17 (the
// mini-console reconnecting): R every 500 ms.
PollCycle PollCycleFor(int type) {
    switch (type) {
    case 11:
        return {210, {"ST", "RS", "RR"}};
    case 13:
        return {260, {"A1C1", "A1CB", "A1CD"}};
    default:
        return {510, {"R"}};
    }
}

void PollNext() {
    const PollCycle cycle = PollCycleFor(g_settings.type);
    const std::string& command = cycle.commands[g_pollStep++ % cycle.commands.size()];
    const relay::Bytes frame = relay::FrameCommand(g_settings.type, command);
    g_port.Write(frame.data(), static_cast<DWORD>(frame.size()));
}

const char* ModeFor(int type) {
    switch (type) {
    case 11:
        return "baud=19200 parity=N data=8 stop=2";
    case 13:
        return "baud=57600 parity=N data=8 stop=1";
    default:
        return "baud=38400 parity=N data=8 stop=1";
    }
}

void SendCommand(const COPYDATASTRUCT& record) {
    if (record.dwData != kKindGeneratorCommand || record.lpData == nullptr) {
        return;
    }
    const char* text = static_cast<const char*>(record.lpData);
    const relay::Bytes frame =
        relay::FrameCommand(g_settings.type, std::string(text, strnlen(text, record.cbData)));
    g_port.Write(frame.data(), static_cast<DWORD>(frame.size()));
}

void SendToHost(HWND self, const std::string& text) {
    HWND host = FindWindowA(nullptr, g_settings.hostTitle.c_str());
    if (host == nullptr) {
        return;
    }
    std::vector<char> block(4 + text.size() + 1, '\0');
    std::memcpy(block.data() + 4, text.data(), text.size());
    COPYDATASTRUCT record{};
    record.dwData = kKindReplyItem;
    record.cbData = static_cast<DWORD>(block.size());
    record.lpData = block.data();
    SendMessageA(host, WM_COPYDATA, reinterpret_cast<WPARAM>(self),
                 reinterpret_cast<LPARAM>(&record));
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COPYDATA:
        SendCommand(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        return TRUE;
    case WM_RELAY_FRAME:
        SendToHost(hwnd, *reinterpret_cast<const std::string*>(lParam));
        return 0;
    case WM_TIMER:
        if (wParam == kTimerPoll) {
            PollNext();
        }
        return 0;
    case WM_RELAY_BYTE: {
        const auto byte = static_cast<std::uint8_t>(wParam);
        for (const std::string& frame : g_cutter->Feed(&byte, 1)) {
            SendToHost(hwnd, frame);
        }
        return 0;
    }
    default:
        return bench::DefaultHandling(hwnd, message, wParam, lParam);
    }
}

bool ParseArguments(int argc, char** argv, Settings& settings) {
    if (argc != 5 && argc != 6) {
        return false;
    }
    settings.type = std::atoi(argv[1]);
    settings.port = static_cast<unsigned>(std::atoi(argv[2]));
    settings.title = argv[3];
    settings.hostTitle = argv[4];
    if (argc == 6) {
        if (std::strcmp(argv[5], "per-byte") == 0) {
            settings.mode = Mode::PerByte;
        } else if (std::strcmp(argv[5], "poll") == 0) {
            settings.mode = Mode::Poll;
        } else {
            return false;
        }
    }
    return (settings.type == 11 || settings.type == 13 || settings.type == 17) && settings.port > 0;
}

} // namespace

int main(int argc, char** argv) {
    if (!ParseArguments(argc, argv, g_settings)) {
        std::fputs("usage: relay <11|13|17> <COM port> <own title> <host title> [per-byte|poll]\n",
                   stderr);
        return 2;
    }
    HWND window = bench::CreateBenchWindow(kClassName, g_settings.title.c_str(), WindowProc);
    const std::string device = "\\\\.\\COM" + std::to_string(g_settings.port);
    if (window == nullptr || !g_port.Open(device, ModeFor(g_settings.type))) {
        std::fprintf(stderr, "relay: cannot open %s (error %lu)\n", device.c_str(), GetLastError());
        return 1;
    }
    relay::FrameCutter cutter(g_settings.type);
    if (g_settings.mode == Mode::PerByte) {
        g_cutter = &cutter;
        g_port.StartReader([window](const std::uint8_t* data, DWORD count) {
            for (DWORD i = 0; i < count; ++i) {
                SendMessageA(window, WM_RELAY_BYTE, data[i], 0);
            }
        });
    } else {
        g_port.StartReader([window, &cutter](const std::uint8_t* data, DWORD count) {
            for (const std::string& frame : cutter.Feed(data, count)) {
                SendMessageA(window, WM_RELAY_FRAME, 0, reinterpret_cast<LPARAM>(&frame));
            }
        });
    }
    if (g_settings.mode == Mode::Poll) {
        SetTimer(window, kTimerPoll, PollCycleFor(g_settings.type).periodMs, nullptr);
    }
    std::printf("READY\n");
    std::fflush(stdout);
    bench::RunMessageLoop();
    g_port.Close();
    return 0;
}
