// The two EnableDebug rules of the log. Every line goes through WriteLog at
// level 3 ("[I]").
#pragma once

#include <string>

class CRelvanDlg;

// Protocol traces ("W : ", "R : ", "F : ", "SetCommand : ", "E : RECON"):
// written when EnableDebug is not 0.
void WriteTrace(CRelvanDlg& dialog, const std::string& text);
// Connection messages and protocol detail lines: written only when
// EnableDebug is exactly 1.
void WriteDetail(CRelvanDlg& dialog, const std::string& text);
