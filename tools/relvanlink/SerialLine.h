// The component's serial port: 8N1 at a given baud. Two threads of its own
// work the port: a reader that hands on every byte it receives, and a writer
// that writes the lines the caller queued, each whole and in order. The
// caller (the panel's thread, inside a method call) only queues, so a line
// that takes nothing (an adapter stuck in flow control, a far end that stopped
// reading) never holds it; while the writer waits out its time-outs the queue
// fills, and a full queue refuses the line.
//
// Trouble is reported from those threads: a line not written whole (failed or
// timed out) as Unwritten, the first of a run of them; a port that is gone (a read or write failed
// and ClearCommError fails too, or reads keep failing) as Lost, once per Open. After Lost the port
// takes no more lines and IsOpen is false; the owner closes it and opens it again when the device
// is back.
//
// Threads: Open and Close run on the caller's thread with no other thread
// running; Write on the caller's thread; the outbox is shared with the writer
// under m_outboxLock; m_receiver is the reader's; the handles are set by Open
// and Close only.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <deque>
#include <functional>
#include <string>

class SerialLine {
public:
    enum class Trouble { Lost, Unwritten };
    // Called on the reader thread with the bytes as they arrive.
    using Receiver = std::function<void(const char* data, std::size_t size)>;
    // Called on the reader or writer thread; `error` is the Win32 error.
    using TroubleHandler = std::function<void(Trouble trouble, DWORD error)>;

    SerialLine();
    ~SerialLine();
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    // Opens COM`port`; false when it cannot be opened or set up, with the
    // Win32 error in OpenError.
    bool Open(int port, unsigned baud, Receiver receiver, TroubleHandler onTrouble);
    DWORD OpenError() const { return m_openError; }
    bool IsOpen() const { return m_port != INVALID_HANDLE_VALUE && !m_lost; }
    // Open, but found gone by the reader or the writer.
    bool IsLost() const { return m_port != INVALID_HANDLE_VALUE && m_lost; }
    // Queues `bytes` for the writer and returns at once; false when the port
    // is closed or lost or the queue is full.
    bool Write(const std::string& bytes);
    // Lets the writer finish the queued lines for up to `drainMs`, then stops
    // both threads and closes the port; what is still queued is dropped and
    // nothing is received after it.
    void Close(DWORD drainMs = 0);

private:
    bool Configure(unsigned baud);
    DWORD WriteTimeoutMs(DWORD size) const;
    bool Stopping() const;
    DWORD ReadLoop();
    DWORD WriteLoop();
    // One overlapped read into `buffer`: 0, or the Win32 error (ERROR_HANDLE_EOF
    // for a read that ended with nothing); also ends on the stop event.
    DWORD Read(char* buffer, DWORD wanted, DWORD& count);
    // Writes all of `bytes`: 0, or the Win32 error (ERROR_TIMEOUT when the
    // port took them not all in time). A line cut short is ended with LF.
    DWORD WriteLine(const std::string& bytes);
    DWORD WriteNow(const char* bytes, DWORD size, DWORD& written);
    // True when the port still answers; its line errors are cleared.
    bool StillThere(DWORD& error);
    void Report(Trouble trouble, DWORD error);
    bool TakeQueued(std::string& bytes);
    static DWORD WINAPI ReaderThread(LPVOID line);
    static DWORD WINAPI WriterThread(LPVOID line);

    HANDLE m_port = INVALID_HANDLE_VALUE;
    HANDLE m_stop = nullptr;
    HANDLE m_readDone = nullptr;
    HANDLE m_writeDone = nullptr;
    HANDLE m_queued = nullptr; // set by Write, taken by the writer
    HANDLE m_idle = nullptr;   // set while the outbox is empty and nothing is written
    HANDLE m_reader = nullptr;
    HANDLE m_writer = nullptr;
    DWORD m_msPerByte = 1;
    DWORD m_openError = 0;
    std::atomic<bool> m_lost{false};
    Receiver m_receiver;
    TroubleHandler m_onTrouble;
    CRITICAL_SECTION m_outboxLock;
    std::deque<std::string> m_outbox; // under m_outboxLock
};
