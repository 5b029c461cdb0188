// The two entry points of the port test double, at the I/O-port library's
// ordinals (inpout32.def): 1 reads a byte from an I/O address (in the low
// byte of the result), 2 writes one.
#include "tools/inpout32sim/PortSpace.h"

extern "C" {

short __stdcall PortIn(short address) {
    return portsim::ReadByte(static_cast<std::uint16_t>(address));
}

void __stdcall PortOut(short address, short value) {
    portsim::WriteByte(static_cast<std::uint16_t>(address), static_cast<std::uint8_t>(value));
}

} // extern "C"
