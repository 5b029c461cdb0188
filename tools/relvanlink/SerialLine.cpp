// The reader sleeps in a one-byte overlapped read (or on the stop event) until
// a byte arrives, then takes what the input queue holds. A read rather than a
// comm-event wait, because some serial stacks (Wine's among them) poll the
// line every millisecond while a comm-event wait is pending. After a read
// that failed or gave nothing it asks the port with ClearCommError: a port
// that no longer answers is lost at once; a line error (framing, overrun) is
// cleared by that call and reading goes on; a port that answers but keeps
// failing reads is lost after a few tries, a short wait apart.
#include "tools/relvanlink/SerialLine.h"

#include <algorithm>
#include <string>

namespace {

constexpr DWORD kQueueSize = 4096;
constexpr DWORD kWriteSlackMs = 1000;
constexpr DWORD kBitsPerByte = 10;
constexpr DWORD kRetryMs = 100;
constexpr DWORD kStopMs = 5000;
constexpr unsigned kFailedReadsLost = 3;
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

bool SerialLine::Open(int port, unsigned baud, Receiver receiver, TroubleHandler onTrouble) {
    Close();
    m_openError = 0;
    m_lost = false;
    const std::string name = "\\\\.\\COM" + std::to_string(port);
    m_port = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OVERLAPPED, nullptr);
    if (m_port == INVALID_HANDLE_VALUE) {
        m_openError = GetLastError();
        return false;
    }
    m_stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_readDone = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_writeDone = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_queued = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    m_idle = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    m_receiver = std::move(receiver);
    m_onTrouble = std::move(onTrouble);
    if (m_stop == nullptr || m_readDone == nullptr || m_writeDone == nullptr ||
        m_queued == nullptr || m_idle == nullptr || !Configure(baud)) {
        m_openError = GetLastError();
        Close();
        return false;
    }
    m_reader = CreateThread(nullptr, 0, ReaderThread, this, 0, nullptr);
    m_writer = CreateThread(nullptr, 0, WriterThread, this, 0, nullptr);
    if (m_reader == nullptr || m_writer == nullptr) {
        m_openError = GetLastError();
        Close();
        return false;
    }
    return true;
}

// 8N1 at `baud`, every setting given rather than taken from the port's last
// user: no flow control of either kind, DTR and RTS on, no DSR sensitivity,
// no null stripping or error character, and line errors that do not abort
// reads and writes. Reads without a time limit, writes bounded by the time
// the bytes take at this baud and a second more.
bool SerialLine::Configure(unsigned baud) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (baud == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (!SetupComm(m_port, kQueueSize, kQueueSize) || !GetCommState(m_port, &dcb)) {
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
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fAbortOnError = FALSE;
    dcb.ErrorChar = 0;
    dcb.EofChar = 0;
    dcb.EvtChar = 0;
    m_msPerByte = std::max<DWORD>(1, kBitsPerByte * 1000 / baud);
    COMMTIMEOUTS timeouts{};
    timeouts.WriteTotalTimeoutMultiplier = m_msPerByte;
    timeouts.WriteTotalTimeoutConstant = kWriteSlackMs;
    PurgeComm(m_port, PURGE_RXCLEAR | PURGE_TXCLEAR);
    DWORD errors = 0;
    ClearCommError(m_port, &errors, nullptr);
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
        ResetEvent(m_idle);
    }
    LeaveCriticalSection(&m_outboxLock);
    if (queued) {
        SetEvent(m_queued);
    }
    return queued;
}

bool SerialLine::Stopping() const {
    return WaitForSingleObject(m_stop, 0) == WAIT_OBJECT_0;
}

bool SerialLine::StillThere(DWORD& error) {
    DWORD errors = 0;
    COMSTAT status{};
    if (ClearCommError(m_port, &errors, &status)) {
        return true;
    }
    error = GetLastError();
    return false;
}

void SerialLine::Report(Trouble trouble, DWORD error) {
    if (trouble == Trouble::Lost && m_lost.exchange(true)) {
        return;
    }
    if (m_onTrouble) {
        m_onTrouble(trouble, error);
    }
}

DWORD WINAPI SerialLine::WriterThread(LPVOID line) {
    return static_cast<SerialLine*>(line)->WriteLoop();
}

