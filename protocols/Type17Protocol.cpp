// Generator type 17 through the link port: SYN-framed text with an XOR
// checksum, acknowledged frame by frame with ACK and NAK in both directions.
// The mini-console variant adds the R handshake (timer 112) and echoes V
// replies; other replies go to the host as text under index 0.
#include "app/RelvanDlg.h"
#include "bridge/DebugLog.h"
#include "bridge/TextFormat.h"
#include "platform/System.h"
#include "protocols/ReplyLimits.h"
#include "protocols/Type17Frames.h"
#include "serial/ControlChars.h"
#include "serial/Frames.h"
#include "serial/LinkPort.h"

#include <cctype>

namespace {

constexpr UINT kReconnectAfterSendMs = 250;
constexpr UINT kReconnectRetryMs = 500;

bool IsMiniConsole(const CRelvanDlg& dialog) {
    return dialog.m_bUseMiniConsole == 1;
}

// The V echo: 'V' and the value of the one character after it (0 when that is
// not a digit), so V3 is answered with V3 and a V followed by a letter with V0.
std::string VersionEcho(const std::string& piece) {
    const bool digit = piece.size() > 1 && std::isdigit(static_cast<unsigned char>(piece[1]));
    return FormatText("%c%d", 'V', digit ? piece[1] - '0' : 0);
}

void EraseLeading(std::string& text, char c) {
    text.erase(0, text.find_first_not_of(c));
}

} // namespace

void CRelvanDlg::SendType17(const std::string& command, int /*unused*/) {
    if (command.size() > kLinkTextMax) {
        WriteLog(FormatText("Command too long: %s", command.c_str()), CLogFile::kWarning);
        return;
    }
    m_strLastCmd = command;
    WriteTrace(*this, FormatText("W : %s", command.c_str()));
    if (m_pLinkPort != nullptr) {
        m_pLinkPort->SendFrame(IsMiniConsole(*this) ? 'C' : 'A', command);
    }
    const bool keepAliveCommand = command == FormatText("%c%c%d", 'T', 'A', 28);
    if ((keepAliveCommand && IsMiniConsole(*this)) || m_bConnected == 0) {
        m_bReconnect = 1;
        SetTimer(kTimerReconnect17, kReconnectAfterSendMs);
    }
    platform::Pause(10);
}

void CRelvanDlg::ReconnectType17() {
    WriteTrace(*this, FormatText("E : RECON %d, %d.", m_bReconnect, m_bUseMiniConsole));
    if (m_bReconnect == 1 && IsMiniConsole(*this)) {
        m_bConnected = 0;
        SendType17("R", 0);
        SetTimer(kTimerReconnect17, kReconnectRetryMs);
    }
}

void CRelvanDlg::OnType17Data(const std::string& block) {
    KillTimer(kTimerParamStep);
    if (block.empty()) {
        return;
    }
    std::string text = block;
    WriteTrace(*this, FormatText("R : %s", text.c_str()));
    int mark = 0;
    if (RewriteLineEnded(text, mark)) {
        WriteDetail(*this, FormatText("ALF : %s, %d", text.c_str(), mark));
    }
    if (RewriteErrorReply(text)) {
        WriteDetail(*this, FormatText("ADZ : %s", text.c_str()));
    }
    if (text.find(ETX) == std::string::npos) {
        KeepType17Pending(text);
        m_bType17ChecksumDue = 0; // a checksum that was due has come, and it was no ETX
        return;
    }
    const std::string whole = m_strRxBuf + text;
    WriteDetail(*this, FormatText("S : %s", whole.c_str()));
    const bool opensWithChecksum = m_bType17ChecksumDue == 1 && m_strRxBuf.empty();
    m_strRxBuf.clear();
    const Type17Pieces pieces = CollectType17Frames(whole, opensWithChecksum);
    m_bType17ChecksumDue = pieces.checksumDue ? 1 : 0;
    KeepType17Pending(pieces.pending);
    for (const std::string& piece : pieces.frames) {
        OnType17Frame(StripFraming(piece));
    }
    if (m_nStep > 0) {
        SetTimer(kTimerParamStep, static_cast<UINT>(m_nInterval));
    }
}

void CRelvanDlg::KeepType17Pending(const std::string& text) {
    if (m_strRxBuf.size() + text.size() > kMaxLinkPending) {
        WriteLog(FormatText("Reply too long, %u bytes dropped",
                            static_cast<unsigned>(m_strRxBuf.size() + text.size())),
                 CLogFile::kWarning);
        m_strRxBuf.clear();
        return;
    }
    m_strRxBuf += text;
}

void CRelvanDlg::OnType17Frame(std::string piece) {
    if (piece == std::string(1, ACK)) {
        WriteDetail(*this, "Received ACK");
        return;
    }
    if (piece == std::string(1, NAK)) {
        WriteDetail(*this, "Received NAK");
        SendType17(m_strLastCmd, 0);
        return;
    }
    if (m_pLinkPort != nullptr) {
        m_pLinkPort->SendAckFrame();
    }
    WriteDetail(*this, FormatText("Write ACK\r\nD : %s", piece.c_str()));
    if (!IsMiniConsole(*this)) {
        EraseLeading(piece, 'A');
        SendTextToHost(0, piece);
        return;
    }
    KillTimer(kTimerReconnect17);
    m_bReconnect = 0;
    m_bConnected = 1;
    EraseLeading(piece, 'C');
    if (!piece.empty() && piece[0] == 'V') {
        // Device 22 echoes versions only while the host has set its flag.
        if (m_nDevice != 22 || m_bHostFlag1021 == 1) {
            SendType17(VersionEcho(piece), 0);
        }
        return;
    }
    SendTextToHost(0, piece);
}
