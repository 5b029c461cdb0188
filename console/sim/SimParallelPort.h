// The parallel port of the native tests: 64 KiB of I/O space, every write
// recorded. Tests set the status register (base address + 1) to move the
// hand switch.
#pragma once

#include "console/ParallelPort.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace sim {

struct PortWrite {
    std::uint16_t address = 0;
    std::uint8_t value = 0;
    bool operator==(const PortWrite& other) const {
        return address == other.address && value == other.value;
    }
};

class SimParallelPort : public IParallelPort {
public:
    SimParallelPort() { space.fill(0xFF); }

    void Write(std::uint16_t address, std::uint8_t value) override {
        space[address] = value;
        writes.push_back({address, value});
        if (onWrite) {
            onWrite(writes.back());
        }
    }
    std::uint8_t Read(std::uint16_t address) override {
        reads.push_back(address);
        if (onRead) {
            onRead(address, space[address]);
        }
        return space[address];
    }

    // The values written to `address`, in order.
    std::vector<std::uint8_t> ValuesAt(std::uint16_t address) const {
        std::vector<std::uint8_t> values;
        for (const PortWrite& write : writes) {
            if (write.address == address) {
                values.push_back(write.value);
            }
        }
        return values;
    }

    std::array<std::uint8_t, 0x10000> space{};
    std::vector<PortWrite> writes;
    // Called after each write, e.g. to put it in order with other outputs.
    std::function<void(const PortWrite&)> onWrite;
    // Called at each read with the address and the value read.
    std::function<void(std::uint16_t, std::uint8_t)> onRead;
    std::vector<std::uint16_t> reads;
};

} // namespace sim
