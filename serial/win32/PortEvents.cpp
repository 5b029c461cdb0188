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
