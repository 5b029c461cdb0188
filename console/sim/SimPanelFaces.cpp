#include "console/sim/SimPanelFaces.h"

namespace sim {

bool SimPanelFaces::CreateLink(CDialog&, LinkEventHandler onEvent, LinkStatusHandler) {
    if (!linkRegistered) {
        m_log("Link control {7127E44D-6E77-4C78-B2C9-502CB56EE693} cannot be created: 0x80040154 "
              "(class not registered)",
              1);
        return false;
    }
    link.SetEventHandler(std::move(onEvent));
    linkPresent = true;
    return true;
}

} // namespace sim

std::unique_ptr<IPanelFaces> MakePanelFaces(PanelLog log) {
    auto faces = std::make_unique<sim::SimPanelFaces>(std::move(log));
    sim::SimPanelFaces::last = faces.get();
    return faces;
}
