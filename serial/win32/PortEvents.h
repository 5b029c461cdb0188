// The manual-reset events both port classes wait on, and the ends of their
// pending waits and reads.
#pragma once

#include <windows.h>

#include <initializer_list>

// Creates each missing event (manual-reset, not signalled) and resets the
// others; false when one cannot be created.
bool CreateOrResetEvents(std::initializer_list<HANDLE*> events);

// Closes each event that exists and forgets it.
void CloseEvents(std::initializer_list<HANDLE*> events);

// Ends a comm-event wait still pending on `port` (signalling `waitEvent` when it
// ends), so the system no longer writes into its OVERLAPPED and events mask.
void EndCommWait(HANDLE port, HANDLE waitEvent, bool& waitPending);

// Cancels a read still pending on `port` (started by the calling thread) and
// waits for it to end, so the system no longer writes into its OVERLAPPED and
// buffer.
void EndPendingRead(HANDLE port, OVERLAPPED& overlapped, bool& readPending);
