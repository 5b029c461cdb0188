// The manual-reset events both port classes wait on, and the start and end of
// their pending waits and reads.
#pragma once

#include <windows.h>

#include <initializer_list>

// Creates each missing event (manual-reset, not signalled) and resets the
// others; false when one cannot be created.
bool CreateOrResetEvents(std::initializer_list<HANDLE*> events);

// Closes each event that exists and forgets it.
void CloseEvents(std::initializer_list<HANDLE*> events);

// Takes the result of starting an overlapped operation on `overlapped`
// (ReadFile, WaitCommEvent) and marks it pending. One that ended at once
// signals its event, so it is handled like one that ends later. Gives
// ERROR_SUCCESS, or the error with which it failed to start.
DWORD MarkPending(BOOL endedAtOnce, const OVERLAPPED& overlapped, bool& pending);

// The result of a pending operation whose event fired: ERROR_IO_INCOMPLETE
// while it is still running (it stays pending); otherwise it is no longer
// pending, and the result is ERROR_SUCCESS with `count`, or its error.
DWORD PendingResult(HANDLE port, OVERLAPPED& overlapped, bool& pending, DWORD& count);

// Ends a comm-event wait still pending on `port` (its event is signalled when
// it ends), so the system no longer writes into its OVERLAPPED and events
// mask. True when nothing is left pending; false when the wait did not end
// within a bounded time, even cancelled: it stays pending, and its OVERLAPPED
// and events mask must then be kept for the life of the process.
bool EndCommWait(HANDLE port, const OVERLAPPED& overlapped, bool& waitPending);

// Cancels a read still pending on `port` (started by the calling thread) and
// waits for it to end, so the system no longer writes into its OVERLAPPED and
// buffer. True when nothing is left pending; false, as above, when the cancel
// did not complete in time: the OVERLAPPED and the buffer must then be kept.
bool EndPendingRead(HANDLE port, const OVERLAPPED& overlapped, bool& readPending);
