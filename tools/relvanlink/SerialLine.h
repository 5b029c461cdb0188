// The component's serial port: 8N1 at a given baud. Two threads of its own
// work the port: a reader that hands on every byte it receives, and a writer
// that writes the lines the caller queued, each whole and in order. The
// caller (the panel's thread, inside a method call) only queues, so a line
// that takes nothing (an adapter stuck in flow control, a far end that stopped
// reading) never holds it; while the writer waits out its time-outs the queue
// fills, and a full queue refuses the line.
//
// Threads: Open and Close run on the caller's thread with no other thread
// running; Write on the caller's thread; the outbox is shared with the writer
// under m_outboxLock; m_receiver is the reader's; the handles are set by Open
// and Close only.
#pragma once

#include <windows.h>

#include <cstddef>
#include <deque>
#include <functional>
#include <string>

class SerialLine {
public:
    // Called on the reader thread with the bytes as they arrive.
    using Receiver = std::function<void(const char* data, std::size_t size)>;

    SerialLine();
    ~SerialLine();
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    // Opens COM`port`; false when it cannot be opened or set up.
    bool Open(int port, unsigned baud, Receiver receiver);
    bool IsOpen() const { return m_port != INVALID_HANDLE_VALUE; }
    // Queues `bytes` for the writer and returns at once; false when the port
    // is closed or the queue is full.
    bool Write(const std::string& bytes);
    // Stops both threads and closes the port; lines still queued are dropped
    // and nothing is received after it.
    void Close();

private:
    bool Configure(unsigned baud);
    DWORD WriteTimeoutMs(DWORD size) const;
    DWORD ReadLoop();
    DWORD WriteLoop();
    // One overlapped read into `buffer`; false on the stop event or a failure.
    bool Read(char* buffer, DWORD wanted, DWORD& count);
    // Writes all of `bytes`; false when the port took them not all within the
    // write time-out, or Close came first.
    bool WriteNow(const std::string& bytes);
    bool TakeQueued(std::string& bytes);
    static DWORD WINAPI ReaderThread(LPVOID line);
    static DWORD WINAPI WriterThread(LPVOID line);

    HANDLE m_port = INVALID_HANDLE_VALUE;
    HANDLE m_stop = nullptr;
    HANDLE m_readDone = nullptr;
    HANDLE m_writeDone = nullptr;
    HANDLE m_queued = nullptr; // set by Write, taken by the writer
    HANDLE m_reader = nullptr;
    HANDLE m_writer = nullptr;
    DWORD m_msPerByte = 1;
    Receiver m_receiver;
    CRITICAL_SECTION m_outboxLock;
    std::deque<std::string> m_outbox; // under m_outboxLock
};
