#include "support/Profile.h"

#include "platform/PrivateProfile.h"

namespace {

// The string read goes through a buffer of this many bytes.
constexpr std::size_t kStringBufferSize = 512;

} // namespace

CProfile::~CProfile() {
    m_strFile.clear();
}

void CProfile::SetFile(std::string path) {
    m_strFile = std::move(path);
}

std::string CProfile::GetString(std::string section, std::string key, std::string def) const {
    return platform::ReadProfileString(m_strFile, section, key, def, kStringBufferSize);
}

int CProfile::GetInt(std::string section, std::string key, int def) const {
    return platform::ReadProfileInt(m_strFile, section, key, def);
}

bool CProfile::WriteString(std::string section, std::string key, std::string value) const {
    return platform::WriteProfileString(m_strFile, section, key, value);
}
