// Generator type 13: STX, text, two hex checksum digits, ETX in both
// directions. Every valid reply is acknowledged with ACK ETX and forwarded to
// the host; the program polls A1C1, A1CB, A1CD, one request per reply.
#include "app/RelvanDlg.h"
#include "bridge/DebugLog.h"
#include "bridge/TextFormat.h"
#include "platform/System.h"
#include "protocols/ByteReply.h"
#include "protocols/FrameRefusal.h"
#include "serial/Checksums.h"
#include "serial/ControlChars.h"
#include "serial/ControlDeskPort.h"

namespace {

constexpr UINT kPollPeriod13Ms = 250;
constexpr UINT kLinkTimeout13Ms = 5000;

// The reply between STX and ETX: leading STX and trailing ETX characters off.
std::string ReplyBody(std::string reply) {
    reply.erase(0, reply.find_first_not_of(STX));
    const std::size_t last = reply.find_last_not_of(ETX);
    reply.erase(last == std::string::npos ? 0 : last + 1);
    return reply;
}

// The payload of a reply body whose last two characters are the hex
// checksum of STX and the payload; false when they are not (a body of fewer
// than two characters cannot hold a checksum and fails).
bool CheckedPayload(const std::string& body, std::string& payload) {
    if (body.size() < 2) {
        return false;
    }
    payload = body.substr(0, body.size() - 2);
    return HexChecksum(std::string(1, STX) + payload) == body.substr(body.size() - 2);
}

} // namespace

void CRelvanDlg::SendType13(const std::string& command) {
    // A lost port refuses at once, until it is opened again.
    if (m_pPort == nullptr || m_bPortLost) {
        return;
    }
    WriteTrace(*this, FormatText("W : %s", command.c_str()));
    if (!FrameQueued(*this, m_pPort->QueueHexFrame(command), command)) {
        return;
    }
    // Remembered for the host's resume; only commands that went out.
    if (command.find("A1D0") != std::string::npos) {
        m_strLastD0 = command;
    }
    if (command.find("A1C0") != std::string::npos) {
        m_strLastC0 = command;
    }
    platform::Pause(10);
    SetTimer(kTimerLinkTimeout13, kLinkTimeout13Ms);
}

void CRelvanDlg::OnType13Byte(std::uint8_t byte, unsigned /*portNumber*/) {
    if (byte != static_cast<std::uint8_t>(ETX)) {
        // A sign of life puts the link timeout off; a reply that never ends
        // (or a NAK instead of one) still meets it.
        SetTimer(kTimerLinkTimeout13, kLinkTimeout13Ms);
        if (byte != static_cast<std::uint8_t>(NAK)) {
            AppendReplyByte(*this, byte);
        }
        return;
    }
    KillTimer(kTimerLinkTimeout13);
    KillTimer(kTimerPoll13);
    WriteTrace(*this, FormatText("R : %s", m_strRxBuf.c_str()));
    std::string payload;
    if (CheckedPayload(ReplyBody(m_strRxBuf), payload)) {
        if (m_pPort != nullptr && m_pPort->IsWatchAlive() &&
            FrameQueued(*this, m_pPort->QueueAck(), "ACK")) {
            WriteTrace(*this, FormatText("W : %02X", static_cast<unsigned>(ACK)));
        }
        SendTextToHost(0, payload);
    } else {
        // Dropped without answer; the poll goes on.
        WriteTrace(*this, FormatText("F : %s", m_strRxBuf.c_str()));
    }
    m_cLastRx = 0;
    m_strRxBuf.clear();
    SetTimer(kTimerPoll13, kPollPeriod13Ms);
}

// No reply for 5 s: the link is marked down, whatever part of a reply came is
// dropped, and the poll cycle, which only replies keep going, starts again.
void CRelvanDlg::OnLinkTimeout13() {
    m_bConnected = 0;
    if (!m_strRxBuf.empty()) {
        WriteLog(FormatText("Incomplete reply dropped: %s", m_strRxBuf.c_str()),
                 CLogFile::kWarning);
        m_cLastRx = 0;
        m_strRxBuf.clear();
    }
    SetTimer(kTimerPoll13, kPollPeriod13Ms);
}

void CRelvanDlg::PollType13() {
    if (m_pPort == nullptr || !m_pPort->IsWatchAlive() || m_bPollSuspended != 0) {
        return;
    }
    switch (m_nStep) {
    case 0:
        SendType13("A1C1");
        m_nStep = 1;
        break;
    case 1:
        SendType13("A1CB");
        m_nStep = 2;
        break;
    case 2:
        SendType13("A1CD");
        m_nStep = 0;
        break;
    default:
        break;
    }
}
