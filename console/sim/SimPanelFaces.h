// The console panel's faces in the native build: a recording link control
// that tests make raise events, and a simulated parallel port. Tests set up
// the simulated machine first: whether the link control's class is
// registered, and whether the port's library is missing.
#pragma once

#include "console/PanelFaces.h"
#include "console/sim/RecordingLink.h"
#include "console/sim/SimParallelPort.h"

namespace sim {

class SimPanelFaces : public IPanelFaces {
public:
    explicit SimPanelFaces(PanelLog log) : m_log(std::move(log)) {}

    ILinkControl& Link() override { return link; }
    IParallelPort& Port() override { return port; }
    bool CreateLink(CDialog& panel, LinkEventHandler onEvent, LinkStatusHandler onStatus) override;
    void DestroyLink() override { linkPresent = false; }
    std::string PortStatusText() const override { return portStatusText; }

    // The simulated machine, set by tests before a panel is created: the
    // link control's class registered or not, and the port face's status
    // text (empty: the library is there).
    static inline bool linkRegistered = true;
    static inline std::string portStatusText;

    RecordingLink link;
    SimParallelPort port;
    bool linkPresent = false;

    // The faces made last by MakePanelFaces (owned by their panel).
    static inline SimPanelFaces* last = nullptr;

private:
    PanelLog m_log;
};

} // namespace sim
