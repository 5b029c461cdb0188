#include "tools/relvanlink/LinkSettings.h"

#include "tools/relvanlink/LinkPortName.h"

#include <windows.h>

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
    char text[64] = {};
    GetPrivateProfileStringA("Generator", "LinkPort", "", text, sizeof text, ini.c_str());
    settings.portText = text;
    settings.port = ParseLinkPort(settings.portText);
    settings.baud = GetPrivateProfileIntA("Generator", "LinkBaud", settings.baud, ini.c_str());
    return settings;
}
