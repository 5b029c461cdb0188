// A fresh folder under /tmp for one test, removed with everything in it.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

class TempFolder {
public:
    TempFolder() {
        char pattern[] = "/tmp/relvan-test-XXXXXX";
        const char* made = mkdtemp(pattern);
        m_path = made ? made : "";
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!m_path.empty()) {
            std::filesystem::remove_all(m_path, ignored);
        }
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The native path, "/tmp/relvan-test-ab12cd".
    const std::string& Native() const { return m_path; }
    // The same folder written the Windows way, as the program writes paths.
    std::string Windows() const {
        std::string path = m_path;
        for (char& c : path) {
            c = c == '/' ? '\\' : c;
        }
        return path;
    }

private:
    std::string m_path;
};
