// The Win32 face of CControlDeskPort.
//
// Threads. Two threads use a port: the GUI thread (Open, StartWatch, the
// Queue* operations, Close) and the watch thread (Io::Run), which does all the
// I/O while it runs. The watch thread sleeps in WaitForMultipleObjects on
//   [0] shutdown      set by Close: the thread ends;
//   [1] first byte    the event of a pending overlapped one-byte read, which
//                     ends when a byte arrives (reads have no time limit):
//                     the thread reads what followed it in the queue and
//                     sends that byte and those in one WM_PORT_CHAR, then one
//                     more per read until the queue is empty, all with
//                     SendMessage, so the GUI thread's parser gets the bytes
//                     in order, fed one at a time by the window;
//   [2] write request set by the Queue* operations: it takes the frames out
//                     of the write queue, oldest first, and writes each whole.
//                     Nothing is purged before a write: the driver may still
//                     be sending the frame before, and bytes received but not
//                     yet read are part of a reply;
//   [3] comm wait     the event of an overlapped WaitCommEvent, armed only when
//                     the events mask holds more than received characters: it
//                     tells the owner of the other events.
// Received characters are waited for with a read, not with WaitCommEvent:
// a read sleeps in the driver until data comes, where some serial stacks
// (Wine's among them) poll the line every millisecond while a comm-event wait
// is pending. A byte that arrives between the drain and the next read is taken
// by that read, so none is left waiting in the queue.
// The pending read, the comm-event wait and the drain reads and writes have
// separate OVERLAPPEDs, so a write can go out while the others are pending.
// Who may touch what:
//   - port, the OVERLAPPEDs, firstByte, readBuffer, commEvents, readPending,
//     waitPending, health: the GUI thread while no watch thread runs (Open;
//     Close after the thread has ended), otherwise only the watch thread. No
//     lock is needed for the handle.
//   - owner, portNumber, eventsMask: written by Open while no watch thread
//     runs, then only read.
//   - the events: created once by Open; the GUI thread sets shutdown and write
//     request, the watch thread waits on them.
//   - alive: both (atomic). StartWatch sets it; Close clears it; the watch
//     thread clears it when it gives up a device that is gone (WatchHealth).
//   - queue: both, through the queue's own lock.
//   - thread: the GUI thread only.
// Error boxes are shown aside (platform::ShowMessageBoxAside): the thread goes
// on reading and writing while a box waits for the operator.
// Close clears alive, sets shutdown and waits for the thread while answering
// sent messages (a WM_PORT_CHAR in flight cannot deadlock it); only a thread
// that does not end in time (a driver that never returns) is terminated. The
// thread ends its pending read and wait before it returns, and waits for them
// to complete; one that does not complete even when cancelled, or the pending
// I/O of a terminated thread, may still write into the Io later: that Io is
// then left alone for the rest of the process (`abandoned`), and the port
// goes on with a new one.
#include "serial/ControlDeskPort.h"

#include "platform/Dialog.h"
#include "platform/Messages.h"
#include "serial/DeliverySlot.h"
#include "serial/WatchHealth.h"
#include "serial/WriteQueue.h"
#include "serial/win32/LineSettings.h"
#include "serial/win32/PortEvents.h"
#include "serial/win32/ThreadJoin.h"

#include <atomic>

namespace {

constexpr DWORD kStopTimeoutMs = 5000;
constexpr DWORD kPortTimeoutMs = 1000;
constexpr DWORD kWatchExitCode = 100;
constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

struct Notification {
    DWORD event;
    UINT message;
};

// The comm events other than received characters, in the order they are told.
const Notification kNotifications[] = {{EV_CTS, WM_PORT_CTS},
                                       {EV_RXFLAG, WM_PORT_RXFLAG},
                                       {EV_BREAK, WM_PORT_BREAK},
                                       {EV_ERR, WM_PORT_ERR},
                                       {EV_RING, WM_PORT_RING}};

std::string SystemText(DWORD code) {
    char text[256] = {};
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text, nullptr);
    return std::string(text, length);
}

} // namespace

struct CControlDeskPort::Io {
    enum class ReadResult { Bytes, Nothing, Aborted, Failed };

    CDialog* owner = nullptr;
    unsigned portNumber = 0;
    DWORD eventsMask = 0;

    HANDLE port = nullptr;
    OVERLAPPED firstOv{};
    std::uint8_t firstByte = 0;
    bool readPending = false;
    OVERLAPPED waitOv{};
    DWORD commEvents = 0; // written by the system when the wait ends
    bool waitPending = false;
    OVERLAPPED ioOv{};
    std::uint8_t readBuffer[256] = {};
    WatchHealth health;
    DeliverySlot delivery;

