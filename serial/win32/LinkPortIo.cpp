// The Win32 face of CLinkPort.
//
// Threads. ThreadWatchComm (Io::Watch) is the only reader: it sleeps in an
// overlapped one-byte read (or on the stop event) until a byte arrives, then
// reads whatever followed it in the input queue, block by block, and hands
// each block to the owner window through g_rxBlock with a synchronous
// WM_LINK_DATA, so g_rxBlock is written only while no handler reads it (the
// handler takes a copy by the message's offer number, DeliverySlot). The
// wait is a read, not WaitCommEvent, because a read sleeps in the driver where
// some serial stacks (Wine's among them) poll the line every millisecond while
// a comm-event wait is pending; and a byte that arrives between the drain and
// the next read is taken by that read. The GUI thread is the
// only writer: SendFrame and SendAckFrame write synchronously, also from
// inside the WM_LINK_DATA handler. Who may touch what:
//   - port, owner, portName and the events: written by Open and Close on the
//     GUI thread while no ThreadWatchComm runs; in between both threads use
//     the handle, each with its own OVERLAPPED (no lock is needed).
//   - writeOv, writeHealth: the GUI thread only.
//   - firstOv, readPending, readOv, readBuffer, health, gaveUp:
//     ThreadWatchComm only (they live here, not on its stack, because the
//     system may finish an operation on them after the thread has let go).
//   - abandoned: set by ThreadWatchComm when a read it cancelled did not
//     complete; read by Close once the thread has ended.
//   - connected: both (atomic). Open sets it; Close clears it.
//   - lostReported: both (atomic): whichever thread first finds the device
//     gone tells the owner, once per Open.
//   - thread: the GUI thread only.
// Close clears connected, sets the stop event (the thread cancels its pending
// read), purges, and waits for ThreadWatchComm to end while answering sent
// messages before it closes the handle: after Close
// nothing touches the object or g_rxBlock, and the owner may delete it. The
// thread waits for each read it cancels to complete. A read that does not
// complete in time, or the pending read of a thread that does not end in time
// and is terminated, may still write into the Io, which is therefore never
// freed or reused (the port goes on with a new one).
#include "serial/LinkPort.h"

#include "platform/Desktop.h"
#include "platform/Dialog.h"
#include "platform/Messages.h"
#include "serial/DeliverySlot.h"
#include "serial/WatchHealth.h"
#include "serial/win32/LineSettings.h"
#include "serial/win32/PortEvents.h"
#include "serial/win32/ThreadJoin.h"

#include <algorithm>
#include <atomic>

namespace {

constexpr DWORD kStopTimeoutMs = 5000;
constexpr DWORD kQueueSize = 4096;
constexpr DWORD kBaudTimesMsPerByte = 230400;
constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

void ClearPortErrors(HANDLE port) {
    DWORD errors = 0;
    ClearCommError(port, &errors, nullptr);
}

} // namespace

struct CLinkPort::Io {
    HWND owner = nullptr;
    std::string portName;
    HANDLE port = nullptr;
    HANDLE stopEvent = nullptr;
    HANDLE waitEvent = nullptr;
    HANDLE readEvent = nullptr;
    HANDLE writeEvent = nullptr;

    OVERLAPPED writeOv{};
    WatchHealth writeHealth;

    OVERLAPPED firstOv{};
    bool readPending = false;
    OVERLAPPED readOv{};
    std::uint8_t readBuffer[kRxBlockSize] = {};
    WatchHealth health;
    bool gaveUp = false;
    bool abandoned = false;
    DeliverySlot delivery;

    std::atomic<int> connected{0};
    std::atomic<bool> lostReported{false};
    HANDLE thread = nullptr;

    bool CreateEvents();
    void CloseEvents();
    bool Configure(unsigned baud);

    DWORD Watch();
    bool WaitForFirstByte();
    bool FirstByteRead(DWORD& count);
    void ReadAndDeliver();
    DWORD ReadBlock(DWORD offset);
    bool AwaitRead(DWORD& count);
    void Failed(DWORD error);
    void WriteFailed(DWORD error);
    void ReportLost(DWORD error);
};

namespace {

DWORD WINAPI ThreadWatchComm(LPVOID parameter) {
    return static_cast<CLinkPort::Io*>(parameter)->Watch();
}

} // namespace

bool CLinkPort::Io::CreateEvents() {
    return CreateOrResetEvents({&stopEvent, &waitEvent, &readEvent, &writeEvent});
}

void CLinkPort::Io::CloseEvents() {
    ::CloseEvents({&stopEvent, &waitEvent, &readEvent, &writeEvent});
}

