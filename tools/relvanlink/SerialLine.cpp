// The reader sleeps in a one-byte overlapped read (or on the stop event) until
// a byte arrives, then takes what the input queue holds. A read rather than a
// comm-event wait, because some serial stacks (Wine's among them) poll the
// line every millisecond while a comm-event wait is pending. After a read
// that failed or gave nothing it waits a little before the next, so a
// vanished device costs no CPU.
#include "tools/relvanlink/SerialLine.h"

#include <algorithm>
#include <string>

namespace {

constexpr DWORD kQueueSize = 4096;
constexpr DWORD kWriteSlackMs = 1000;
constexpr DWORD kBitsPerByte = 10;
constexpr DWORD kRetryMs = 100;
constexpr DWORD kStopMs = 5000;
// Lines waiting for the writer; a stuck port fills it in a few calls, each of
// which then fails at once instead of waiting.
constexpr std::size_t kOutboxLines = 64;

} // namespace

SerialLine::SerialLine() {
    InitializeCriticalSection(&m_outboxLock);
}

SerialLine::~SerialLine() {
    Close();
    DeleteCriticalSection(&m_outboxLock);
}

bool SerialLine::Open(int port, unsigned baud, Receiver receiver) {
    Close();
    const std::string name = "\\\\.\\COM" + std::to_string(port);
    m_port = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OVERLAPPED, nullptr);
    if (m_port == INVALID_HANDLE_VALUE) {
        return false;
    }
    m_stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_readDone = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_writeDone = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_queued = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    m_receiver = std::move(receiver);
    if (m_stop == nullptr || m_readDone == nullptr || m_writeDone == nullptr ||
        m_queued == nullptr || !Configure(baud)) {
        Close();
        return false;
    }
    m_reader = CreateThread(nullptr, 0, ReaderThread, this, 0, nullptr);
    m_writer = CreateThread(nullptr, 0, WriterThread, this, 0, nullptr);
    if (m_reader == nullptr || m_writer == nullptr) {
        Close();
        return false;
    }
    return true;
}

// 8N1 at `baud`; reads without a time limit, writes bounded by the time the
// bytes take at this baud and a second more.
bool SerialLine::Configure(unsigned baud) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (baud == 0 || !SetupComm(m_port, kQueueSize, kQueueSize) || !GetCommState(m_port, &dcb)) {
        return false;
    }
    dcb.BaudRate = baud;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    m_msPerByte = std::max<DWORD>(1, kBitsPerByte * 1000 / baud);
    COMMTIMEOUTS timeouts{};
    timeouts.WriteTotalTimeoutMultiplier = m_msPerByte;
    timeouts.WriteTotalTimeoutConstant = kWriteSlackMs;
    PurgeComm(m_port, PURGE_RXCLEAR | PURGE_TXCLEAR);
    return SetCommState(m_port, &dcb) && SetCommTimeouts(m_port, &timeouts);
}

bool SerialLine::Write(const std::string& bytes) {
    if (!IsOpen() || m_writer == nullptr) {
        return false;
    }
    EnterCriticalSection(&m_outboxLock);
    const bool queued = m_outbox.size() < kOutboxLines;
    if (queued) {
        m_outbox.push_back(bytes);
    }
    LeaveCriticalSection(&m_outboxLock);
    if (queued) {
        SetEvent(m_queued);
    }
    return queued;
}

DWORD WINAPI SerialLine::WriterThread(LPVOID line) {
    return static_cast<SerialLine*>(line)->WriteLoop();
}

DWORD SerialLine::WriteLoop() {
    const HANDLE events[] = {m_stop, m_queued};
    while (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        std::string bytes;
        while (WaitForSingleObject(m_stop, 0) != WAIT_OBJECT_0 && TakeQueued(bytes)) {
            WriteNow(bytes);
        }
    }
    return 0;
}

bool SerialLine::TakeQueued(std::string& bytes) {
    EnterCriticalSection(&m_outboxLock);
    const bool taken = !m_outbox.empty();
    if (taken) {
        bytes = std::move(m_outbox.front());
        m_outbox.pop_front();
    }
    LeaveCriticalSection(&m_outboxLock);
    return taken;
}

bool SerialLine::WriteNow(const std::string& bytes) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = m_writeDone;
    ResetEvent(m_writeDone);
    DWORD written = 0;
    const DWORD size = static_cast<DWORD>(bytes.size());
    if (WriteFile(m_port, bytes.data(), size, &written, &overlapped)) {
        return written == size;
    }
    if (GetLastError() != ERROR_IO_PENDING) {
        return false;
    }
    // The port's write time-out bounds the write; this bounds it too where a
    // driver ignores it, and Close cuts it short.
    const HANDLE events[] = {m_writeDone, m_stop};
    if (WaitForMultipleObjects(2, events, FALSE, WriteTimeoutMs(size)) != WAIT_OBJECT_0) {
        CancelIo(m_port);
    }
    return GetOverlappedResult(m_port, &overlapped, &written, TRUE) && written == size;
}

DWORD SerialLine::WriteTimeoutMs(DWORD size) const {
    return kWriteSlackMs + size * m_msPerByte;
}

void SerialLine::Close() {
    if (m_stop != nullptr) {
        SetEvent(m_stop);
    }
    for (HANDLE* thread : {&m_reader, &m_writer}) {
        if (*thread != nullptr) {
            WaitForSingleObject(*thread, kStopMs);
            CloseHandle(*thread);
            *thread = nullptr;
        }
    }
    if (m_port != INVALID_HANDLE_VALUE) {
        CloseHandle(m_port);
        m_port = INVALID_HANDLE_VALUE;
    }
    for (HANDLE* event : {&m_stop, &m_readDone, &m_writeDone, &m_queued}) {
        if (*event != nullptr) {
            CloseHandle(*event);
            *event = nullptr;
        }
    }
    EnterCriticalSection(&m_outboxLock);
    m_outbox.clear();
    LeaveCriticalSection(&m_outboxLock);
    m_receiver = nullptr;
}

DWORD WINAPI SerialLine::ReaderThread(LPVOID line) {
    return static_cast<SerialLine*>(line)->ReadLoop();
}

DWORD SerialLine::ReadLoop() {
    char buffer[kQueueSize];
    while (WaitForSingleObject(m_stop, 0) != WAIT_OBJECT_0) {
        DWORD count = 0;
        if (!Read(buffer, 1, count) || count == 0) {
            WaitForSingleObject(m_stop, kRetryMs);
            continue;
        }
        DWORD errors = 0;
        COMSTAT status{};
        if (ClearCommError(m_port, &errors, &status) && status.cbInQue > 0) {
            DWORD more = 0;
            if (Read(buffer + 1, std::min<DWORD>(status.cbInQue, kQueueSize - 1), more)) {
                count += more;
            }
        }
        m_receiver(buffer, count);
    }
    return 0;
}

bool SerialLine::Read(char* buffer, DWORD wanted, DWORD& count) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = m_readDone;
    ResetEvent(m_readDone);
    if (ReadFile(m_port, buffer, wanted, &count, &overlapped)) {
        return true;
    }
    if (GetLastError() != ERROR_IO_PENDING) {
        return false;
    }
    const HANDLE events[] = {m_readDone, m_stop};
    if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0) {
        CancelIo(m_port);
        GetOverlappedResult(m_port, &overlapped, &count, TRUE);
        return false;
    }
    return GetOverlappedResult(m_port, &overlapped, &count, FALSE) != FALSE;
}