    HANDLE shutdownEvent = nullptr;
    HANDLE firstEvent = nullptr;
    HANDLE commEvent = nullptr;
    HANDLE writeRequestEvent = nullptr;
    HANDLE ioEvent = nullptr;

    std::atomic<bool> alive{false};
    WriteQueue queue;
    HANDLE thread = nullptr;
    // The system may still write into this Io (a read or wait that did not
    // end when cancelled, set by the watch thread before it returns), or a
    // watch thread had to be terminated: it is never freed or reused.
    bool abandoned = false;

    bool CreateEvents();
    void CloseEvents();
    void Configure(const std::string& mode);
    void EndWatchThread();
    void ReportError(const char* operation);

    void Run();
    bool WatchesOtherEvents() const;
    bool ArmFirstByteRead();
    bool ArmCommWait();
    void PauseBeforeWaiting();
    void OnFirstByte();
    void OnCommEvent();
    void Deliver(const std::uint8_t* bytes, DWORD count);
    void DrainInput(DWORD held);
    DWORD QueuedInput();
    ReadResult ReadQueued(DWORD offset, DWORD queued, DWORD& count);
    void WriteQueued();
    void WriteFrame(const Frame& frame);
    void ClearLineError();
    void EndPendingIo();
    void Failed(const char* operation, DWORD error, bool reportable);
    void SendToOwner(UINT message, WPARAM wParam);
    void PostToOwner(UINT message, WPARAM wParam);
    static void PumpOwnMessages();
};

namespace {

DWORD WINAPI WatchThread(LPVOID parameter) {
    static_cast<CControlDeskPort::Io*>(parameter)->Run();
    return kWatchExitCode;
}

} // namespace

bool CControlDeskPort::Io::CreateEvents() {
    return CreateOrResetEvents(
        {&shutdownEvent, &firstEvent, &commEvent, &writeRequestEvent, &ioEvent});
}

void CControlDeskPort::Io::CloseEvents() {
    ::CloseEvents({&shutdownEvent, &firstEvent, &commEvent, &writeRequestEvent, &ioEvent});
}

// The configuration chain: the first step that fails shows its error box and
// skips the rest; the port stays open either way.
void CControlDeskPort::Io::Configure(const std::string& mode) {
    // Writes are bounded; reads are not: the one-byte read that waits for the
    // next byte must not end without it (a read that ran out of time just as
    // its byte came could lose the byte on some serial stacks), and the drain
    // reads ask only for what the queue holds, so they end at once.
    COMMTIMEOUTS timeouts = {0, 0, 0, kPortTimeoutMs, kPortTimeoutMs};
    if (!SetCommTimeouts(port, &timeouts)) {
        return ReportError("SetCommTimeouts()");
    }
    if (!SetCommMask(port, eventsMask)) {
        return ReportError("SetCommMask()");
    }
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port, &dcb)) {
        return ReportError("GetCommState()");
    }
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    if (!BuildCommDCBA(mode.c_str(), &dcb)) {
        return ReportError("BuildCommDCB()");
    }
    SetRawLine(dcb);
    if (!SetCommState(port, &dcb)) {
        ReportError("SetCommState()");
    }
}

// Asks the watch thread to end and waits for it; a thread that does not end
// in time is terminated, and the Io is abandoned.
void CControlDeskPort::Io::EndWatchThread() {
    if (thread == nullptr) {
        return;
    }
    SetEvent(shutdownEvent);
    if (!JoinThread(thread, kStopTimeoutMs)) {
        abandoned = true;
    }
    CloseHandle(thread);
    thread = nullptr;
}

void CControlDeskPort::Io::ReportError(const char* operation) {
    const DWORD error = GetLastError();
    ShowPortError(operation, error, SystemText(error), portNumber);
}

