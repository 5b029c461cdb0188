// The three checksums of the serial protocols.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Low 8 bits of the byte sum (type 11 frames).
std::uint8_t SumChecksum(const std::uint8_t* bytes, std::size_t count);
std::uint8_t SumChecksum(const std::string& bytes);

// One's complement of the low 8 bits of the byte sum, as two upper-case
// hexadecimal digits (type 13 frames).
std::string HexChecksum(const std::uint8_t* bytes, std::size_t count);
std::string HexChecksum(const std::string& bytes);

// Bitwise exclusive-or of all bytes (type 17 frames).
std::uint8_t XorChecksum(const std::uint8_t* bytes, std::size_t count);
std::uint8_t XorChecksum(const std::string& bytes);
