// CProfile: typed reads from one INI file.
#pragma once

#include <string>

class CProfile {
public:
    CProfile() = default;
    ~CProfile();

    void SetFile(std::string path);
    const std::string& GetFile() const { return m_strFile; }

    // The value of `key` in `section`, at most 511 characters; `def` when the
    // file or key is missing.
    std::string GetString(std::string section, std::string key, std::string def) const;
    // An optional sign and the leading decimal digits of the value; `def` when
    // the file or key is missing.
    int GetInt(std::string section, std::string key, int def) const;
    bool WriteString(std::string section, std::string key, std::string value) const;

private:
    std::string m_strFile;
};
