#include "tools/wintest/TopWindows.h"

namespace wintest {
namespace {

constexpr DWORD kPollMs = 50;

struct Search {
    const std::string* title;
    const char* className;
    HWND found;
};

bool hasClass(HWND hwnd, const char* className) {
    if (className == nullptr) {
        return true;
    }
    char actual[256] = {};
    GetClassNameA(hwnd, actual, sizeof actual);
    return lstrcmpA(actual, className) == 0;
}

BOOL CALLBACK matchTitle(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    char text[261] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    if (*search->title == text && hasClass(hwnd, search->className)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND findWindow(const std::string& title, const char* className) {
    Search search{&title, className, nullptr};
    EnumWindows(matchTitle, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND waitForWindow(const std::string& title, DWORD timeoutMs, const char* className) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND hwnd = findWindow(title, className)) {
            return hwnd;
        }
        if (GetTickCount() - start >= timeoutMs) {
            return nullptr;
        }
        Sleep(kPollMs);
    }
}

bool waitUntilGone(const std::string& title, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (findWindow(title) != nullptr) {
        if (GetTickCount() - start >= timeoutMs) {
            return false;
        }
        Sleep(kPollMs);
    }
    return true;
}

} // namespace wintest
