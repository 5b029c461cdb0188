#include "tools/wintest/Controls.h"

#include <cstdio>

namespace wintest {

namespace {

struct ControlSearch {
    int id;
    HWND found;
};

BOOL CALLBACK matchControl(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<ControlSearch*>(lParam);
    if (GetDlgCtrlID(hwnd) == search->id) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND findControl(HWND top, int id) {
    ControlSearch search{id, nullptr};
    EnumChildWindows(top, matchControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string describeControl(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    char text[512] = "";
    // WM_GETTEXT reads another process's edit boxes too (GetWindowText does not).
    SendMessageTimeoutA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 2000, nullptr);
    char line[700];
    std::snprintf(line, sizeof line, "x=%ld y=%ld w=%ld h=%ld visible=%d enabled=%d text=%s",
                  rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                  IsWindowVisible(control) ? 1 : 0, IsWindowEnabled(control) ? 1 : 0, text);
    return line;
}

} // namespace wintest
