#pragma once
// The bytes the relay puts on the wire for a command, and the cutting of the bytes it
// receives into complete frames, for each generator type:
//   11: text ETX sum              (sum = low 8 bits of the sum of text and ETX)
//   13: STX text HH ETX           (HH = one's complement of the sum of STX and text)
//   17: SYN SYN SYN STX A text ETX xor
#include <cstdint>
#include <string>
#include <vector>

namespace relay {

using Bytes = std::vector<std::uint8_t>;

Bytes FrameCommand(int type, const std::string& text);

// Collects received bytes; Feed returns the frames the bytes complete, each as the
// text between its framing bytes (everything but the checksum).
class FrameCutter {
public:
    explicit FrameCutter(int type) : m_type(type) {}
    std::vector<std::string> Feed(const std::uint8_t* data, std::size_t count);

private:
    bool EndsFrame(std::uint8_t byte) const;

    int m_type;
    std::string m_frame;
    bool m_checksumNext = false;
};

} // namespace relay
