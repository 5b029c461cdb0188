// The simulated face of the clock: time is sim::World's virtual clock; a pause
// moves it on without delivering anything, as a blocked thread would.
#include "platform/System.h"

#include "platform/sim/SimWorld.h"

namespace platform {

LocalTime Now() {
    return sim::World::Get().ReadClock();
}

void Pause(unsigned ms) {
    sim::World::Get().Sleep(ms);
}

// The simulated speaker is silent; the time passes as on the real one.
void Beep(unsigned, unsigned durationMs) {
    sim::World::Get().Sleep(durationMs);
}

void ReportToSystem(const std::string& text) {
    sim::World::Get().systemReports.push_back(text);
}

// As on Win32: a directory longer than 255 characters does not fit.
std::string CurrentDirectory() {
    const std::string& directory = sim::World::Get().currentDirectory;
    return directory.size() <= 255 ? directory : std::string();
}

} // namespace platform
