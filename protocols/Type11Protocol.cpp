// Generator type 11: text, ETX and a one-byte sum in both directions. Replies
// carry blank-separated items (code + value); each goes to the host under its
// code's table index, except PR and XR, which are answered to the generator.
#include "app/RelvanDlg.h"
#include "bridge/DebugLog.h"
#include "bridge/DecimalText.h"
#include "bridge/ReplyCodeTable.h"
#include "bridge/TextFormat.h"
#include "platform/System.h"
#include "protocols/ByteReply.h"
#include "protocols/FrameRefusal.h"
#include "serial/Checksums.h"
#include "serial/ControlChars.h"
#include "serial/ControlDeskPort.h"
#include "support/Token.h"

namespace {

constexpr UINT kPollPeriod11Ms = 200;
// A reply with no byte for this long is taken as cut off.
constexpr UINT kReplyTimeout11Ms = 1000;

// The reply text as logged and split: leading blanks and its first ETX removed.
std::string ReplyItemsText(std::string reply) {
    reply.erase(0, reply.find_first_not_of(' '));
    const std::size_t etx = reply.find(ETX);
    if (etx != std::string::npos) {
        reply.erase(etx, 1);
    }
    return reply;
}

} // namespace

void CRelvanDlg::SendType11(const std::string& command) {
    if (m_bConnected != 1 || m_pPort == nullptr) {
        return;
    }
    KillTimer(m_nPollTimer);
    WriteTrace(*this, FormatText("W : %s", command.c_str()));
    FrameQueued(*this, m_pPort->QueueSumFrame(command), command);
    platform::Pause(10);
}

void CRelvanDlg::OnType11Byte(std::uint8_t byte, unsigned /*portNumber*/) {
    // A NAK is ignored, except where a checksum is due: the byte after ETX is
    // the checksum whatever its value, and one reply in 256 sums to NAK.
    if (byte == static_cast<std::uint8_t>(NAK) && m_cLastRx != static_cast<std::uint8_t>(ETX)) {
        return;
    }
    KillTimer(m_nPollTimer);
    if (m_cLastRx != static_cast<std::uint8_t>(ETX)) {
        AppendReplyByte(*this, byte);
        SetTimer(kTimerReplyTimeout11, kReplyTimeout11Ms);
        return;
    }
    KillTimer(kTimerReplyTimeout11);
    // The byte after ETX is the reply's checksum, whatever its value.
    const std::uint8_t sum = SumChecksum(m_strRxBuf);
    if (sum == byte) {
        const std::string items = ReplyItemsText(m_strRxBuf);
        WriteTrace(*this, FormatText("R : %s", items.c_str()));
        CToken token(items);
        for (std::string piece = token.NextToken(); !piece.empty(); piece = token.NextToken()) {
            std::string code;
            std::string value;
            SplitReplyItem(piece, code, value);
            OnType11Item(code, value);
        }
    } else {
        WriteTrace(*this, FormatText("F : %s %c", m_strRxBuf.c_str(), static_cast<char>(sum)));
    }
    m_cLastRx = 0;
    m_strRxBuf.clear();
    StartPollTimer11();
}

int CRelvanDlg::OnType11Item(const std::string& code, const std::string& value) {
    const int index = ReplyCodeIndex(code);
    if (index < 0) {
        return -1;
    }
    const int number = LeadingInt(value);
    if (index == kReplyCodePR) {
        if (number >= 0 && number <= 2) {
            SendType11(FormatText("PR%d", number));
        }
    } else if (index == kReplyCodeXR) {
        if (number == 0 || number == 1) {
            SendType11(FormatText("XR%d", number));
        }
    } else {
        SendTextToHost(index, value);
    }
    return 0;
}

// A reply stopped coming (noise, a cable pulled mid-reply): without this the
// poll cycle, which only a complete reply restarts, would stay stopped.
void CRelvanDlg::OnReplyTimeout11() {
    WriteLog(FormatText("Incomplete reply dropped: %s", m_strRxBuf.c_str()), CLogFile::kWarning);
    m_cLastRx = 0;
    m_strRxBuf.clear();
    StartPollTimer11();
}

void CRelvanDlg::PollType11() {
    // As for type 13, the cycle stops with the port's watch; a reopen starts
    // it again.
    if (m_pPort == nullptr || !m_pPort->IsWatchAlive()) {
        return;
    }
    switch (m_nStep) {
    case 0:
        m_nStep = 1;
        SendType11("ST");
        break;
    case 1:
        m_nStep = 2;
        SendType11("RS");
        break;
    case 2:
        m_nStep = 0;
        SendType11("RR");
        break;
    default:
        break;
    }
    StartPollTimer11();
}

void CRelvanDlg::StartPollTimer11() {
    m_nPollTimer = SetTimer(kTimerPoll11, kPollPeriod11Ms);
}
