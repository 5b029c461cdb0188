// The INI reader over arbitrary file content, sections and keys.
#include "support/IniReader.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// A name that survives being written and read: printable, no brackets, and
// not starting or ending in blanks (which the reader trims).
bool RoundTrips(const std::string& name) {
    if (name.empty() || name.find_first_of("[]") != std::string::npos) {
        return false;
    }
    for (char c : name) {
        if (!std::isgraph(static_cast<unsigned char>(c)) && c != ' ') {
            return false;
        }
    }
    return name.front() != ' ' && name.back() != ' ';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    const std::size_t sectionLength = data[0] % 16;
    const std::size_t keyLength = data[1] % 16;
    const std::size_t bufferSize = 1 + data[2] * 3;
    const std::string rest(reinterpret_cast<const char*>(data + 3), size - 3);
    const std::string section = rest.substr(0, sectionLength);
    const std::string key = rest.substr(std::min(rest.size(), sectionLength), keyLength);
    const std::string content = rest.substr(std::min(rest.size(), sectionLength + keyLength));

    const std::string value = IniReadString(content, section, key, "default", bufferSize);
    if (value.size() >= bufferSize && value != "default") {
        std::abort();
    }
    IniReadInt(content, section, key, -7);
    const std::string written = IniWriteString(content, section, key, "v=1");
    if (RoundTrips(section) && RoundTrips(key) && key.find('=') == std::string::npos &&
        key[0] != '[' && key[0] != ';') {
        // What was written reads back.
        if (IniReadString(written, section, key, "", 512) != "v=1") {
            std::abort();
        }
    }
    return 0;
}
