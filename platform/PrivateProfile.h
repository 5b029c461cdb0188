// Private-profile (INI file) access with the Windows semantics: sections and
// keys compared without regard to case, values trimmed, a missing file,
// section or key giving the default.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// The value read into a buffer of `bufferSize` bytes, so at most
// bufferSize - 1 characters come back.
std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& defaultValue,
                              std::size_t bufferSize);

// An optional sign and the leading decimal digits of the value; the default
// when the key is missing.
int ReadProfileInt(const std::string& path, const std::string& section, const std::string& key,
                   int defaultValue);

bool WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value);

} // namespace platform
