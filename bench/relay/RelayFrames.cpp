#include "bench/relay/RelayFrames.h"

#include <cstdio>

namespace relay {
namespace {

constexpr std::uint8_t kStx = 0x02;
constexpr std::uint8_t kEtx = 0x03;
constexpr std::uint8_t kSyn = 0x16;

std::uint8_t Sum(const Bytes& bytes) {
    unsigned sum = 0;
    for (const std::uint8_t byte : bytes) {
        sum += byte;
    }
    return static_cast<std::uint8_t>(sum);
}

std::uint8_t Xor(const Bytes& bytes) {
    std::uint8_t value = 0;
    for (const std::uint8_t byte : bytes) {
        value ^= byte;
    }
    return value;
}

void Append(Bytes& bytes, const std::string& text) {
    for (const char c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c));
    }
}

Bytes SumFrame(const std::string& text) {
    Bytes frame;
    Append(frame, text);
    frame.push_back(kEtx);
    frame.push_back(Sum(frame));
    return frame;
}

Bytes HexFrame(const std::string& text) {
    Bytes frame{kStx};
    Append(frame, text);
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02X", 255u - Sum(frame));
    Append(frame, digits);
    frame.push_back(kEtx);
    return frame;
}

Bytes LinkFrame(const std::string& text) {
    Bytes frame{kSyn, kSyn, kSyn, kStx, 'A'};
    Append(frame, text);
    frame.push_back(kEtx);
    frame.push_back(Xor(Bytes(frame.begin() + 4, frame.end())));
    return frame;
}

} // namespace

Bytes FrameCommand(int type, const std::string& text) {
    switch (type) {
    case 11:
        return SumFrame(text);
    case 13:
        return HexFrame(text);
    default:
        return LinkFrame(text);
    }
}

// Types 11 and 17 end a frame with the checksum byte after ETX; type 13 with ETX.
bool FrameCutter::EndsFrame(std::uint8_t byte) const {
    if (m_type == 13) {
        return byte == kEtx;
    }
    return m_checksumNext;
}

std::vector<std::string> FrameCutter::Feed(const std::uint8_t* data, std::size_t count) {
    std::vector<std::string> frames;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t byte = data[i];
        if (EndsFrame(byte)) {
            if (m_type == 13 && m_frame.size() >= 2) {
                m_frame.resize(m_frame.size() - 2); // the checksum digits
            }
            frames.push_back(m_frame);
            m_frame.clear();
            m_checksumNext = false;
            continue;
        }
        if (byte == kEtx) {
            m_checksumNext = true;
        } else if (byte != kStx && byte != kSyn) {
            m_frame.push_back(static_cast<char>(byte));
        }
    }
    return frames;
}

} // namespace relay
