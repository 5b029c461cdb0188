// CControlDeskPort: one COM port for the byte-oriented generator types.
//
// Threads: the owner's (GUI) thread calls Open, StartWatch, the Queue*
// operations and Close; the watch thread waits on the port, sends the bytes of
// each read to the owner in one WM_PORT_CHAR (synchronously, so bytes reach
// the parser in order; the owner takes them with TakeReceived and feeds its
// parser one by one) and writes the queued frames, in
// order, each whole. The I/O itself lives in the face's Io (serial/win32 for the product,
// serial/sim for native tests).
#pragma once

#include "serial/WriteQueue.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CDialog;

class CControlDeskPort {
public:
    CControlDeskPort();
    virtual ~CControlDeskPort();
    CControlDeskPort(const CControlDeskPort&) = delete;
    CControlDeskPort& operator=(const CControlDeskPort&) = delete;

    // 1 when the device was opened (configuration failures show the error box
    // but still give 1), 0 when it cannot be opened.
    int Open(CDialog* owner, unsigned portNumber, unsigned baud, char parity, unsigned dataBits,
             unsigned stopBits, std::uint32_t eventsMask, unsigned writeBufferSize);
    int StartWatch();
    void Close();
    // The watch thread runs its loop.
    bool IsWatchAlive() const;
    // The watch thread gave up a device that is gone (and told the owner with
    // WM_PORT_LOST): frames are refused until the port is opened again.
    bool DeviceLost() const;

    // Queue a frame behind those still waiting and ask the watch thread to
    // write them. A frame is refused, and nothing is queued, when it does not
    // fit the write buffer size (with its terminating zero; null bytes with a
    // count count as not fitting), when the queue is full, or when the port is
    // not open or has lost its device.
    QueueResult QueueBytes(const std::uint8_t* bytes, unsigned count);
    QueueResult QueueSumFrame(const std::string& text);
    QueueResult QueueHexFrame(const std::string& text);
    QueueResult QueueAck();

    // "COM%d" below 5, "\\.\COM%d" from 5 on.
    static std::string DeviceName(unsigned portNumber);
    // "baud=%d parity=%c data=%d stop=%d".
    static std::string ModeString(unsigned baud, char parity, unsigned dataBits, unsigned stopBits);
    // The text of the port error box for a failed operation (see the .cpp).
    static std::string PortErrorText(const std::string& operation, unsigned long errorCode,
                                     const std::string& systemText, unsigned portNumber);
    // Shows the port error box and waits until it is pressed away: for Open,
    // on the owner's thread, before the watch thread runs.
    static void ShowPortError(const std::string& operation, unsigned long errorCode,
                              const std::string& systemText, unsigned portNumber);
    // Shows the port error box aside and returns at once: for the watch
    // thread, whose I/O must go on while the box waits for the operator.
    static void ShowPortErrorAside(const std::string& operation, unsigned long errorCode,
                                   const std::string& systemText, unsigned portNumber);

    // The window thread's side of a delivery: the bytes whose offer number a
    // WM_PORT_CHAR carries in wParam; false (nothing) for any other number.
    bool TakeReceived(std::uintptr_t number, std::vector<std::uint8_t>& bytes);

    struct Io;

private:
    // The face's part of the queue operations: queue the frame, wake the writer.
    QueueResult QueueFrame(const std::vector<std::uint8_t>& frame);

    std::unique_ptr<Io> m_io;
};
