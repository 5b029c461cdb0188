// Reading and rewriting INI text with the Windows private-profile rules. Pure
// functions on the file's content, so they build and test on any platform.
#pragma once

#include <cstddef>
#include <string>

// The value of `key` in `section` (both compared without regard to case),
// trimmed, cut to bufferSize - 1 characters; `defaultValue` when missing.
std::string IniReadString(const std::string& content, const std::string& section,
                          const std::string& key, const std::string& defaultValue,
                          std::size_t bufferSize);

// The integer reading of the value (sign and leading digits); `defaultValue`
// when the key is missing.
int IniReadInt(const std::string& content, const std::string& section, const std::string& key,
               int defaultValue);

// The content with `key` in `section` set to `value` (section and key added
// when missing).
std::string IniWriteString(const std::string& content, const std::string& section,
                           const std::string& key, const std::string& value);
