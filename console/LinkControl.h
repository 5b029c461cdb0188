// The USB link control as the console sees it: numbered methods called with
// narrow texts, and numbered events raised with narrow texts. CDVarnel is the
// face that hosts the real ActiveX control; the native tests use a recording
// double that can raise events.
#pragma once

#include <functional>
#include <string>
#include <vector>

using LinkArgs = std::vector<std::string>;

class ILinkControl {
public:
    virtual ~ILinkControl() = default;
    // Calls method `dispatchId` with `args` in order. Results are not used.
    virtual void Invoke(int dispatchId, const LinkArgs& args) = 0;
};

// Receives the control's events (id and texts in order), always on the
// panel's thread and never from inside a call into the control.
using LinkEventHandler = std::function<void(int eventId, const LinkArgs& args)>;