void CControlDeskPort::Io::Run() {
    PurgeComm(port, kPurgeAll);
    while (alive) {
        if (health.BackingOff()) {
            PauseBeforeWaiting();
            if (!alive) {
                break;
            }
        }
        const bool otherEvents = WatchesOtherEvents();
        const bool armed = ArmFirstByteRead() && (!otherEvents || ArmCommWait());
        const HANDLE waitList[] = {shutdownEvent, firstEvent, writeRequestEvent, commEvent};
        switch (WaitForMultipleObjects(otherEvents ? 4 : 3, waitList, FALSE,
                                       armed ? INFINITE : WatchHealth::kBackoffMs)) {
        case WAIT_OBJECT_0:
            alive = false;
            break;
        case WAIT_OBJECT_0 + 1:
            OnFirstByte();
            break;
        case WAIT_OBJECT_0 + 2:
            WriteQueued();
            break;
        case WAIT_OBJECT_0 + 3:
            OnCommEvent();
            break;
        case WAIT_TIMEOUT:
            break;
        default:
            Failed("WaitForMultipleObjects()", GetLastError(), true);
            break;
        }
    }
    EndPendingIo();
}

bool CControlDeskPort::Io::WatchesOtherEvents() const {
    return (eventsMask & ~static_cast<DWORD>(EV_RXCHAR)) != 0;
}

// Starts the overlapped one-byte read that waits for the next received byte,
// unless one is pending. False when no read could be started.
bool CControlDeskPort::Io::ArmFirstByteRead() {
    if (readPending || (eventsMask & EV_RXCHAR) == 0) {
        return true;
    }
    ResetOverlapped(firstOv, firstEvent);
    DWORD count = 0;
    const DWORD error =
        MarkPending(ReadFile(port, &firstByte, 1, &count, &firstOv), firstOv, readPending);
    if (error == ERROR_OPERATION_ABORTED) {
        ClearLineError();
        return false;
    }
    if (error != ERROR_SUCCESS) {
        Failed("ReadFile()", error, true);
        return false;
    }
    return true;
}

// Starts an overlapped comm-event wait unless one is pending. False when no
// wait could be started.
bool CControlDeskPort::Io::ArmCommWait() {
    if (waitPending) {
        return true;
    }
    ResetOverlapped(waitOv, commEvent);
    commEvents = 0;
    const DWORD error = MarkPending(WaitCommEvent(port, &commEvents, &waitOv), waitOv, waitPending);
    if (error != ERROR_SUCCESS) {
        Failed("WaitCommEvent()", error, error != ERROR_INVALID_PARAMETER);
        return false;
    }
    return true;
}

// After many wake-ups with nothing to read, wait a little before the next
// comm-event wait, still answering shutdown and write requests.
void CControlDeskPort::Io::PauseBeforeWaiting() {
    const HANDLE events[] = {shutdownEvent, writeRequestEvent};
    switch (WaitForMultipleObjects(2, events, FALSE, WatchHealth::kBackoffMs)) {
    case WAIT_OBJECT_0:
        alive = false;
        break;
    case WAIT_OBJECT_0 + 1:
        WriteQueued();
        break;
    default:
        break;
    }
}

// The one-byte read ended: its byte goes to the owner together with whatever
// followed it in the queue. A read that ended empty gives nothing.
void CControlDeskPort::Io::OnFirstByte() {
    if (!readPending) {
        ResetEvent(firstEvent);
        return;
    }
    DWORD count = 0;
    const DWORD error = PendingResult(port, firstOv, readPending, count);
    if (error == ERROR_IO_INCOMPLETE) {
        return;
    }
    if (error == ERROR_OPERATION_ABORTED) {
        return ClearLineError();
    }
    if (error != ERROR_SUCCESS) {
        Failed("GetOverlappedResults() in ReadFile()", error, true);
        return;
    }
    if (count == 0) {
        health.Idle();
        return;
    }
    health.Progress();
    readBuffer[0] = firstByte;
    DrainInput(1);
}

void CControlDeskPort::Io::OnCommEvent() {
    if (!waitPending) {
        ResetEvent(commEvent);
        return;
    }
    DWORD ignored = 0;
    const DWORD error = PendingResult(port, waitOv, waitPending, ignored);
    if (error == ERROR_IO_INCOMPLETE) {
        health.Idle();
        return;
    }
    if (error != ERROR_SUCCESS) {
        Failed("WaitCommEvent()", error,
               error != ERROR_OPERATION_ABORTED && error != ERROR_INVALID_PARAMETER);
        return;
    }
    // Every wake-up tells all the watched kinds, whichever event occurred;
    // received characters are the first-byte read's business.
    for (const Notification& notification : kNotifications) {
        if ((eventsMask & notification.event) != 0) {
            SendToOwner(notification.message, 0);
        }
    }
    if ((commEvents & eventsMask & ~static_cast<DWORD>(EV_RXCHAR)) == 0) {
        health.Idle();
    }
}

