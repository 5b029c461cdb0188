// The running program among the others: its own file, the single-instance
// check's process count, and the window slot shared by all its instances.
#pragma once

#include "platform/WinTypes.h"

#include <string>

namespace platform {

// The full path of the running executable; empty when it is longer than 259
// characters.
std::string ModuleFileName();
bool ChangeDirectory(const std::string& directory);

// 1 when a process with this executable file name runs besides this one;
// 0 when not; an error code (605, 606, 607, 632) when the count failed.
int CountProcessInstances(const std::string& fileName);

// The main window that the first running instance published (null if none).
HWND SharedMainWindow();
void PublishMainWindow(HWND hwnd);
// Brings a window to the foreground, restoring it when minimised, without
// waiting on the window's thread.
void BringToForeground(HWND hwnd);

// Ends the calling thread's message loop with `exitCode`.
void PostQuit(int exitCode);

} // namespace platform
