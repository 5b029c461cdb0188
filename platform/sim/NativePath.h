// Maps a Windows-style path onto the native file system: backslashes become
// slashes. "C:\x" stays relative ("C:/x").
#pragma once

#include <string>

namespace sim {

inline std::string NativePath(std::string path) {
    for (char& c : path) {
        if (c == '\\') {
            c = '/';
        }
    }
    return path;
}

} // namespace sim
