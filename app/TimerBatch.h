// Timer changes made while a port delivery is handled, held until it ends and
// then made once per timer. A reply's every byte puts a timer off, and every
// timer call is a trip to the window system (tens of microseconds under some):
// made per byte, they would stand between the reply's last byte and the host.
// Nothing handles a timer during a delivery, so only each timer's last change
// counts.
#pragma once

#include "platform/Dialog.h"

#include <vector>

class TimerBatch {
public:
    void Set(UINT_PTR id, UINT elapseMs);
    void Kill(UINT_PTR id);
    // Makes each timer's last change on `window`, in the order the timers were
    // first changed, and forgets them.
    void Apply(CDialog& window);

private:
    struct Change {
        UINT_PTR id;
        bool set;
        UINT elapseMs;
    };
    void Record(const Change& change);

    std::vector<Change> m_changes;
};
