// The native face of file access: real files, with the program's backslash
// paths mapped onto this file system.
#include "platform/Files.h"

#include "platform/sim/NativePath.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Cuts an open file back to `size` bytes.
bool CutBack(int file, off_t size) {
    return ::ftruncate(file, size) == 0;
}

} // namespace

namespace platform {

bool AppendToFile(const std::string& path, const std::string& bytes) {
    const int file = ::open(sim::NativePath(path).c_str(), O_WRONLY | O_CREAT | O_APPEND, 0666);
    if (file < 0) {
        return false;
    }
    struct stat before {};
    const bool sized = ::fstat(file, &before) == 0;
    const ssize_t written = ::write(file, bytes.data(), bytes.size());
    const bool whole = written == static_cast<ssize_t>(bytes.size());
    const bool clean = whole || written <= 0 || (sized && CutBack(file, before.st_size));
    return ::close(file) == 0 && whole && clean;
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
