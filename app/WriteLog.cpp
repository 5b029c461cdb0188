// The one path of every log entry: the day's file in the "log" folder beside
// the program.
#include "app/RelvanDlg.h"

void CRelvanDlg::WriteLog(const std::string& text, int level) {
    const std::string directory = g_strAppDir + "log";
    MakePath(directory);
    m_log.SetDirectory(directory);
    m_log.SetExtension("log");
    m_log.SetTimeStamp(1);
    m_log.SetNaming(CLogFile::kDaily);
    m_log.SetDelimiter("");
    switch (level) {
    case CLogFile::kError:
        m_log.LogError("%s", text.c_str());
        break;
    case CLogFile::kWarning:
        m_log.LogWarning("%s", text.c_str());
        break;
    case CLogFile::kDebug:
        m_log.LogDebug("%s", text.c_str());
        break;
    default:
        m_log.LogInfo("%s", text.c_str());
        break;
    }
}
