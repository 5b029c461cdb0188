#pragma once
// Reading and dismissing another program's message box the way an operator would.
#include <windows.h>

#include <string>

namespace wintest {

// The box's message: the texts of its static controls, joined by newlines.
std::string messageBoxText(HWND box);

// Presses the box's first push button (OK on an MB_OK box). False when it has none.
bool pressFirstButton(HWND box);

} // namespace wintest
