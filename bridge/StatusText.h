// How the console panel's trace texts reach the main window. The console
// posts WM_PCOP_STATUSTEXT, so the text must outlive the post; and any
// process can post that message with any wParam, so the message carries no
// pointer. The text waits in a small table of this program's own, and the
// message carries only its number, by which the main window takes it. A
// number the table does not hold (a foreign post, a text already taken) gives
// nothing and does no harm.
#pragma once

#include "platform/WinTypes.h"

#include <optional>
#include <string>

class CDialog;

// Texts waiting at most: a post that is never handled (the window went away)
// cannot make the table grow; the oldest text gives way.
constexpr std::size_t kStatusTextsWaiting = 64;

// Posts `text` to `mainWindow` as WM_PCOP_STATUSTEXT; false (nothing kept)
// when the post fails.
bool PostStatusText(CDialog& mainWindow, const std::string& text);

// Sends `text` to `mainWindow` as WM_PCOP_STATUSTEXT and returns once it was
// handled; a text the window did not take is dropped.
void SendStatusText(CDialog& mainWindow, const std::string& text);

// The text whose number a WM_PCOP_STATUSTEXT carries in wParam, taken out of
// the table; nothing for a number that is not waiting.
std::optional<std::string> TakeStatusText(WPARAM wParam);
