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

void EndCommWait(HANDLE port, HANDLE waitEvent, bool& waitPending) {
    constexpr DWORD kEndWaitMs = 1000;
    if (!waitPending) {
        return;
    }
    SetCommMask(port, 0);
    if (WaitForSingleObject(waitEvent, kEndWaitMs) != WAIT_OBJECT_0) {
        CancelIo(port);
        WaitForSingleObject(waitEvent, kEndWaitMs);
    }
    waitPending = false;
}

void EndPendingRead(HANDLE port, OVERLAPPED& overlapped, bool& readPending) {
    if (!readPending) {
        return;
    }
    constexpr DWORD kEndReadMs = 1000;
    CancelIo(port);
    WaitForSingleObject(overlapped.hEvent, kEndReadMs);
    readPending = false;
}

void CloseEvents(std::initializer_list<HANDLE*> events) {
    for (HANDLE* event : events) {
        if (*event != nullptr) {
            CloseHandle(*event);
            *event = nullptr;
        }
    }
}
