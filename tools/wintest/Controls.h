#pragma once
// The controls inside another program's window, as an operator sees them.
#include <windows.h>

#include <string>

namespace wintest {

// The first window below `top` (at any depth) with control id `id`, or null.
HWND findControl(HWND top, int id);

// One line: the control's screen rectangle, visibility, enabled state and text.
std::string describeControl(HWND control);

} // namespace wintest
