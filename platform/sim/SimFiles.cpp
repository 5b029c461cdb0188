// The native face of file access: real files, with the program's backslash
// paths mapped onto this file system.
#include "platform/Files.h"

#include "platform/sim/NativePath.h"

#include <cstdio>
#include <sys/stat.h>

namespace platform {

bool AppendToFile(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(sim::NativePath(path).c_str(), "ab");
    if (file == nullptr) {
        return false;
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

bool ReadFileBytes(const std::string& path, std::string& bytes) {
    bytes.clear();
    std::FILE* file = std::fopen(sim::NativePath(path).c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    char chunk[4096];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) != 0) {
        bytes.append(chunk, got);
    }
    const bool read = std::ferror(file) == 0;
    std::fclose(file);
    if (!read) {
        bytes.clear();
    }
    return read;
}

bool ReplaceFileContent(const std::string& path, const std::string& bytes) {
    const std::string fresh = sim::NativePath(path + ".new");
    std::FILE* file = std::fopen(fresh.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    bool ok =
        std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0;
    ok = std::fclose(file) == 0 && ok;
    ok = ok && std::rename(fresh.c_str(), sim::NativePath(path).c_str()) == 0;
    if (!ok) {
        std::remove(fresh.c_str());
    }
    return ok;
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return ::stat(sim::NativePath(path).c_str(), &info) == 0;
}

void MakeDirectory(const std::string& path) {
    ::mkdir(sim::NativePath(path).c_str(), 0777);
}

} // namespace platform
