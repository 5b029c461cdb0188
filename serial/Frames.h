// The frames that the two port classes put on the wire, built as plain bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using Frame = std::vector<std::uint8_t>;

// The link port composes prefix, text and ETX in a 100-byte work area that
// also holds a terminating zero, so a link body carries at most 97 text bytes.
constexpr std::size_t kLinkBodyArea = 100;
constexpr std::size_t kLinkTextMax = kLinkBodyArea - 3;

// text ETX sum (type 11). The checksum byte is part of the frame even when 0.
Frame SumFrame(const std::string& text);
// STX text hex-checksum ETX (type 13); the checksum covers STX and the text.
Frame HexFrame(const std::string& text);
// ACK ETX (type 13 acknowledgement).
Frame AckFrame();
// SYN SYN SYN STX prefix text ETX xor (type 17); the checksum covers prefix,
// text and ETX. Empty when the text does not fit the body's work area.
Frame LinkFrame(char prefix, const std::string& text);
// SYN SYN SYN STX ACK ETX xor: 16 16 16 02 06 03 05.
Frame LinkAckFrame();
