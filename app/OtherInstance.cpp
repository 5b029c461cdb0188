#include "app/OtherInstance.h"

#include "app/ProcessCount.h"
#include "platform/Instance.h"

std::string GetExeFileName() {
    return ExeFileNameOf(platform::ModuleFileName());
}

bool OtherInstance::IsOtherInstanceRunning() {
    if (platform::CountProcessInstances(GetExeFileName()) != kTwoRunning) {
        return false;
    }
    if (HWND first = platform::SharedMainWindow()) {
        platform::BringToForeground(first);
    }
    return true;
}
