// The manual-reset events both port classes wait on.
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
