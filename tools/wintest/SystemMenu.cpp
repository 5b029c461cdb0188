#include "tools/wintest/SystemMenu.h"

#include "tools/wintest/MessageBoxes.h"

namespace wintest {
namespace {

std::string toUtf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), size,
                        nullptr, nullptr);
    return utf8;
}

struct DialogSearch {
    DWORD processId;
    HWND exclude;
    HWND found;
};

BOOL CALLBACK matchDialog(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<DialogSearch*>(lParam);
    DWORD processId = 0;
    GetWindowThreadProcessId(hwnd, &processId);
    wchar_t className[16] = {};
    GetClassNameW(hwnd, className, 16);
    if (hwnd != search->exclude && processId == search->processId && IsWindowVisible(hwnd) &&
        std::wstring(className) == L"#32770") {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

std::string openAndCloseDialog(HWND window, UINT commandId, DWORD timeoutMs) {
    DialogSearch search{0, window, nullptr};
    GetWindowThreadProcessId(window, &search.processId);
    PostMessageW(window, WM_SYSCOMMAND, commandId, 0);
    for (DWORD waited = 0; search.found == nullptr && waited <= timeoutMs; waited += 50) {
        EnumWindows(matchDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr) {
            Sleep(50);
        }
    }
    if (search.found == nullptr) {
        return std::string();
    }
    wchar_t caption[256] = {};
    GetWindowTextW(search.found, caption, 256);
    pressFirstButton(search.found);
    return toUtf8(caption);
}

} // namespace wintest