// The bytes of a read in one synchronous WM_PORT_CHAR, which carries only the
// number of their offer (DeliverySlot); the owner feeds them to its parser
// one by one, in order.
void CControlDeskPort::Io::Deliver(const std::uint8_t* bytes, DWORD count) {
    if (count == 0 || !alive) {
        return;
    }
    SendToOwner(WM_PORT_CHAR, delivery.Offer(bytes, count));
    delivery.Withdraw();
    PumpOwnMessages();
}

// Reads what the input queue holds behind the `held` bytes already at the
// start of readBuffer and delivers them together, then one read per delivery
// until the queue is empty.
void CControlDeskPort::Io::DrainInput(DWORD held) {
    while (alive) {
        const DWORD queued = QueuedInput();
        DWORD count = 0;
        const ReadResult result =
            queued > 0 ? ReadQueued(held, queued, count) : ReadResult::Nothing;
        if (result == ReadResult::Bytes) {
            health.Progress();
        }
        Deliver(readBuffer, held + (result == ReadResult::Bytes ? count : 0));
        held = 0;
        switch (result) {
        case ReadResult::Bytes:
            break;
        case ReadResult::Nothing:
            return;
        case ReadResult::Aborted:
            // The first-byte read picks up what is left once the error is cleared.
            return ClearLineError();
        case ReadResult::Failed:
            // Reported; the bytes are read again unless the thread gives up.
            break;
        }
    }
}

DWORD CControlDeskPort::Io::QueuedInput() {
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(port, &errors, &status)) {
        Failed("ClearCommError()", GetLastError(), false);
        return 0;
    }
    return status.cbInQue;
}

// Reads what the input queue holds (`queued` bytes, at most what fills the
// buffer from `offset` on) in one go: the bytes are there, so the read ends at
// once.
CControlDeskPort::Io::ReadResult CControlDeskPort::Io::ReadQueued(DWORD offset, DWORD queued,
                                                                  DWORD& count) {
    ResetOverlapped(ioOv, ioEvent);
    count = 0;
    const DWORD room = sizeof readBuffer - offset;
    const DWORD wanted = queued < room ? queued : room;
    if (!ReadFile(port, readBuffer + offset, wanted, &count, &ioOv)) {
        DWORD error = GetLastError();
        const char* operation = "ReadFile()";
        if (error == ERROR_IO_PENDING) {
            error = GetOverlappedResult(port, &ioOv, &count, TRUE) ? ERROR_SUCCESS : GetLastError();
            operation = "GetOverlappedResults() in ReadFile()";
        }
        if (error == ERROR_OPERATION_ABORTED) {
            return ReadResult::Aborted;
        }
        if (error != ERROR_SUCCESS) {
            Failed(operation, error, true);
            return ReadResult::Failed;
        }
    }
    return count > 0 ? ReadResult::Bytes : ReadResult::Nothing;
}

// Writes every queued frame, oldest first. A frame queued meanwhile sets the
// request again, so the next wait comes back for it.
void CControlDeskPort::Io::WriteQueued() {
    ResetEvent(writeRequestEvent);
    for (Frame frame; alive && queue.Pop(frame);) {
        if (!frame.empty()) {
            WriteFrame(frame);
        }
    }
}

// One frame, whole: the write ends when the driver has taken every byte.
void CControlDeskPort::Io::WriteFrame(const Frame& frame) {
    ResetOverlapped(ioOv, ioEvent);
    DWORD written = 0;
    if (!WriteFile(port, frame.data(), static_cast<DWORD>(frame.size()), &written, &ioOv)) {
        const DWORD error = GetLastError();
        if (error != ERROR_IO_PENDING) {
            return Failed("WriteFile()", error, true);
        }
        if (!GetOverlappedResult(port, &ioOv, &written, TRUE)) {
            return Failed("GetOverlappedResults() in WriteFile()", GetLastError(), true);
        }
    }
    health.Progress();
}

// A read ended aborted: the driver aborts reads after a line error (a framing
// error, an overrun) until the error is cleared, where it keeps the port's
// abort-on-error setting. The error is cleared and reading goes on; a run of
// such wake-ups backs off like any other empty one.
void CControlDeskPort::Io::ClearLineError() {
    DWORD errors = 0;
    if (!ClearCommError(port, &errors, nullptr)) {
        return Failed("ClearCommError()", GetLastError(), false);
    }
    health.Idle();
}

