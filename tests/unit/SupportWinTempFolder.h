// A fresh folder in the Windows temp folder for one test, removed with
// everything in it.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

class WinTempFolder {
public:
    WinTempFolder() {
        static unsigned counter = 0;
        char temp[MAX_PATH];
        DWORD length = GetTempPathA(MAX_PATH, temp);
        m_path = std::string(temp, length) + "relvan-test-" +
                 std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
        CreateDirectoryA(m_path.c_str(), nullptr);
    }
    ~WinTempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    WinTempFolder(const WinTempFolder&) = delete;
    WinTempFolder& operator=(const WinTempFolder&) = delete;

    // The full path, without a trailing backslash.
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};
