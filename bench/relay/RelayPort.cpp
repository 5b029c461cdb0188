#include "bench/relay/RelayPort.h"

namespace relay {
namespace {

constexpr DWORD kQueueSize = 4096;
constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

void Reset(OVERLAPPED& overlapped) {
    HANDLE event = overlapped.hEvent;
    overlapped = OVERLAPPED{};
    overlapped.hEvent = event;
    ResetEvent(event);
}

// No time limits: a read waits for as many bytes as it asks for, and only the
// one-byte read asks for more than the queue holds.
COMMTIMEOUTS NoTimeLimits() {
    return COMMTIMEOUTS{};
}

} // namespace

RelayPort::~RelayPort() {
    Close();
    for (HANDLE event : {m_stop, m_firstOv.hEvent, m_readOv.hEvent, m_writeOv.hEvent}) {
        if (event != nullptr) {
            CloseHandle(event);
        }
    }
}

bool RelayPort::Open(const std::string& device, const std::string& mode) {
    for (HANDLE* event : {&m_stop, &m_firstOv.hEvent, &m_readOv.hEvent, &m_writeOv.hEvent}) {
        *event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    }
    m_port = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OVERLAPPED, nullptr);
    if (m_port == INVALID_HANDLE_VALUE) {
        return false;
    }
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    COMMTIMEOUTS timeouts = NoTimeLimits();
    const bool configured = SetupComm(m_port, kQueueSize, kQueueSize) &&
                            GetCommState(m_port, &dcb) && BuildCommDCBA(mode.c_str(), &dcb) &&
                            SetCommState(m_port, &dcb) && SetCommTimeouts(m_port, &timeouts) &&
                            SetCommMask(m_port, EV_RXCHAR);
    PurgeComm(m_port, kPurgeAll);
    return configured;
}

bool RelayPort::StartReader(Receiver receiver) {
    m_receiver = std::move(receiver);
    m_running = 1;
    m_thread = CreateThread(nullptr, 0, ReaderThread, this, 0, nullptr);
    return m_thread != nullptr;
}

bool RelayPort::Write(const std::uint8_t* data, DWORD count) {
    Reset(m_writeOv);
    DWORD written = 0;
    if (!WriteFile(m_port, data, count, &written, &m_writeOv)) {
        if (GetLastError() != ERROR_IO_PENDING ||
            !GetOverlappedResult(m_port, &m_writeOv, &written, TRUE)) {
            return false;
        }
    }
    return written == count;
}

void RelayPort::Close() {
    if (m_thread != nullptr) {
        InterlockedExchange(&m_running, 0);
        SetEvent(m_stop);
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
        m_thread = nullptr;
    }
    if (m_port != INVALID_HANDLE_VALUE) {
        CloseHandle(m_port);
        m_port = INVALID_HANDLE_VALUE;
    }
}

DWORD WINAPI RelayPort::ReaderThread(LPVOID self) {
    static_cast<RelayPort*>(self)->ReadLoop();
    return 0;
}

void RelayPort::ReadLoop() {
    while (m_running) {
        const DWORD held = ReadFirstByte();
        if (held == 0) {
            continue;
        }
        for (DWORD count = held + ReadQueued(held); count > 0 && m_running; count = ReadQueued(0)) {
            m_receiver(m_buffer, count);
        }
    }
}

// Sleeps until a byte arrives; 1 with the byte in m_buffer[0], 0 when Close came first.
DWORD RelayPort::ReadFirstByte() {
    Reset(m_firstOv);
    DWORD count = 0;
    const BOOL started = ReadFile(m_port, m_buffer, 1, &count, &m_firstOv);
    return Finish(m_firstOv, started, count);
}

// What the input queue holds, into m_buffer from `offset` on (the read ends at once:
// it asks for no more than is there).
DWORD RelayPort::ReadQueued(DWORD offset) {
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(m_port, &errors, &status) || status.cbInQue == 0) {
        return 0;
    }
    const DWORD room = sizeof m_buffer - offset;
    const DWORD wanted = status.cbInQue < room ? status.cbInQue : room;
    Reset(m_readOv);
    DWORD count = 0;
    const BOOL started = ReadFile(m_port, m_buffer + offset, wanted, &count, &m_readOv);
    return Finish(m_readOv, started, count);
}

// The byte count of an overlapped operation once it has ended; 0 when it failed or
// Close stopped it.
DWORD RelayPort::Finish(OVERLAPPED& overlapped, BOOL started, DWORD count) {
    if (started) {
        return count;
    }
    if (GetLastError() != ERROR_IO_PENDING) {
        return 0;
    }
    const HANDLE events[] = {overlapped.hEvent, m_stop};
    if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0) {
        CancelIoEx(m_port, &overlapped);
    }
    return GetOverlappedResult(m_port, &overlapped, &count, TRUE) ? count : 0;
}

} // namespace relay
