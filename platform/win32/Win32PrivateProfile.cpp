// The Win32 face of INI access: the system's private-profile functions.
#include <windows.h>
// <windows.h> maps this name onto the system's WriteProfileStringA.
#undef WriteProfileString

#include "platform/PrivateProfile.h"

#include <vector>

namespace platform {

std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& defaultValue,
                              std::size_t bufferSize) {
    if (bufferSize == 0) {
        return std::string();
    }
    std::vector<char> buffer(bufferSize, '\0');
    DWORD length =
        GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(),
                                 static_cast<DWORD>(bufferSize), path.c_str());
    return std::string(buffer.data(), length);
}

int ReadProfileInt(const std::string& path, const std::string& section, const std::string& key,
                   int defaultValue) {
    return static_cast<int>(
        GetPrivateProfileIntA(section.c_str(), key.c_str(), defaultValue, path.c_str()));
}

bool WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str()) !=
           FALSE;
}

} // namespace platform
