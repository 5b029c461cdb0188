// What the link control tells its container besides the console's events:
// the failure codes of its methods and the event that reports its port.
#pragma once

#include <windows.h>

// A method fails (DISP_E_EXCEPTION with the code and a text naming the port
// in its EXCEPINFO, or the code itself without one) when its line cannot go
// out: no port is configured (LINK_E_NOPORT), the port cannot be opened (the
// Win32 error of the open as an HRESULT: 0x80070002 missing, 0x80070005 busy
// or refused), or the line takes nothing (LINK_E_LINEFULL). The codes lie
// above the ranges that OLE's own interfaces use (0x0200 to 0x020F).
constexpr HRESULT LINK_E_NOPORT = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x0230);
constexpr HRESULT LINK_E_LINEFULL = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x0231);

// Event PortState(port, state, text): the port ("COM6") is "failed" (cannot
// be opened), "lost" (gone while open), "open" again after either, or a call
// was "unwritten"; `text` says so for a log or an operator. Raised on changes
// only, never for every call or every try to reopen.
constexpr int kPortStateEvent = 100;
