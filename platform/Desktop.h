// The program's view of the desktop around it: other top-level windows, the
// notification area and message boxes.
#pragma once

#include "platform/WinTypes.h"

#include <string>

namespace platform {

// The first top-level window, in the system's enumeration order, whose title
// (up to 260 characters) equals `title` byte for byte; null when none does.
HWND FindTopLevelWindow(const std::string& title);

// Sends WM_COPYDATA synchronously to `to`, with `from` as wParam. `data` may be
// null. Returns the receiver's answer.
LRESULT SendCopyData(HWND to, HWND from, DWORD kind, DWORD cbData, const void* data);

// A modal message box without owner window. Every message box of the program
// goes through here. Returns the button pressed.
int ShowMessageBox(const std::string& text, const std::string& caption, UINT type);

// The same box, shown on a thread of its own so that the caller goes on at
// once (a port's watch thread must not wait for an operator who may never
// come). At most one such box is open at a time: while one waits, others are
// not shown (false).
bool ShowMessageBoxAside(const std::string& text, const std::string& caption, UINT type);

// Adds (NIM_ADD) or deletes (NIM_DELETE) the notification-area icon of `owner`
// (icon id 0). Returns the shell's result.
bool NotifyTrayIcon(HWND owner, DWORD operation, UINT callbackMessage, int iconId,
                    const std::string& tip);

// The message ("TaskbarCreated") the shell sends every top-level window when
// it starts again: the notification-area icons it held are gone. 0 when it
// cannot be registered.
UINT TaskbarCreatedMessage();

} // namespace platform
