#include "bench/common/BenchWindow.h"

namespace bench {

HWND CreateBenchWindow(const char* className, const char* title, WNDPROC proc) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = className;
    if (RegisterClassA(&wc) == 0) {
        return nullptr;
    }
    return CreateWindowA(className, title, WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                         wc.hInstance, nullptr);
}

void RunMessageLoop() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

LRESULT DefaultHandling(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace bench
