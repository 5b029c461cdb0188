// The simulated I/O space of the port test double: the file named by the
// environment variable RELVAN_PORTSIM holds one byte per I/O address (65536
// bytes, made and filled with 0xFF when missing or short). Every write is also
// appended to the file named by RELVAN_PORTSIM_LOG as one line
// "<milliseconds since 1970-01-01 UTC> <address, 4 hex digits> <value, 2 hex digits>".
// Without a variable, or with a file that cannot be opened, reads give 0xFF
// and writes are dropped.
#pragma once

#include <cstdint>

namespace portsim {

std::uint8_t ReadByte(std::uint16_t address);
void WriteByte(std::uint16_t address, std::uint8_t value);

} // namespace portsim
