#include "serial/Checksums.h"

namespace {

const std::uint8_t* BytesOf(const std::string& text) {
    return reinterpret_cast<const std::uint8_t*>(text.data());
}

} // namespace

std::uint8_t SumChecksum(const std::uint8_t* bytes, std::size_t count) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < count; ++i) {
        sum += bytes[i];
    }
    return static_cast<std::uint8_t>(sum & 0xFF);
}

std::uint8_t SumChecksum(const std::string& bytes) {
    return SumChecksum(BytesOf(bytes), bytes.size());
}

std::string HexChecksum(const std::uint8_t* bytes, std::size_t count) {
    static const char kDigits[] = "0123456789ABCDEF";
    const std::uint8_t value = static_cast<std::uint8_t>(0xFF - SumChecksum(bytes, count));
    return {kDigits[value >> 4], kDigits[value & 0x0F]};
}

std::string HexChecksum(const std::string& bytes) {
    return HexChecksum(BytesOf(bytes), bytes.size());
}

std::uint8_t XorChecksum(const std::uint8_t* bytes, std::size_t count) {
    std::uint8_t value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        value ^= bytes[i];
    }
    return value;
}

std::uint8_t XorChecksum(const std::string& bytes) {
    return XorChecksum(BytesOf(bytes), bytes.size());
}
