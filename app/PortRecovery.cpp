// A generator port whose device went away (a USB-serial adapter unplugged, a
// generator that restarts and takes its port with it): the loss is logged
// once and the protocol stops: no polls, no handshake, every frame refused at
// once. The same port is then opened again on timer 114 every few seconds,
// without a log line per try. Once it opens, that is logged and the protocol
// starts again as at start-up, so the host's commands flow again without a
// restart of the program.
#include "app/RelvanDlg.h"
#include "bridge/TextFormat.h"
#include "serial/ControlDeskPort.h"
#include "serial/LinkPort.h"

namespace {

constexpr UINT kReopenPeriodMs = 3000;
constexpr UINT kFirstStatusMs = 250;

} // namespace

// WM_PORT_LOST is posted by a port's thread. Only a port that has given up
// its device counts: a late or foreign message changes nothing.
void CRelvanDlg::OnPortLost(unsigned long errorCode) {
    const bool lost = (m_pPort != nullptr && m_pPort->DeviceLost()) ||
                      (m_pLinkPort != nullptr && m_pLinkPort->DeviceLost());
    if (m_bPortLost || !lost) {
        return;
    }
    m_bPortLost = true;
    WriteLog(FormatText("Lost generator port:%d (error %lu)", m_nComPort, errorCode),
             CLogFile::kError);
    StopProtocolOnLoss();
    // Closing lets go of the device, so that it can be opened again.
    if (m_pPort != nullptr) {
        m_pPort->Close();
    }
    if (m_pLinkPort != nullptr) {
        m_pLinkPort->Close();
    }
    SetTimer(kTimerReopenPort, kReopenPeriodMs);
}

// Every timer that would poll, resend or reconnect stops with the port.
void CRelvanDlg::StopProtocolOnLoss() {
    KillTimer(m_nPollTimer);
    for (const UINT_PTR id : {kTimerFirstStatus, kTimerParamStep, kTimerPoll13, kTimerLinkTimeout13,
                              kTimerReconnect17, kTimerReplyTimeout11}) {
        KillTimer(id);
    }
    m_bConnected = 0;
    m_bReconnect = 0;
}

// Timer 114: one quiet try; the next follows while the device stays away.
void CRelvanDlg::ReopenPort() {
    if (!m_bPortLost) {
        return;
    }
    if (!OpenGeneratorPort()) {
        SetTimer(kTimerReopenPort, kReopenPeriodMs);
        return;
    }
    m_bPortLost = false;
    WriteLog(FormatText("Reopened generator port:%d Baud:%d", m_nComPort, m_nBaudRate),
             CLogFile::kInfo);
    RestartProtocol();
}

// As at start-up: nothing of a reply or a parameter list from before the loss
// is carried over to the new conversation.
void CRelvanDlg::RestartProtocol() {
    m_cLastRx = 0;
    m_strRxBuf.clear();
    m_nStep = 0;
    m_strParamList.clear();
    switch (m_nTypeGen) {
    case kType11:
        SetTimer(kTimerFirstStatus, kFirstStatusMs);
        break;
    case kType13:
        StartPolling13();
        break;
    case kType17:
        StartHandshake17();
        break;
    default:
        break;
    }
}
