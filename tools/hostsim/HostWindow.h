#pragma once
// hostsim's top-level window: it stands in for the imaging host. It prints every
// WM_COPYDATA record it receives and sends records to the target window on request.
#include "tools/hostsim/HostCommand.h"

#include <windows.h>

#include <string>

namespace hostsim {

// Sent to the window (lParam = const OutgoingRecord*) to send that record to the target.
constexpr UINT WM_HOSTSIM_SEND = WM_APP + 1;

// Creates the window with the given title; null on failure. `exitAfterMs` > 0 closes it
// after that time.
HWND createHostWindow(const std::string& title, const std::string& target, DWORD exitAfterMs);

} // namespace hostsim
