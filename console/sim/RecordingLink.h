// The link control of the native tests: records every method call with its
// texts, and raises events into whoever handles them (the console).
#pragma once

#include "console/LinkControl.h"

#include <functional>
#include <vector>

namespace sim {

struct LinkCall {
    int dispatchId = 0;
    LinkArgs args;
    bool operator==(const LinkCall& other) const {
        return dispatchId == other.dispatchId && args == other.args;
    }
};

class RecordingLink : public ILinkControl {
public:
    void Invoke(int dispatchId, const LinkArgs& args) override {
        calls.push_back({dispatchId, args});
        if (onInvoke) {
            onInvoke(calls.back());
        }
    }

    void SetEventHandler(LinkEventHandler handler) { m_handler = std::move(handler); }
    // The control raises event `eventId` with `args`.
    void Raise(int eventId, const LinkArgs& args) {
        if (m_handler) {
            m_handler(eventId, args);
        }
    }

    // The ids of the calls so far, in order.
    std::vector<int> CallIds() const {
        std::vector<int> ids;
        for (const LinkCall& call : calls) {
            ids.push_back(call.dispatchId);
        }
        return ids;
    }

    std::vector<LinkCall> calls;
    // Called after each call, e.g. to put it in order with other outputs.
    std::function<void(const LinkCall&)> onInvoke;

private:
    LinkEventHandler m_handler;
};

} // namespace sim