// A line that fails on a port that no longer answers makes the port lost and
// ends the writer; on a port still there the first of such lines after one
// that went out is reported, and the next line goes.
DWORD SerialLine::WriteLoop() {
    const HANDLE events[] = {m_stop, m_queued};
    bool failing = false;
    while (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        std::string bytes;
        while (!Stopping() && TakeQueued(bytes)) {
            DWORD error = WriteLine(bytes);
            if (error == 0 || Stopping()) {
                failing = failing && error != 0;
                continue;
            }
            if (!StillThere(error)) {
                Report(Trouble::Lost, error);
                return 0;
            }
            if (!failing) {
                Report(Trouble::Unwritten, error);
            }
            failing = true;
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
    } else {
        SetEvent(m_idle);
    }
    LeaveCriticalSection(&m_outboxLock);
    return taken;
}

DWORD SerialLine::WriteLine(const std::string& bytes) {
    const DWORD size = static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    const DWORD error = WriteNow(bytes.data(), size, written);
    if (error != 0 && written > 0 && written < size && bytes.back() == '\n') {
        DWORD ended = 0;
        WriteNow("\n", 1, ended);
    }
    return error;
}

DWORD SerialLine::WriteNow(const char* bytes, DWORD size, DWORD& written) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = m_writeDone;
    ResetEvent(m_writeDone);
    written = 0;
    if (WriteFile(m_port, bytes, size, &written, &overlapped)) {
        return written == size ? 0 : ERROR_TIMEOUT;
    }
    if (GetLastError() != ERROR_IO_PENDING) {
        return GetLastError();
    }
    // The port's write time-out bounds the write; this bounds it too where a
    // driver ignores it, and Close cuts it short.
    const HANDLE events[] = {m_writeDone, m_stop};
    const bool done =
        WaitForMultipleObjects(2, events, FALSE, WriteTimeoutMs(size)) == WAIT_OBJECT_0;
    if (!done) {
        CancelIo(m_port);
    }
    if (!GetOverlappedResult(m_port, &overlapped, &written, TRUE)) {
        return done ? GetLastError() : ERROR_TIMEOUT;
    }
    return written == size ? 0 : ERROR_TIMEOUT;
}

DWORD SerialLine::WriteTimeoutMs(DWORD size) const {
    return kWriteSlackMs + size * m_msPerByte;
}

void SerialLine::Close(DWORD drainMs) {
    if (drainMs > 0 && m_writer != nullptr && !m_lost) {
        const HANDLE events[] = {m_idle, m_writer};
        WaitForMultipleObjects(2, events, FALSE, drainMs);
    }
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
    for (HANDLE* event : {&m_stop, &m_readDone, &m_writeDone, &m_queued, &m_idle}) {
        if (*event != nullptr) {
            CloseHandle(*event);
            *event = nullptr;
        }
    }
    EnterCriticalSection(&m_outboxLock);
    m_outbox.clear();
    LeaveCriticalSection(&m_outboxLock);
    m_receiver = nullptr;
    m_onTrouble = nullptr;
}

DWORD WINAPI SerialLine::ReaderThread(LPVOID line) {
    return static_cast<SerialLine*>(line)->ReadLoop();
}

DWORD SerialLine::ReadLoop() {
    char buffer[kQueueSize];
    unsigned failures = 0;
    while (!Stopping()) {
        DWORD count = 0;
        DWORD error = Read(buffer, 1, count);
        if (Stopping()) {
            break;
        }
        if (error != 0) {
            if (!StillThere(error) || ++failures >= kFailedReadsLost) {
                Report(Trouble::Lost, error);
                break;
            }
            WaitForSingleObject(m_stop, kRetryMs);
            continue;
        }
        failures = 0;
        DWORD errors = 0;
        COMSTAT status{};
        if (ClearCommError(m_port, &errors, &status) && status.cbInQue > 0) {
            DWORD more = 0;
            if (Read(buffer + 1, std::min<DWORD>(status.cbInQue, kQueueSize - 1), more) == 0) {
                count += more;
            }
        }
        m_receiver(buffer, count);
    }
    return 0;
}

DWORD SerialLine::Read(char* buffer, DWORD wanted, DWORD& count) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = m_readDone;
    ResetEvent(m_readDone);
    count = 0;
    if (!ReadFile(m_port, buffer, wanted, &count, &overlapped)) {
        if (GetLastError() != ERROR_IO_PENDING) {
            return GetLastError();
        }
        const HANDLE events[] = {m_readDone, m_stop};
        if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0) {
            CancelIo(m_port);
            GetOverlappedResult(m_port, &overlapped, &count, TRUE);
            return ERROR_OPERATION_ABORTED;
        }
        if (!GetOverlappedResult(m_port, &overlapped, &count, FALSE)) {
            return GetLastError();
        }
    }
    return count > 0 ? 0 : ERROR_HANDLE_EOF;
}
