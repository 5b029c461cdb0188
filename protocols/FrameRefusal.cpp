#include "protocols/FrameRefusal.h"

#include "app/RelvanDlg.h"
#include "bridge/TextFormat.h"

bool FrameQueued(CRelvanDlg& dialog, QueueResult result, const std::string& command) {
    switch (result) {
    case QueueResult::Queued:
        return true;
    case QueueResult::TooLong:
        dialog.WriteLog(FormatText("Command too long: %s", command.c_str()), CLogFile::kWarning);
        return false;
    case QueueResult::Full:
        dialog.WriteLog(FormatText("Port busy, command dropped: %s", command.c_str()),
                        CLogFile::kWarning);
        return false;
    case QueueResult::NotOpen:
        return false;
    }
    return false;
}
