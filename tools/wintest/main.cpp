// wintest: acts on other programs' windows like an outside program or an operator,
// for the end-to-end tests. Exit code 0 on success, 1 when the window or box did not
// turn up (in time), 2 on a usage error.
#include "tools/wintest/Controls.h"
#include "tools/wintest/MessageBoxes.h"
#include "tools/wintest/SystemMenu.h"
#include "tools/wintest/TopWindows.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int kOk = 0;
constexpr int kNotFound = 1;
constexpr int kUsage = 2;

const char kUsageText[] = "usage:\n"
                          "  wintest find <title>             print the window handle\n"
                          "  wintest wait <title> <ms>        wait for the window, print it\n"
                          "  wintest gone <title> <ms>        wait until the window is gone\n"
                          "  wintest info <title>             print visibility and placement\n"
                          "  wintest close <title>            post WM_CLOSE\n"
                          "  wintest command <title> <id>     post WM_COMMAND with that id\n"
                          "  wintest post <title> <message> <wParam>[,<wParam>...] <lParam>\n"
                          "                                   post any message, as another\n"
                          "                                   process may (numbers in C syntax);\n"
                          "                                   one post per wParam, in order\n"
                          "  wintest item <title> <id>        print the screen rectangle, state\n"
                          "                                   and text of control <id> inside\n"
                          "  wintest click <title> <id>       click button <id> inside the window\n"
                          "  wintest msgbox <caption> <ms>    wait for a message box, print its\n"
                          "                                   text, press its first button\n"
                          "  wintest syscommand <title> <id> <ms>\n"
                          "                                   choose a system-menu item, print\n"
                          "                                   the dialog it opens (UTF-8 caption)\n"
                          "                                   and press its first button\n";

DWORD parseMs(const char* text) {
    return static_cast<DWORD>(std::strtoul(text, nullptr, 10));
}

int printHandle(HWND hwnd) {
    if (hwnd == nullptr) {
        return kNotFound;
    }
    std::printf("%08lx\n", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(hwnd)));
    return kOk;
}

// A number in C syntax (decimal, 0x hexadecimal), as wide as a pointer.
UINT_PTR parseNumber(const char* text) {
    return static_cast<UINT_PTR>(std::strtoull(text, nullptr, 0));
}

int postTo(const std::string& title, UINT message, WPARAM wParam, LPARAM lParam = 0) {
    HWND hwnd = wintest::findWindow(title);
    if (hwnd == nullptr) {
        std::fprintf(stderr, "wintest: no window titled \"%s\"\n", title.c_str());
        return kNotFound;
    }
    return PostMessageA(hwnd, message, wParam, lParam) ? kOk : kNotFound;
}

// Posts `message` once per wParam of the comma-separated list, in order.
int postEach(const std::string& title, UINT message, const char* wParams, LPARAM lParam) {
    for (const char* at = wParams;;) {
        char* end = nullptr;
        const auto wParam = static_cast<WPARAM>(std::strtoull(at, &end, 0));
        if (end == at || (*end != ',' && *end != '\0')) {
            return kUsage;
        }
        const int result = postTo(title, message, wParam, lParam);
        if (result != kOk || *end == '\0') {
            return result;
        }
        at = end + 1;
    }
}

int printInfo(const std::string& title) {
    HWND hwnd = wintest::findWindow(title);
    if (hwnd == nullptr) {
        return kNotFound;
    }
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    std::printf("visible=%d x=%ld y=%ld w=%ld h=%ld\n", IsWindowVisible(hwnd) ? 1 : 0, rect.left,
                rect.top, rect.right - rect.left, rect.bottom - rect.top);
    return kOk;
}

int printControl(const std::string& title, int id) {
    HWND hwnd = wintest::findWindow(title);
    HWND control = hwnd != nullptr ? wintest::findControl(hwnd, id) : nullptr;
    if (control == nullptr) {
        std::fprintf(stderr, "wintest: no control %d in \"%s\"\n", id, title.c_str());
        return kNotFound;
    }
    std::printf("%s\n", wintest::describeControl(control).c_str());
    return kOk;
}

// As an operator's click: a disabled button ignores it.
int clickControl(const std::string& title, int id) {
    HWND hwnd = wintest::findWindow(title);
    HWND control = hwnd != nullptr ? wintest::findControl(hwnd, id) : nullptr;
    if (control == nullptr) {
        std::fprintf(stderr, "wintest: no control %d in \"%s\"\n", id, title.c_str());
        return kNotFound;
    }
    return PostMessageA(control, BM_CLICK, 0, 0) ? kOk : kNotFound;
}

int dismissMessageBox(const std::string& caption, DWORD timeoutMs) {
    HWND box = wintest::waitForWindow(caption, timeoutMs, "#32770");
    if (box == nullptr) {
        std::fprintf(stderr, "wintest: no message box \"%s\"\n", caption.c_str());
        return kNotFound;
    }
    std::printf("%s\n", wintest::messageBoxText(box).c_str());
    return wintest::pressFirstButton(box) ? kOk : kNotFound;
}

int chooseSystemCommand(const std::string& title, UINT commandId, DWORD timeoutMs) {
    HWND hwnd = wintest::findWindow(title);
    if (hwnd == nullptr) {
        std::fprintf(stderr, "wintest: no window titled \"%s\"\n", title.c_str());
        return kNotFound;
    }
    const std::string caption = wintest::openAndCloseDialog(hwnd, commandId, timeoutMs);
    if (caption.empty()) {
        std::fprintf(stderr, "wintest: no dialog came\n");
        return kNotFound;
    }
    std::printf("%s\n", caption.c_str());
    return kOk;
}

int run(const std::string& verb, int argc, char** argv) {
    const std::string title = argv[2];
    if (verb == "find" && argc == 3) {
        return printHandle(wintest::findWindow(title));
    }
    if (verb == "wait" && argc == 4) {
        return printHandle(wintest::waitForWindow(title, parseMs(argv[3])));
    }
    if (verb == "gone" && argc == 4) {
        return wintest::waitUntilGone(title, parseMs(argv[3])) ? kOk : kNotFound;
    }
    if (verb == "info" && argc == 3) {
        return printInfo(title);
    }
    if (verb == "close" && argc == 3) {
        return postTo(title, WM_CLOSE, 0);
    }
    if (verb == "command" && argc == 4) {
        return postTo(title, WM_COMMAND, static_cast<WPARAM>(std::strtoul(argv[3], nullptr, 10)));
    }
    if (verb == "post" && argc == 6) {
        return postEach(title, static_cast<UINT>(parseNumber(argv[3])), argv[4],
                        static_cast<LPARAM>(parseNumber(argv[5])));
    }
    if (verb == "item" && argc == 4) {
        return printControl(title, std::atoi(argv[3]));
    }
    if (verb == "click" && argc == 4) {
        return clickControl(title, std::atoi(argv[3]));
    }
    if (verb == "syscommand" && argc == 5) {
        return chooseSystemCommand(title, static_cast<UINT>(std::strtoul(argv[3], nullptr, 10)),
                                   parseMs(argv[4]));
    }
    if (verb == "msgbox" && argc == 4) {
        return dismissMessageBox(title, parseMs(argv[3]));
    }
    std::fputs(kUsageText, stderr);
    return kUsage;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs(kUsageText, stderr);
        return kUsage;
    }
    const int result = run(argv[1], argc, argv);
    std::fflush(stdout);
    return result;
}
