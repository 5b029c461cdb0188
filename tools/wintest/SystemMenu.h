#pragma once
// Opening a dialog from a window's system menu, the way an operator does, and reading its
// caption as Unicode (an About box need not be in the system code page).
#include <windows.h>

#include <string>

namespace wintest {

// Chooses system-menu command `commandId` on `window`, waits up to `timeoutMs` for a
// dialog of the same process to show, returns its caption as UTF-8 and presses its first
// button. Empty when no dialog came.
std::string openAndCloseDialog(HWND window, UINT commandId, DWORD timeoutMs);

} // namespace wintest
