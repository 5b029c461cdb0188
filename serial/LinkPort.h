// CLinkPort: the block-reading COM port of generator type 17.
//
// Threads: ThreadWatchComm is the only reader. It reads whatever the input
// queue holds (up to 4096 bytes), copies it into g_rxBlock and sends
// WM_LINK_DATA to the owner synchronously, so g_rxBlock is only written while
// no handler reads it. The owner's thread is the only writer: SendFrame and
// SendAckFrame write synchronously. Close waits for ThreadWatchComm to end, so
// nothing touches the object after the owner deletes it.
#pragma once

#include "platform/WinTypes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

constexpr unsigned kRxBlockSize = 4096;
extern std::uint8_t g_rxBlock[kRxBlockSize];

class CDialog;

class CLinkPort {
public:
    CLinkPort();
    ~CLinkPort();
    CLinkPort(const CLinkPort&) = delete;
    CLinkPort& operator=(const CLinkPort&) = delete;

    // 1 when the port is configured and its watch thread runs, else 0.
    int Open(CDialog* owner, const std::string& portName, unsigned baud, int unused);
    void Close();
    // A thread found the device gone (and told the owner with WM_PORT_LOST):
    // sends are refused until the port is opened again.
    bool DeviceLost() const;
    // Sends SYN SYN SYN STX prefix text ETX xor; returns the bytes written.
    // Text that does not fit the 100-byte body is refused (0 written).
    int SendFrame(char prefix, const std::string& text);
    // Sends 16 16 16 02 06 03 05; returns the bytes written.
    int SendAckFrame();

    // The window thread's side of a delivery: the bytes whose offer number a
    // WM_LINK_DATA carries in wParam; false (nothing) for any other number.
    bool TakeReceived(std::uintptr_t number, std::vector<std::uint8_t>& bytes);

    struct Io;

private:
    // Writes one whole frame; the face's part of the sends.
    int WriteFrame(const std::vector<std::uint8_t>& frame);
    // Clears g_rxBlock and copies `count` (at most kRxBlockSize) bytes to its start.
    static void FillRxBlock(const std::uint8_t* bytes, unsigned count);

    std::unique_ptr<Io> m_io;
};
