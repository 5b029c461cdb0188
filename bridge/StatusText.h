// How the console panel's trace texts reach the main window. The console
// posts WM_PCOP_STATUSTEXT, so the text must outlive the post: it travels as a
// heap std::string whose address is the message's wParam, and the main window
// takes it back (and frees it) when it handles the message.
#pragma once

#include "platform/WinTypes.h"

#include <memory>
#include <string>

class CDialog;

// Posts `text` to `mainWindow` as WM_PCOP_STATUSTEXT; false (nothing leaks)
// when the post fails.
bool PostStatusText(CDialog& mainWindow, const std::string& text);

// The text of a WM_PCOP_STATUSTEXT; null for a wParam of 0.
std::unique_ptr<std::string> TakeStatusText(WPARAM wParam);
