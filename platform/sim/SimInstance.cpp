// The simulated face of the running program: the process count and the
// module path are what the test set in sim::World.
#include "platform/Instance.h"

#include "app/ProcessCount.h"
#include "platform/sim/SimWorld.h"

namespace platform {

// As on Win32: a path longer than 259 characters does not fit.
std::string ModuleFileName() {
    const std::string& path = sim::World::Get().modulePath;
    return path.size() < 260 ? path : std::string();
}

bool ChangeDirectory(const std::string& directory) {
    sim::World::Get().currentDirectory = directory;
    return true;
}

// As on Win32, an empty or overlong name is refused before any count.
int CountProcessInstances(const std::string& fileName) {
    if (fileName.empty() || fileName.size() > 260) {
        return kBadFileName;
    }
    return sim::World::Get().otherInstanceOf == fileName ? 1 : 0;
}

HWND SharedMainWindow() {
    return sim::World::Get().sharedMainWindow;
}

void PublishMainWindow(HWND hwnd) {
    sim::World::Get().sharedMainWindow = hwnd;
}

void BringToForeground(HWND hwnd) {
    sim::World::Get().broughtForward = hwnd;
}

void PostQuit(int exitCode) {
    sim::World::Get().quitCode = exitCode;
}

} // namespace platform
