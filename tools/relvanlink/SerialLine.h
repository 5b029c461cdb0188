// The component's serial port: 8N1 at a given baud, written whole from the
// caller's thread, read by a thread of its own that hands on every byte it
// receives.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>

class SerialLine {
public:
    // Called on the reader thread with the bytes as they arrive.
    using Receiver = std::function<void(const char* data, std::size_t size)>;

    SerialLine() = default;
    ~SerialLine();
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    // Opens COM`port`; false when it cannot be opened or set up.
    bool Open(int port, unsigned baud, Receiver receiver);
    bool IsOpen() const { return m_port != INVALID_HANDLE_VALUE; }
    // Writes all of `bytes` before it returns; false when the port took
    // them not all within the write time-out.
    bool Write(const std::string& bytes);
    // Stops the reader and closes the port; nothing is received after it.
    void Close();

private:
    bool Configure(unsigned baud);
    DWORD WriteTimeoutMs(DWORD size) const;
    DWORD ReadLoop();
    // One overlapped read into `buffer`; false on the stop event or a failure.
    bool Read(char* buffer, DWORD wanted, DWORD& count);
    static DWORD WINAPI ReaderThread(LPVOID line);

    HANDLE m_port = INVALID_HANDLE_VALUE;
    HANDLE m_stop = nullptr;
    HANDLE m_readDone = nullptr;
    HANDLE m_writeDone = nullptr;
    HANDLE m_thread = nullptr;
    DWORD m_msPerByte = 1;
    Receiver m_receiver;
};
