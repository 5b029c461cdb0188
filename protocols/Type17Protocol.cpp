// Generator type 17 through the link port: SYN-framed text with an XOR
// checksum, acknowledged frame by frame with ACK and NAK in both directions.
// The mini-console variant adds the R handshake (timer 112) and echoes V
// replies; other replies go to the host as text under index 0.
#include "app/RelvanDlg.h"
#include "bridge/DebugLog.h"
#include "bridge/TextFormat.h"
#include "platform/System.h"
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
    // A lost port refuses at once: nothing is written, and no reconnect cycle
    // runs until the port is opened again.
    if (m_bPortLost) {
        return;
    }
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

// Works on the stream of bytes as received, not on the block: a reply cut
// anywhere by the port's reads gives what it gives whole, and a checksum byte
// of 0 ends its frame like any other.
void CRelvanDlg::OnType17Data(const std::string& block) {
    KillTimer(kTimerParamStep);
    if (block.empty()) {
        return;
    }
    WriteTrace(*this, FormatText("R : %s", ReceivedText(block).c_str()));
    std::vector<std::size_t> dropped;
    const std::vector<Type17Unit> units = TakeType17Units(m_strRxBuf, block, dropped);
    for (const std::size_t size : dropped) {
        WriteLog(FormatText("Reply too long, %u bytes dropped", static_cast<unsigned>(size)),
                 CLogFile::kWarning);
    }
    if (units.empty()) {
        return; // timer 109 stays off until a reply ends
    }
    for (const Type17Unit& unit : units) {
        OnType17Unit(unit);
    }
    if (m_nStep > 0) {
        SetTimer(kTimerParamStep, static_cast<UINT>(m_nInterval));
    }
}

// A line stands for a frame whose ETX and checksum its CR LF took the place
// of; CR LF inside a frame just goes. The unit's first character (a frame's
// first SYN) is dropped; a unit that leaves nothing is no reply.
void CRelvanDlg::OnType17Unit(const Type17Unit& unit) {
    std::string text = unit.text;
    WriteDetail(*this, FormatText("S : %s", text.c_str()));
    if (unit.line || RemoveLineEnds(text)) {
        WriteDetail(*this, FormatText("ALF : %s, %d", text.c_str(), unit.line ? 1 : 0));
    }
    if (RewriteErrorReply(text)) {
        WriteDetail(*this, FormatText("ADZ : %s", text.c_str()));
    }
    if (text.size() > 1) {
        OnType17Frame(StripFraming(text.substr(1)));
    }
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
