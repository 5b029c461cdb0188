// CControlDeskPort: one COM port for the byte-oriented generator types.
//
// Threads: the owner's (GUI) thread calls Open, StartWatch, the Queue*
// operations and Close; the watch thread waits on the port, sends one
// WM_PORT_CHAR per received byte to the owner (synchronously, so bytes reach
// the parser in order) and writes the queued frame. The I/O itself lives in
// the face's Io (serial/win32 for the product, serial/sim for native tests).
#pragma once

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
    int SuspendWatch();
    int ResumeWatch();
    void Close();
    // The watch thread runs its loop.
    bool IsWatchAlive() const;

    // Fill the single write slot and ask the watch thread to write it. A frame
    // that does not fit the slot (with its terminating zero) is refused: the
    // result is then 0 and nothing is queued.
    int QueueBytes(const std::uint8_t* bytes, unsigned count);
    int QueueSumFrame(const std::string& text);
    int QueueHexFrame(const std::string& text);
    void QueueAck();

    // "COM%d" below 5, "\\.\COM%d" from 5 on.
    static std::string DeviceName(unsigned portNumber);
    // "baud=%d parity=%c data=%d stop=%d".
    static std::string ModeString(unsigned baud, char parity, unsigned dataBits, unsigned stopBits);
    // Shows the port error box for a failed operation (see the .cpp).
    static void ShowPortError(const std::string& operation, unsigned long errorCode,
                              const std::string& systemText, unsigned portNumber);

    struct Io;

private:
    // The face's part of the queue operations: fill the slot, wake the writer.
    int QueueFrame(const std::vector<std::uint8_t>& frame);
    bool IsPortOpen() const;

    std::unique_ptr<Io> m_io;
};