// A wait or one-byte read still pending when the thread ends is ended here,
// so the system no longer writes into waitOv and commEvents, or firstOv and
// firstByte. One that does not end even when cancelled abandons the Io.
void CControlDeskPort::Io::EndPendingIo() {
    const bool waitEnded = EndCommWait(port, waitOv, waitPending);
    const bool readEnded = EndPendingRead(port, firstOv, readPending);
    if (!waitEnded || !readEnded) {
        abandoned = true;
    }
}

void CControlDeskPort::Io::Failed(const char* operation, DWORD error, bool reportable) {
    const WatchHealth::Verdict verdict = health.Failed(error, reportable);
    if (verdict.showBox) {
        ShowPortErrorAside(operation, error, SystemText(error), portNumber);
    }
    if (verdict.stop) {
        alive = false;
        PostToOwner(WM_PORT_LOST, error);
    }
}

void CControlDeskPort::Io::PostToOwner(UINT message, WPARAM wParam) {
    HWND window = owner != nullptr ? owner->GetSafeHwnd() : nullptr;
    if (window != nullptr) {
        PostMessageA(window, message, wParam, static_cast<LPARAM>(portNumber));
    }
}

void CControlDeskPort::Io::SendToOwner(UINT message, WPARAM wParam) {
    HWND window = owner != nullptr ? owner->GetSafeHwnd() : nullptr;
    if (window != nullptr) {
        SendMessageA(window, message, wParam, static_cast<LPARAM>(portNumber));
    }
}

void CControlDeskPort::Io::PumpOwnMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

CControlDeskPort::CControlDeskPort() : m_io(std::make_unique<Io>()) {}

CControlDeskPort::~CControlDeskPort() {
    Close();
    m_io->CloseEvents();
}

int CControlDeskPort::Open(CDialog* owner, unsigned portNumber, unsigned baud, char parity,
                           unsigned dataBits, unsigned stopBits, std::uint32_t eventsMask,
                           unsigned writeBufferSize) {
    Close();
    Io& io = *m_io;
    io.owner = owner;
    io.portNumber = portNumber;
    io.eventsMask = eventsMask;
    io.queue.Allocate(writeBufferSize);
    if (!io.CreateEvents()) {
        return 0;
    }
    HANDLE port = CreateFileA(DeviceName(portNumber).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                              nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        return 0;
    }
    io.port = port;
    io.Configure(ModeString(baud, parity, dataBits, stopBits));
    PurgeComm(port, kPurgeAll);
    return 1;
}

int CControlDeskPort::StartWatch() {
    Io& io = *m_io;
    if (io.port == nullptr) {
        return 0;
    }
    if (io.thread != nullptr && io.alive) {
        return 1;
    }
    // A thread that gave the device up finishes before a new one starts; an
    // abandoned Io is left to the system (see Close).
    io.EndWatchThread();
    if (io.abandoned) {
        return 0;
    }
    ResetEvent(io.shutdownEvent);
    io.health = WatchHealth();
    io.waitPending = false;
    io.readPending = false;
    io.alive = true;
    io.thread = CreateThread(nullptr, 0, WatchThread, &io, 0, nullptr);
    if (io.thread == nullptr) {
        io.alive = false;
        return 0;
    }
    return 1;
}

void CControlDeskPort::Close() {
    Io& io = *m_io;
    io.alive = false;
    io.EndWatchThread();
    if (io.port != nullptr) {
        CloseHandle(io.port);
        io.port = nullptr;
    }
    io.waitPending = false;
    io.readPending = false;
    if (io.abandoned) {
        // A read or wait may still complete into this Io's OVERLAPPEDs and
        // buffers, or a terminated thread's lock may be held for good: the
        // Io is never freed, and the port goes on with a new one.
        static_cast<void>(m_io.release());
        m_io = std::make_unique<Io>();
    }
}

bool CControlDeskPort::TakeReceived(std::uintptr_t number, std::vector<std::uint8_t>& bytes) {
    return m_io->delivery.Take(number, bytes);
}

bool CControlDeskPort::IsWatchAlive() const {
    return m_io->alive;
}

// Only the watch thread clears alive while its handle is kept, and only when
// it gives the device up.
bool CControlDeskPort::DeviceLost() const {
    return m_io->thread != nullptr && !m_io->alive;
}

QueueResult CControlDeskPort::QueueFrame(const std::vector<std::uint8_t>& frame) {
    Io& io = *m_io;
    if (io.port == nullptr || DeviceLost()) {
        return QueueResult::NotOpen;
    }
    const QueueResult result = io.queue.Push(frame);
    if (result == QueueResult::Queued && !SetEvent(io.writeRequestEvent)) {
        SetEvent(io.writeRequestEvent);
    }
    return result;
}
