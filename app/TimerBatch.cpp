#include "app/TimerBatch.h"

void TimerBatch::Set(UINT_PTR id, UINT elapseMs) {
    Record({id, true, elapseMs});
}

void TimerBatch::Kill(UINT_PTR id) {
    Record({id, false, 0});
}

void TimerBatch::Record(const Change& change) {
    for (Change& held : m_changes) {
        if (held.id == change.id) {
            held = change;
            return;
        }
    }
    m_changes.push_back(change);
}

void TimerBatch::Apply(CDialog& window) {
    for (const Change& change : m_changes) {
        if (change.set) {
            window.SetTimer(change.id, change.elapseMs);
        } else {
            window.KillTimer(change.id);
        }
    }
    m_changes.clear();
}
