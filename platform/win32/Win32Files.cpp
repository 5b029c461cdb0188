// The Win32 face of file access.
#include "platform/Files.h"

#include <windows.h>

namespace platform {

bool AppendToFile(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    bool ok = SetFilePointer(file, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER &&
              WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) !=
                  FALSE &&
              written == bytes.size();
    return CloseHandle(file) != FALSE && ok;
}

void MakeDirectory(const std::string& path) {
    CreateDirectoryA(path.c_str(), nullptr);
}

} // namespace platform
