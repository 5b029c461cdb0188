// The parts of CLinkPort that are the same on every face: the frames and the
// program-wide receive block. The I/O lives in serial/win32/LinkPortIo.cpp and
// serial/sim/LinkPortIo.cpp.
#include "serial/LinkPort.h"

#include "serial/Frames.h"

#include <algorithm>
#include <cstring>

std::uint8_t g_rxBlock[kRxBlockSize];

int CLinkPort::SendFrame(char prefix, const std::string& text) {
    const Frame frame = LinkFrame(prefix, text);
    return frame.empty() ? 0 : WriteFrame(frame);
}

int CLinkPort::SendAckFrame() {
    return WriteFrame(LinkAckFrame());
}

void CLinkPort::FillRxBlock(const std::uint8_t* bytes, unsigned count) {
    std::memset(g_rxBlock, 0, sizeof g_rxBlock);
    std::memcpy(g_rxBlock, bytes, std::min<unsigned>(count, kRxBlockSize));
}
