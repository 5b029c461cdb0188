// What the benchmarks' baseline programs share: one plain top-level window
// with a title the drivers find it by, and the message loop that runs it.
#pragma once

#include <windows.h>

namespace bench {

// Registers `className` with `proc` and creates the window; nullptr on failure.
HWND CreateBenchWindow(const char* className, const char* title, WNDPROC proc);

// Dispatches messages until WM_QUIT (a WM_DESTROY the window procedure does
// not handle itself posts it).
void RunMessageLoop();

// The default handling: WM_DESTROY ends the loop, the rest goes to
// DefWindowProc.
LRESULT DefaultHandling(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace bench
