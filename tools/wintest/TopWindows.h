#pragma once
// Looking up top-level windows of the whole desktop by their exact title, the way an
// outside program sees them.
#include <windows.h>

#include <string>

namespace wintest {

// First top-level window whose title equals `title` byte for byte, or null.
HWND findWindow(const std::string& title, const char* className = nullptr);

// Polls findWindow until it answers or `timeoutMs` has passed.
HWND waitForWindow(const std::string& title, DWORD timeoutMs, const char* className = nullptr);

// Polls until no window with that title is left; true when it went away in time.
bool waitUntilGone(const std::string& title, DWORD timeoutMs);

} // namespace wintest
