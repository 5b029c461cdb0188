// Whole files as text, for tests that write an INI file and read it back.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

inline void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

inline std::string ReadFile(const std::string& path) {
    std::ostringstream out;
    out << std::ifstream(path, std::ios::binary).rdbuf();
    return out.str();
}