// Received characters only, 4096-byte queues, reads without a time limit (a
// read waits for as many bytes as it asks for, and only the one-byte read asks
// for more than the queue holds), writes bounded by the time the bytes take at
// this baud, and 8N1 on a raw line (SetRawLine: no XON/XOFF, which would take
// checksum bytes 0x11 and 0x13 for flow control). False when the line
// settings cannot be applied (a baud rate of 0 included).
bool CLinkPort::Io::Configure(unsigned baud) {
    SetCommMask(port, EV_RXCHAR);
    SetupComm(port, kQueueSize, kQueueSize);
    PurgeComm(port, kPurgeAll);
    COMMTIMEOUTS timeouts{};
    timeouts.WriteTotalTimeoutMultiplier = baud != 0 ? kBaudTimesMsPerByte / baud : 0;
    SetCommTimeouts(port, &timeouts);
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (baud == 0 || !GetCommState(port, &dcb)) {
        return false;
    }
    dcb.BaudRate = baud;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.fParity = FALSE;
    dcb.StopBits = ONESTOPBIT;
    SetRawLine(dcb);
    return SetCommState(port, &dcb) != FALSE;
}

DWORD CLinkPort::Io::Watch() {
    if (!SetCommMask(port, EV_RXCHAR)) {
        platform::ShowMessageBoxAside("Error while creating ThreadWatchComm," + portName, "Relvan",
                                      MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    while (connected == 1 && !gaveUp && !abandoned) {
        if (health.BackingOff() &&
            WaitForSingleObject(stopEvent, WatchHealth::kBackoffMs) == WAIT_OBJECT_0) {
            break;
        }
        if (WaitForFirstByte()) {
            ReadAndDeliver();
        }
    }
    if (!EndPendingRead(port, firstOv, readPending)) {
        abandoned = true;
    }
    return 1;
}

// Sleeps until a byte arrives and leaves it in readBuffer[0]. False when the
// wait ended without one: a failure, the stop event, or nothing to read.
bool CLinkPort::Io::WaitForFirstByte() {
    DWORD count = 0;
    if (!FirstByteRead(count)) {
        return false;
    }
    if (count == 0) {
        health.Idle();
        return false;
    }
    return true;
}

// The one-byte read itself: true with `count` when it ended, false when it
// failed or the stop event came first (the read then stays pending until the
// thread ends).
bool CLinkPort::Io::FirstByteRead(DWORD& count) {
    ResetOverlapped(firstOv, waitEvent);
    if (ReadFile(port, readBuffer, 1, &count, &firstOv)) {
        return true;
    }
    DWORD error = GetLastError();
    if (error == ERROR_IO_PENDING) {
        readPending = true;
        const HANDLE events[] = {waitEvent, stopEvent};
        const DWORD woken = WaitForMultipleObjects(2, events, FALSE, INFINITE);
        if (woken != WAIT_OBJECT_0) {
            if (woken != WAIT_OBJECT_0 + 1) {
                Failed(GetLastError());
            }
            return false;
        }
        error = PendingResult(port, firstOv, readPending, count);
        if (error == ERROR_SUCCESS) {
            return true;
        }
    }
    Failed(error);
    ClearPortErrors(port);
    return false;
}

// Delivers the first byte with whatever followed it, then any further blocks.
void CLinkPort::Io::ReadAndDeliver() {
    DWORD held = 1;
    while (connected == 1) {
        const DWORD count = held + ReadBlock(held);
        if (count == 0) {
            break;
        }
        FillRxBlock(readBuffer, count);
        health.Progress();
        held = 0;
        if (owner != nullptr) {
            SendMessageA(owner, WM_LINK_DATA, delivery.Offer(g_rxBlock, count),
                         static_cast<LPARAM>(count));
            delivery.Withdraw();
        }
    }
}

// Reads what the input queue holds into readBuffer from `offset` on, up to
// kRxBlockSize bytes in all; 0 when it is empty or the read fails (the port's
// error state is then cleared).
DWORD CLinkPort::Io::ReadBlock(DWORD offset) {
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(port, &errors, &status)) {
        Failed(GetLastError());
        return 0;
    }
    if (status.cbInQue == 0) {
        return 0;
    }
    // Never ask for more than the queue holds: the read would wait for the rest.
    const DWORD wanted = std::min<DWORD>(status.cbInQue, kRxBlockSize - offset);
    if (wanted == 0) {
        return 0;
    }
    ResetOverlapped(readOv, readEvent);
    DWORD count = 0;
    if (ReadFile(port, readBuffer + offset, wanted, &count, &readOv)) {
        return count;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_IO_PENDING && AwaitRead(count)) {
        return count;
    }
    Failed(error == ERROR_IO_PENDING ? GetLastError() : error);
    ClearPortErrors(port);
    return 0;
}

// Waits for the pending read, or for Close. A read that Close interrupts is
// cancelled and gives nothing.
bool CLinkPort::Io::AwaitRead(DWORD& count) {
    const HANDLE events[] = {readEvent, stopEvent};
    if (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0) {
        return GetOverlappedResult(port, &readOv, &count, FALSE) != FALSE;
    }
    bool pending = true;
    if (!EndPendingRead(port, readOv, pending)) {
        abandoned = true;
    }
    SetLastError(ERROR_OPERATION_ABORTED);
    return false;
}

// Failures are not reported to the user; a device that is gone ends the loop.
// A read aborted by a line error (where the driver keeps abort-on-error) is
// none: its callers clear the error, and reading goes on.
void CLinkPort::Io::Failed(DWORD error) {
    if (error == ERROR_OPERATION_ABORTED) {
        health.Idle();
        return;
    }
    if (connected == 1 && health.Failed(error, false).stop) {
        gaveUp = true;
        ReportLost(error);
    }
}

// A device that is gone may leave the pending read asleep for ever: then only
// the sends find out.
void CLinkPort::Io::WriteFailed(DWORD error) {
    if (writeHealth.Failed(error, false).stop) {
        ReportLost(error);
    }
}

void CLinkPort::Io::ReportLost(DWORD error) {
    if (!lostReported.exchange(true)) {
        PostMessageA(owner, WM_PORT_LOST, error, 0);
    }
}

CLinkPort::CLinkPort() : m_io(std::make_unique<Io>()) {}

CLinkPort::~CLinkPort() {
    Close();
    m_io->CloseEvents();
}

int CLinkPort::Open(CDialog* owner, const std::string& portName, unsigned baud, int) {
    Close();
    Io& io = *m_io;
    if (!io.CreateEvents()) {
        return 0;
    }
    io.owner = owner != nullptr ? owner->GetSafeHwnd() : nullptr;
    io.portName = portName;
    HANDLE port = CreateFileA(portName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        return 0;
    }
    io.port = port;
    if (!io.Configure(baud)) {
        Close();
        return 0;
    }
    io.health = WatchHealth();
    io.writeHealth = WatchHealth();
    io.lostReported = false;
    io.gaveUp = false;
    io.readPending = false;
    io.connected = 1;
    io.thread = CreateThread(nullptr, 0, ThreadWatchComm, &io, 0, nullptr);
    if (io.thread == nullptr) {
        Close();
        return 0;
    }
    return 1;
}

void CLinkPort::Close() {
    Io& io = *m_io;
    io.connected = 0;
    if (io.stopEvent != nullptr) {
        SetEvent(io.stopEvent);
    }
    if (io.port != nullptr) {
        PurgeComm(io.port, kPurgeAll);
    }
    if (io.thread != nullptr) {
        if (!JoinThread(io.thread, kStopTimeoutMs)) {
            io.abandoned = true;
        }
        CloseHandle(io.thread);
        io.thread = nullptr;
    }
    if (io.port != nullptr) {
        CloseHandle(io.port);
        io.port = nullptr;
    }
    if (io.abandoned) {
        static_cast<void>(m_io.release());
        m_io = std::make_unique<Io>();
    }
}

bool CLinkPort::DeviceLost() const {
    return m_io->lostReported;
}

bool CLinkPort::TakeReceived(std::uintptr_t number, std::vector<std::uint8_t>& bytes) {
    return m_io->delivery.Take(number, bytes);
}

int CLinkPort::WriteFrame(const std::vector<std::uint8_t>& frame) {
    Io& io = *m_io;
    if (io.port == nullptr || io.connected != 1 || io.lostReported) {
        return 0;
    }
    ResetOverlapped(io.writeOv, io.writeEvent);
    DWORD written = 0;
    DWORD error = ERROR_SUCCESS;
    if (!WriteFile(io.port, frame.data(), static_cast<DWORD>(frame.size()), &written,
                   &io.writeOv)) {
        error = GetLastError();
        if (error == ERROR_IO_PENDING) {
            error = GetOverlappedResult(io.port, &io.writeOv, &written, TRUE) ? ERROR_SUCCESS
                                                                              : GetLastError();
        }
    }
    if (error == ERROR_SUCCESS) {
        io.writeHealth.Progress();
        return static_cast<int>(written);
    }
    ClearPortErrors(io.port);
    io.WriteFailed(error);
    return 0;
}
