// hostsim: a stand-in for the imaging host. It owns a top-level window with the title
// given on its command line, prints every WM_COPYDATA record it receives, and sends
// the records of its script (command-line lines, or else standard input) to the
// program's main window. See HostCommand.h for the script lines.
#include "tools/hostsim/HostCommand.h"
#include "tools/hostsim/HostWindow.h"
#include "tools/hostsim/Output.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char kUsageText[] =
    "usage: hostsim [--target <title>] [--wait-ms N] [--grace-ms N] [--exit-after N]\n"
    "               [--timestamps] <own title> [script line ...]\n"
    "Without script lines on the command line, lines are read from standard input.\n"
    "After the last line (or end of input) hostsim waits --grace-ms (default 1000) for\n"
    "replies and exits; a 'quit' line exits at once. --timestamps ends every SENT and\n"
    "RECV line with t=<microseconds since 1970-01-01 UTC>.\n";

struct Options {
    std::string title;
    std::string target = "Relvan";
    DWORD waitMs = 0;
    DWORD graceMs = 1000;
    DWORD exitAfterMs = 0;
    std::vector<std::string> lines;
    bool readStdin = true;
};

struct Script {
    HWND window;
    const Options* options;
};

bool takeNumber(int& i, int argc, char** argv, DWORD& value) {
    if (i + 1 >= argc) {
        return false;
    }
    value = static_cast<DWORD>(std::strtoul(argv[++i], nullptr, 10));
    return true;
}

bool parseOptions(int argc, char** argv, Options& options) {
    int i = 1;
    for (; i < argc && std::string(argv[i]).rfind("--", 0) == 0; ++i) {
        const std::string name = argv[i];
        bool ok = false;
        if (name == "--target" && i + 1 < argc) {
            options.target = argv[++i];
            ok = true;
        } else if (name == "--wait-ms") {
            ok = takeNumber(i, argc, argv, options.waitMs);
        } else if (name == "--grace-ms") {
            ok = takeNumber(i, argc, argv, options.graceMs);
        } else if (name == "--exit-after") {
            ok = takeNumber(i, argc, argv, options.exitAfterMs);
        } else if (name == "--timestamps") {
            hostsim::enableTimestamps();
            ok = true;
        }
        if (!ok) {
            return false;
        }
    }
    if (i >= argc) {
        return false;
    }
    options.title = argv[i++];
    options.lines.assign(argv + i, argv + argc);
    options.readStdin = options.lines.empty();
    return true;
}

bool nextLine(const Options& options, std::size_t& next, std::string& line) {
    if (!options.readStdin) {
        if (next >= options.lines.size()) {
            return false;
        }
        line = options.lines[next++];
        return true;
    }
    line.clear();
    char chunk[512];
    while (std::fgets(chunk, sizeof chunk, stdin) != nullptr) {
        line += chunk;
        if (!line.empty() && line.back() == '\n') {
            break;
        }
    }
    if (line.empty()) {
        return false;
    }
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.pop_back();
    }
    return true;
}

// Runs one line; false when the script asks to quit.
bool runLine(HWND window, const std::string& line) {
    const hostsim::HostCommand command = hostsim::parseHostCommand(line);
    switch (command.action) {
    case hostsim::Action::Invalid:
        hostsim::printLine("ERROR " + command.error + ": " + line);
        break;
    case hostsim::Action::Sleep:
        Sleep(command.sleepMs);
        break;
    case hostsim::Action::Quit:
        return false;
    case hostsim::Action::Send:
        SendMessageA(window, hostsim::WM_HOSTSIM_SEND, 0,
                     reinterpret_cast<LPARAM>(&command.record));
        break;
    case hostsim::Action::Nothing:
        break;
    }
    return true;
}

DWORD WINAPI runScript(LPVOID param) {
    const auto* script = static_cast<const Script*>(param);
    std::size_t next = 0;
    std::string line;
    bool quit = false;
    while (!quit && nextLine(*script->options, next, line)) {
        quit = !runLine(script->window, line);
        Sleep(script->options->waitMs);
    }
    if (!quit) {
        Sleep(script->options->graceMs);
    }
    PostMessageA(script->window, WM_CLOSE, 0, 0);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::fputs(kUsageText, stderr);
        return 2;
    }
    HWND window = hostsim::createHostWindow(options.title, options.target, options.exitAfterMs);
    if (window == nullptr) {
        std::fprintf(stderr, "hostsim: cannot create the window (error %lu)\n", GetLastError());
        return 1;
    }
    char ready[64];
    std::snprintf(ready, sizeof ready, "READY hwnd=%08lx",
                  static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window)));
    hostsim::printLine(ready);

    Script script{window, &options};
    HANDLE reader = CreateThread(nullptr, 0, runScript, &script, 0, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    hostsim::printLine("EXIT");
    if (reader != nullptr) {
        CloseHandle(reader);
    }
    return 0;
}
