// The PC parallel port of console model 1: one byte written to an I/O
// address (the data register) and one byte read from one (the status
// register, which carries the hand switch).
#pragma once

#include <cstdint>

class IParallelPort {
public:
    virtual ~IParallelPort() = default;
    virtual void Write(std::uint16_t address, std::uint8_t value) = 0;
    virtual std::uint8_t Read(std::uint16_t address) = 0;
};
