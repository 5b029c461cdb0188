#pragma once
// The relay's one COM port: opened overlapped with the line settings of the generator
// type, written synchronously from the window's thread, and read by a thread of its
// own that hands each block of received bytes to a callback. The reader sleeps the
// way the program's ports do: an overlapped one-byte read that ends when a byte
// arrives, then a read of what followed it in the input queue.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace relay {

class RelayPort {
public:
    using Receiver = std::function<void(const std::uint8_t* data, DWORD count)>;

    ~RelayPort();
    // "baud=... parity=N data=8 stop=1" style mode string; false when the port fails.
    bool Open(const std::string& device, const std::string& mode);
    bool StartReader(Receiver receiver);
    bool Write(const std::uint8_t* data, DWORD count);
    void Close();

private:
    static DWORD WINAPI ReaderThread(LPVOID self);
    void ReadLoop();
    DWORD ReadFirstByte();
    DWORD ReadQueued(DWORD offset);
    DWORD Finish(OVERLAPPED& overlapped, BOOL started, DWORD count);

    HANDLE m_port = INVALID_HANDLE_VALUE;
    HANDLE m_thread = nullptr;
    HANDLE m_stop = nullptr;
    OVERLAPPED m_firstOv{};
    OVERLAPPED m_readOv{};
    OVERLAPPED m_writeOv{};
    Receiver m_receiver;
    std::uint8_t m_buffer[4096] = {};
    volatile LONG m_running = 0;
};

} // namespace relay
