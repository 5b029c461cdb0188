// The simulated face of the desktop: host windows, message boxes and the tray
// icon are recorded in sim::World.
#include "platform/Desktop.h"

#include "platform/sim/SimWorld.h"

#include <cstring>

namespace platform {

HWND FindTopLevelWindow(const std::string& title) {
    return sim::World::Get().FindTopLevel(title.substr(0, 260));
}

LRESULT SendCopyData(HWND to, HWND from, DWORD kind, DWORD cbData, const void* data) {
    sim::HostWindow* host = sim::World::Get().HostOf(to);
    if (host == nullptr) {
        return 0;
    }
    sim::CopyDataSeen seen;
    seen.from = from;
    seen.kind = kind;
    seen.cbData = cbData;
    seen.hasData = data != nullptr;
    if (data != nullptr) {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        seen.data.assign(bytes, bytes + cbData);
    }
    host->received.push_back(std::move(seen));
    if (host->onReceive) {
        const std::function<void()> react = host->onReceive;
        react();
    }
    return 1;
}

int ShowMessageBox(const std::string& text, const std::string& caption, UINT type) {
    sim::World::Get().MessageBoxes().push_back({text, caption, type, false});
    return IDOK;
}

// A simulated box is pressed away at once, so none is ever still open.
bool ShowMessageBoxAside(const std::string& text, const std::string& caption, UINT type) {
    sim::World::Get().MessageBoxes().push_back({text, caption, type, true});
    return true;
}

bool NotifyTrayIcon(HWND owner, DWORD operation, UINT callbackMessage, int iconId,
                    const std::string& tip) {
    sim::World& world = sim::World::Get();
    world.TrayCalls().push_back({owner, operation, callbackMessage, iconId, tip});
    if (operation == NIM_ADD) {
        if (world.TrayIconShown()) {
            return false;
        }
        world.SetTrayIconShown(true);
        return true;
    }
    if (operation == NIM_DELETE) {
        bool was = world.TrayIconShown();
        world.SetTrayIconShown(false);
        return was;
    }
    return false;
}

UINT TaskbarCreatedMessage() {
    return sim::kTaskbarCreated;
}

} // namespace platform
