#include "serial/win32/PortEvents.h"

bool CreateOrResetEvents(std::initializer_list<HANDLE*> events) {
    for (HANDLE* event : events) {
        if (*event == nullptr) {
            *event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        }
        if (*event == nullptr) {
            return false;
        }
        ResetEvent(*event);
    }
    return true;
}

DWORD MarkPending(BOOL endedAtOnce, const OVERLAPPED& overlapped, bool& pending) {
    if (!endedAtOnce) {
        const DWORD error = GetLastError();
        if (error != ERROR_IO_PENDING) {
            return error;
        }
    } else {
        SetEvent(overlapped.hEvent);
    }
    pending = true;
    return ERROR_SUCCESS;
}

DWORD PendingResult(HANDLE port, OVERLAPPED& overlapped, bool& pending, DWORD& count) {
    if (!GetOverlappedResult(port, &overlapped, &count, FALSE)) {
        const DWORD error = GetLastError();
        if (error != ERROR_IO_INCOMPLETE) {
            pending = false;
        }
        return error;
    }
    pending = false;
    return ERROR_SUCCESS;
}

namespace {

// How long an ended or cancelled operation is given to complete.
constexpr DWORD kEndWaitMs = 1000;

// Waits up to `timeoutMs` for an operation to complete; true once the system
// is done with its OVERLAPPED.
bool Completes(const OVERLAPPED& overlapped, DWORD timeoutMs) {
    WaitForSingleObject(overlapped.hEvent, timeoutMs);
    return HasOverlappedIoCompleted(&overlapped);
}

} // namespace

bool EndCommWait(HANDLE port, const OVERLAPPED& overlapped, bool& waitPending) {
    if (!waitPending) {
        return true;
    }
    SetCommMask(port, 0);
    if (!Completes(overlapped, kEndWaitMs)) {
        CancelIo(port);
        if (!Completes(overlapped, kEndWaitMs)) {
            return false;
        }
    }
    waitPending = false;
    return true;
}

bool EndPendingRead(HANDLE port, const OVERLAPPED& overlapped, bool& readPending) {
    if (!readPending) {
        return true;
    }
    CancelIo(port);
    if (!Completes(overlapped, kEndWaitMs)) {
        return false;
    }
    readPending = false;
    return true;
}

void CloseEvents(std::initializer_list<HANDLE*> events) {
    for (HANDLE* event : events) {
        if (*event != nullptr) {
            CloseHandle(*event);
            *event = nullptr;
        }
    }
}
