// Reading the configuration from the host application's INI file, once, at
// set-up.
#include "app/RelvanDlg.h"

#include "platform/System.h"

std::string g_strAppDir;
CProfile g_profile;

namespace {

// The current directory with a closing backslash; an unknown one (too long
// to read) is not guessed at: files are then named relative to the current
// folder, which start-up made the program's own.
std::string FolderOf(const std::string& directory) {
    if (directory.empty()) {
        return ".\\";
    }
    if (directory.back() == '\\') {
        return directory;
    }
    return directory + "\\";
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

} // namespace

void CRelvanDlg::ReadConfiguration() {
    const std::string currentDirectory = platform::CurrentDirectory();
    g_strAppDir = FolderOf(currentDirectory);
    m_strIniPath = g_strAppDir + "Lumora.ini";
    g_profile.SetFile(m_strIniPath);

    m_nTypeGen = g_profile.GetInt("CONTROLPANNEL", "TypeGen", kTypeDefault);
    if (m_nTypeGen == kType11Alias) {
        m_nTypeGen = kType11;
    }
    m_nComPort = g_profile.GetInt("GENERATOR", "COMPORT", 2);
    m_strDataPath = g_profile.GetString("GENERATOR", "DataPSC", "");
    if (m_strDataPath.empty()) {
        m_strDataPath = currentDirectory.empty() ? "." : currentDirectory;
    }
    ReplaceAll(m_strDataPath, "\\\\", "\\");
    m_bEnableDebug = g_profile.GetInt("GENERATOR", "EnableDebug", 0);
    m_bUseMiniConsole = g_profile.GetInt("GENERATOR", "UseMiniConsole", 0);
    m_nInterval = g_profile.GetInt("GENERATOR", "Interval", 100);
    m_nDevice = g_profile.GetInt("CONTROLPANNEL", "Device", 0);
    if (currentDirectory.empty()) {
        const std::string text = "The program folder cannot be read (longer than 255 characters): "
                                 "its files are named relative to the current folder";
        platform::ReportToSystem(text);
        WriteLog(text, CLogFile::kError);
    }
}
