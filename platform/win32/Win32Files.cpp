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
    LARGE_INTEGER end{};
    DWORD written = 0;
    const bool whole = SetFilePointerEx(file, LARGE_INTEGER{}, &end, FILE_END) != FALSE &&
                       WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                                 nullptr) != FALSE &&
                       written == bytes.size();
    if (!whole && written != 0 && SetFilePointerEx(file, end, nullptr, FILE_BEGIN) != FALSE) {
        SetEndOfFile(file);
    }
    return CloseHandle(file) != FALSE && whole;
}

bool ReadFileBytes(const std::string& path, std::string& bytes) {
    bytes.clear();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    char chunk[4096];
    DWORD got = 0;
    bool read = true;
    while ((read = ReadFile(file, chunk, sizeof chunk, &got, nullptr) != FALSE) && got != 0) {
        bytes.append(chunk, got);
    }
    CloseHandle(file);
    if (!read) {
        bytes.clear();
    }
    return read;
}

bool ReplaceFileContent(const std::string& path, const std::string& bytes) {
    const std::string fresh = path + ".new";
    HANDLE file = CreateFileA(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) !=
                  FALSE &&
              written == bytes.size() && FlushFileBuffers(file) != FALSE;
    ok = CloseHandle(file) != FALSE && ok;
    ok = ok && MoveFileExA(fresh.c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    if (!ok) {
        DeleteFileA(fresh.c_str());
    }
    return ok;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void MakeDirectory(const std::string& path) {
    CreateDirectoryA(path.c_str(), nullptr);
}

} // namespace platform
