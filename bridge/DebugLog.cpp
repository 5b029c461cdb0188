#include "bridge/DebugLog.h"

#include "app/RelvanDlg.h"

void WriteTrace(CRelvanDlg& dialog, const std::string& text) {
    if (dialog.m_bEnableDebug != 0) {
        dialog.WriteLog(text, CLogFile::kInfo);
    }
}

void WriteDetail(CRelvanDlg& dialog, const std::string& text) {
    if (dialog.m_bEnableDebug == 1) {
        dialog.WriteLog(text, CLogFile::kInfo);
    }
}
