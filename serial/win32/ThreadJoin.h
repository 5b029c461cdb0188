// Stopping a port's worker thread from the GUI thread.
#pragma once

#include <windows.h>

// Waits up to `timeoutMs` for `thread` to end. While it waits, the calling
// (GUI) thread goes on answering messages sent to its windows, so a worker
// blocked in SendMessage to it can finish and end. A thread that has not ended
// by then (an error box left open, a driver that never returns) is terminated
// as a last resort. True when the thread ended by itself.
bool JoinThread(HANDLE thread, DWORD timeoutMs);

// Zeroes `overlapped` for a new operation that signals `event`.
inline void ResetOverlapped(OVERLAPPED& overlapped, HANDLE event) {
    overlapped = OVERLAPPED{};
    overlapped.hEvent = event;
}
