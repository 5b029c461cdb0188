// Window messages that the program's own parts exchange.
#pragma once

#include "platform/WinTypes.h"

// From the port threads to the main window. The received-data messages carry
// in wParam only the number of the port's offer, by which the window takes the
// bytes from the port (serial/DeliverySlot.h); any other wParam is no delivery.
constexpr UINT WM_LINK_DATA = WM_USER + 1;   // CLinkPort: lParam = bytes now in g_rxBlock
constexpr UINT WM_PORT_BREAK = WM_USER + 11; // CControlDeskPort notifications, lParam = port number
constexpr UINT WM_PORT_CTS = WM_USER + 12;
constexpr UINT WM_PORT_ERR = WM_USER + 14;
constexpr UINT WM_PORT_RING = WM_USER + 15;
constexpr UINT WM_PORT_CHAR = WM_USER + 17; // CControlDeskPort: the bytes of one read
constexpr UINT WM_PORT_RXFLAG = WM_USER + 18;
// A port's thread gave up a device that is gone (a USB adapter unplugged, a
// pty closed): posted, wParam = the system error code, lParam = the port
// number (0 from the link port, which knows only its device name).
constexpr UINT WM_PORT_LOST = WM_USER + 19;

// The tray icon's callback. It has a number of its own so that tray
// notifications can never be taken for link data.
constexpr UINT WM_TRAY_NOTIFY = WM_USER + 100;

// From the console panel to the main window.
constexpr UINT WM_PCOP_CHARGED = WM_USER + 211;
constexpr UINT WM_PCOP_POWEROFF = WM_USER + 212;
constexpr UINT WM_PCOP_STATUSTEXT = WM_USER + 213;

// Command ids.
constexpr UINT kIdOk = 1;
constexpr UINT kIdCancel = 2;
constexpr UINT kIdSysAbout = 16;      // system menu item "About"
constexpr UINT kIdConsoleExit = 1018; // the console's EXIT button
constexpr int kIdStaticNotice = 1000; // "Don't destroy this window."
