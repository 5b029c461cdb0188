#include "protocols/ByteReply.h"

#include "app/RelvanDlg.h"
#include "bridge/TextFormat.h"
#include "protocols/ReplyLimits.h"

void AppendReplyByte(CRelvanDlg& dialog, std::uint8_t byte) {
    if (dialog.m_strRxBuf.size() >= kMaxByteReply) {
        dialog.WriteLog(FormatText("Reply too long, %u bytes dropped",
                                   static_cast<unsigned>(dialog.m_strRxBuf.size())),
                        CLogFile::kWarning);
        dialog.m_strRxBuf.clear();
    }
    dialog.m_strRxBuf += static_cast<char>(byte);
    dialog.m_cLastRx = byte;
}
