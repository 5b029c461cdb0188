// The single write slot of CControlDeskPort. The GUI thread fills it; the
// watch thread takes the frame out and writes it. A frame filled in before the
// watch thread took the one before replaces it, so only the last one goes out.
//
// Both threads may call every method: the slot's own lock makes a fill and a
// take whole operations, so the watch thread never writes half of one frame
// and half of the next.
#pragma once

#include "serial/Frames.h"

#include <cstddef>
#include <mutex>

class WriteSlot {
public:
    // Gives the slot `size` bytes and forgets any queued frame.
    void Allocate(std::size_t size);
    // Queues `frame`. The frame and a terminating zero must fit the slot: a
    // frame that does not fit is refused (false) and the slot is left as it was.
    bool Fill(const Frame& frame);
    // Moves the queued frame into `frame`; false when none is queued.
    bool Take(Frame& frame);

private:
    std::mutex m_lock;
    std::size_t m_size = 0; // guarded by m_lock
    Frame m_frame;          // guarded by m_lock
    bool m_queued = false;  // guarded by m_lock
};
