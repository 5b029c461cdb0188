#include "tools/relvanlink/LinkSettings.h"

#include <windows.h>

#include <string>

namespace {

// "<folder of the host executable>\Lumora.ini".
std::string IniPath() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length < MAX_PATH ? length : 0);
    folder.erase(folder.find_last_of('\\') + 1);
    return folder + "Lumora.ini";
}

} // namespace

LinkSettings ReadLinkSettings() {
    const std::string ini = IniPath();
    LinkSettings settings;
    settings.port =
        static_cast<int>(GetPrivateProfileIntA("Generator", "LinkPort", 0, ini.c_str()));
    settings.baud = GetPrivateProfileIntA("Generator", "LinkBaud", settings.baud, ini.c_str());
    return settings;
}
