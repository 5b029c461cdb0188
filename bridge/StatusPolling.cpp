// The main window's timers 100 to 114. Each is one-shot in effect: the
// handler kills it first, and whoever needs it again starts it again.
#include "app/RelvanDlg.h"

namespace {

constexpr UINT_PTR kFirstMainTimer = 100;
constexpr UINT_PTR kLastMainTimer = kTimerReopenPort;

} // namespace

void CRelvanDlg::OnTimer(UINT_PTR id) {
    if (id < kFirstMainTimer || id > kLastMainTimer) {
        return;
    }
    // Timer 108 is known by the id its last start returned.
    KillTimer(id == kTimerPoll11 ? m_nPollTimer : id);
    switch (id) {
    case kTimerStartup:
        OnStartupTimer();
        break;
    case kTimerFirstStatus:
        SendType11("ST");
        break;
    case kTimerConsoleStatus:
        SendConsoleStatusToHost();
        break;
    case kTimerPoll11:
        PollType11();
        break;
    case kTimerParamStep:
        SetCommand();
        break;
    case kTimerPoll13:
        PollType13();
        break;
    case kTimerLinkTimeout13:
        OnLinkTimeout13();
        break;
    case kTimerReconnect17:
        ReconnectType17();
        break;
    case kTimerReplyTimeout11:
        OnReplyTimeout11();
        break;
    case kTimerReopenPort:
        ReopenPort();
        break;
    default:
        // 102, 103, 104, 106 and 107: killed, nothing else to do.
        break;
    }
}
