#include "serial/Frames.h"

#include "serial/Checksums.h"
#include "serial/ControlChars.h"

namespace {

constexpr std::uint8_t Byte(char c) {
    return static_cast<std::uint8_t>(c);
}

void Append(Frame& frame, const std::string& text) {
    frame.insert(frame.end(), text.begin(), text.end());
}

Frame SynFramed(const Frame& body) {
    Frame frame;
    frame.reserve(body.size() + 5);
    frame.assign(3, Byte(SYN));
    frame.push_back(Byte(STX));
    frame.insert(frame.end(), body.begin(), body.end());
    frame.push_back(XorChecksum(body.data(), body.size()));
    return frame;
}

} // namespace

Frame SumFrame(const std::string& text) {
    Frame frame;
    Append(frame, text);
    frame.push_back(Byte(ETX));
    frame.push_back(SumChecksum(frame.data(), frame.size()));
    return frame;
}

Frame HexFrame(const std::string& text) {
    Frame frame = {Byte(STX)};
    Append(frame, text);
    Append(frame, HexChecksum(frame.data(), frame.size()));
    frame.push_back(Byte(ETX));
    return frame;
}

Frame AckFrame() {
    return {Byte(ACK), Byte(ETX)};
}

Frame LinkFrame(char prefix, const std::string& text) {
    if (text.size() > kLinkTextMax) {
        return {};
    }
    Frame body = {Byte(prefix)};
    Append(body, text);
    body.push_back(Byte(ETX));
    return SynFramed(body);
}

Frame LinkAckFrame() {
    return SynFramed({Byte(ACK), Byte(ETX)});
}
