// The native face of INI access: the file is read and searched by our own
// reader, which follows the Windows private-profile rules.
#include "platform/PrivateProfile.h"

#include "platform/sim/NativePath.h"
#include "support/IniReader.h"

#include <fstream>
#include <sstream>

namespace {

bool ReadWholeFile(const std::string& path, std::string& content) {
    std::ifstream in(sim::NativePath(path), std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream out;
    out << in.rdbuf();
    content = out.str();
    return true;
}

} // namespace

namespace platform {

std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& defaultValue,
                              std::size_t bufferSize) {
    std::string content;
    if (!ReadWholeFile(path, content)) {
        content.clear();
    }
    return IniReadString(content, section, key, defaultValue, bufferSize);
}

int ReadProfileInt(const std::string& path, const std::string& section, const std::string& key,
                   int defaultValue) {
    std::string content;
    if (!ReadWholeFile(path, content)) {
        content.clear();
    }
    return IniReadInt(content, section, key, defaultValue);
}

bool WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value) {
    std::string content;
    ReadWholeFile(path, content);
    std::ofstream out(sim::NativePath(path), std::ios::binary | std::ios::trunc);
    if (!out) {
        return false;
    }
    out << IniWriteString(content, section, key, value);
    return static_cast<bool>(out);
}

} // namespace platform
