// The line settings both ports set themselves rather than keep from the
// port's last user.
#pragma once

#include <windows.h>

// Every byte passes and nothing holds the line up: no XON/XOFF (a checksum
// may be 0x11 or 0x13), no byte replaced or discarded (zero bytes included),
// no CTS/DSR handshake holding output back, and a line error (a framing
// error, an overrun) does not abort reads and writes until it is cleared.
void SetRawLine(DCB& dcb);
