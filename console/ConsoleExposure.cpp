// The exposure sequence around the ready start: the hand-switch poll and its
// evaluation, ready cancel, exposure start, cancel and end, the Ready,
// RDY-Cancel, Exposure and EXP-Cancel buttons, and the generator's progress
// codes RS05 (Ready UP OK), RS06 (X-ray Start OK) and RS07 (X-ray End OK).
// The ready start itself is in ConsoleExposureReady.cpp.
//
// The ready and exposure lines are asserted only here and in the ready
// start. Beyond the plain sequence these rules hold them back:
// - OVER refuses the hand switch at its second stage as at its first;
// - RS05 starts an exposure only for a ready started in this cycle, with the
//   switch held at its second stage and nothing refusing it;
// - an exposure the switch starts is cancelled when the switch lets go, also
//   within a ready from the Ready button; in Model 2 the switch starts none
//   there, as its reports are not taken then;
// - the sequence buttons act only while charged and enabled, and Exposure
//   only after Ready UP OK of a ready from the Ready button;
// - OVER or a pending status report refuses the Ready and Exposure buttons,
//   as it holds the switch back;
// - Charge OFF OK drops whatever ready or exposure was under way;
// - one press, one exposure: after Charge ON OK (Model 1) and a ready cancel
//   a switch not standing starts nothing until it is seen standing; after an
//   exposure end or cancel and a cleared check, until it is seen standing
//   from then on (Model 2: a standing report).
#include "console/Console.h"

#include "bridge/TextFormat.h"
#include "console/ConsoleIds.h"
#include "support/LogFile.h"

namespace {

// Hand-switch positions (m_nHandSwitch).
enum HandSwitch : int { kStanding = 0, kFirstStage = 1, kSecondStage = 2 };

// The raw hand-switch bits: the port's status register masked with 0x30, or
// the link's HS report. Any other value matches no position.
constexpr int kSwitchBits = 0x30;
constexpr int kRawStanding = 0x30;
constexpr int kRawFirstStage = 0x20;
constexpr int kRawSecondStage = 0x00;
constexpr int kRawNone = -1;

constexpr unsigned kExposureEndDelayMs = 500;
constexpr unsigned kEndBeepHz = 3000;
constexpr unsigned kEndBeepMs = 300;

// The "DATA Trans" edits, emptied when an exposure ends.
constexpr int kSentDataEdits[] = {panel::kKvTrans1, panel::kKvTrans2,  panel::kKvTrans3,
                                  panel::kMaTrans1, panel::kMaTrans2,  panel::kMaTrans3,
                                  panel::kSecTrans, panel::kMasTrans1, panel::kMasTrans2};

} // namespace

// The hand-switch poll: timer 100 in Model 1 (killed, polled, started again
// with the configured period), the periodic timer 9 in Model 2, which rests
// while an ended exposure waits for its end (RS07 to timer 4). While a status
// report is latched the switch is frozen: neither its position nor its
// evaluation changes.
void CConsole::OnHandSwitchPoll() {
    ConsoleState& s = m_state;
    if (s.m_nModel == 2) {
        if (s.m_bXrayEnded != 0) {
            return;
        }
    } else {
        StopTimer(kTimerPortPoll);
        StartTimer(kTimerPortPoll, static_cast<unsigned>(s.m_nDelayCheck));
    }
    const int raw = ReadHandSwitch();
    if (s.m_bChargeOn == 0) {
        ShowHandSwitch(false, false, false);
        return;
    }
    if (ReportPending()) {
        return;
    }
    switch (raw) {
    case kRawStanding:
        s.m_nHandSwitch = kStanding;
        s.m_bXrayDone = 0;
        if (s.m_nModel != 2) {
            s.m_bAwaitStanding = 0; // Model 2: only a standing report counts
        }
        break;
    case kRawFirstStage:
        s.m_nHandSwitch = kFirstStage;
        break;
    case kRawSecondStage:
        s.m_nHandSwitch = kSecondStage;
        break;
    default:
        // A value that matches no position keeps the position, but it is
        // no second stage held: an exposure the switch holds lets go, as
        // when the switch comes back to its first stage.
        if (s.m_nHandSwitch == kSecondStage) {
            s.m_nHandSwitch = kFirstStage;
        }
        break;
    }
    EvaluateHandSwitch();
}

// Model 2: the link's last HS report; Model 1: the port's status register.
// A console of another model has no hand switch.
int CConsole::ReadHandSwitch() {
    if (m_state.m_nModel == 2) {
        return m_state.m_nLinkSwitch;
    }
    if (m_state.m_nModel == 1) {
        const auto status = static_cast<std::uint16_t>(m_state.m_nPortAddress + 1);
        return m_port.Read(status) & kSwitchBits;
    }
    return kRawNone;
}

void CConsole::EvaluateHandSwitch() {
    switch (m_state.m_nHandSwitch) {
    case kStanding:
        EvaluateStanding();
        break;
    case kFirstStage:
        EvaluateFirstStage();
        break;
    case kSecondStage:
        EvaluateSecondStage();
        break;
    default:
        break;
    }
}

// Released: what the switch started is cancelled; otherwise Ready may be
// pressed.
void CConsole::EvaluateStanding() {
    ConsoleState& s = m_state;
    ShowHandSwitch(true, false, false);
    const bool exposing = s.m_bExposureStarted != 0 || s.m_bXrayStarted != 0;
    if (s.m_bSwitchReady != 0 && exposing) {
        if (s.m_bXrayEnded == 0) {
            CancelExposure();
            // The release that cancelled it is the switch seen standing, read
            // after the press: the next press is a new one.
            AwaitRelease();
        }
    } else if (s.m_bSwitchReady != 0 && (s.m_bReadyStarted != 0 || s.m_bReadyUp != 0)) {
        CancelReady();
    } else {
        Enable(panel::kReady, true);
    }
}

// First stage: a ready starts once per cycle unless OVER refuses it (again
// at every poll while OVER holds); coming back from the second stage cancels
// the exposure. A finished exposure (m_bXrayDone) waits for standing.
void CConsole::EvaluateFirstStage() {
    ConsoleState& s = m_state;
    ShowHandSwitch(false, true, false);
    const bool exposing = s.m_bExposureStarted != 0 || s.m_bXrayStarted != 0;
    if (s.m_bOver == 0 && s.m_bSwitchReady == 0 && s.m_bButtonReady == 0 && s.m_bXrayDone == 0 &&
        s.m_bAwaitStanding == 0) {
        s.m_bSwitchReady = 1;
        Enable(panel::kReady, false);
        StartReady();
    } else if (s.m_bSwitchReady != 0 && exposing && s.m_bXrayDone == 0) {
        if (s.m_bXrayEnded == 0) {
            CancelExposure();
        }
    } else if (s.m_bOver != 0 && s.m_bXrayDone == 0) {
        RefuseReadyForOver();
    }
}

// Second stage: the ready starts if none was, the exposure once the
// generator is up. OVER refuses both, as at the first stage: an interlock
// must not hold only when the switch is pressed slowly.
void CConsole::EvaluateSecondStage() {
    ConsoleState& s = m_state;
    ShowHandSwitch(false, true, true);
    if (s.m_bReadyStarted == 0 && s.m_bXrayDone == 0) {
        if (s.m_bOver != 0) {
            RefuseReadyForOver();
        } else if (s.m_bAwaitStanding == 0) {
            s.m_bSwitchReady = 1;
            StartReady();
        }
    } else if (s.m_bReadyUp != 0 && s.m_bExposureStarted == 0 && s.m_bXrayDone == 0) {
        if (s.m_bOver != 0) {
            RefuseReadyForOver();
        } else if (SwitchIsLive() && s.m_bAwaitStanding == 0) {
            StartExposureFromSwitch();
        }
    }
}

// Whether m_nHandSwitch follows the switch: in Model 2 the link's reports
// are not taken during a ready from the Ready button, so the position may be
// stale then and must not start an exposure.
bool CConsole::SwitchIsLive() const {
    return m_state.m_nModel != 2 || m_state.m_bButtonReady == 0;
}

// A switch held through a cancelled ready is no new press: it starts
// nothing until it is seen standing (Model 2: the last report).
void CConsole::AwaitRelease() {
    m_state.m_bAwaitStanding = ReadHandSwitch() == kRawStanding ? 0 : 1;
}

// After an exposure or a cleared check a press counts only after the switch
// is seen standing from now on: Model 1 reads the port, Model 2 waits for a
// standing report (one sent before may be older than the press it ends).
void CConsole::AwaitNewPress() {
    if (m_state.m_nModel == 2) {
        m_state.m_bAwaitStanding = 1;
    } else {
        AwaitRelease();
    }
}

// An exposure the switch starts belongs to the switch, also within a ready
// from the Ready button: letting go of the second stage cancels it.
void CConsole::StartExposureFromSwitch() {
    m_state.m_bSwitchReady = 1;
    StartExposure();
}

void CConsole::ShowHandSwitch(bool standing, bool ready, bool exposure) {
    Light(panel::kLampStanding, standing);
    Light(panel::kLampHandReady, ready);
    Light(panel::kLampHandExposure, exposure);
}

void CConsole::RefuseReadyForOver() {
    m_state.m_bSwitchReady = 0;
    LogStatus("Ready Start Fail !!");
    CancelReady();
}

// Ready (1040), RDY-Cancel (1041), Exposure (1042), EXP-Cancel (1044). A
// click reaches them only while the button is enabled, and the buttons are
// enabled only while charged; both are checked here again, so that no path
// around the window asserts a line.
void CConsole::OnSequenceButton(int controlId) {
    if (m_state.m_bChargeOn == 0 || !m_state.m_view[controlId].enabled) {
        Log(FormatText("Button %d is not enabled: the click is ignored", controlId),
            CLogFile::kWarning);
        return;
    }
    switch (controlId) {
    case panel::kReady:
        OnReadyButton();
        break;
    case panel::kReadyCancel:
        CancelReady();
        break;
    case panel::kExposure:
        OnExposureButton();
        break;
    case panel::kExposureCancel:
        CancelExposure();
        break;
    default:
        break;
    }
}

// Refused while OVER, while a ready is under way, and (as the hand switch
// is) while a status report is pending. The link watchdog keeps running: a
// link lost during the ready is noticed and the lines released.
void CConsole::OnReadyButton() {
    ConsoleState& s = m_state;
    if (s.m_bOver != 0 || s.m_bSwitchReady != 0 || s.m_bButtonReady != 0 || ReportPending()) {
        RefuseButtonReady();
        return;
    }
    s.m_bButtonReady = 1;
    Enable(panel::kReady, false);
    Enable(panel::kReadyCancel, true);
    StartReady();
}

// The Exposure button follows Ready UP OK of a ready from the Ready button;
// a ready cancelled since, or an exposure already started, leaves nothing to
// expose. OVER judged since the ready, or a status report pending, refuses
// it as the Ready button would.
void CConsole::OnExposureButton() {
    const ConsoleState& s = m_state;
    if (s.m_bButtonReady == 0 || s.m_bReadyUp == 0 || s.m_bExposureStarted != 0) {
        Log("Exposure pressed without a ready from the Ready button up: ignored",
            CLogFile::kWarning);
        return;
    }
    if (s.m_bOver != 0 || ReportPending()) {
        RefuseButtonReady();
        return;
    }
    StartExposure();
}

void CConsole::RefuseButtonReady() {
    m_state.m_bButtonReady = 0;
    LogStatus("Ready Start Fail !! - Hand Switch or OVER Check ");
    CancelReady();
}

// An error or a check report is latched: the hand switch is frozen, and
// nothing starts a ready or an exposure.
bool CConsole::ReportPending() const {
    return m_state.m_bErrorLatched != 0 || m_state.m_bCheckLatched != 0;
}

// The ready line lets go. The buttons stay as they are, except Exposure:
// without a ready there is nothing for it to expose.
void CConsole::CancelReady() {
    ConsoleState& s = m_state;
    Release();
    s.m_bSwitchReady = 0;
    s.m_nHandSwitch = kStanding;
    s.m_bButtonReady = 0;
    s.m_bReadyStarted = 0;
    s.m_bReadyUp = 0;
    AwaitRelease();
    Light(panel::kLampReadyUp, false);
    Enable(panel::kExposure, false);
    UnlockChoices();
    ShowStatus("Generator Ready Cancel !!");
}

void CConsole::StartExposure() {
    ConsoleState& s = m_state;
    s.m_bExposureStarted = 1;
    s.m_bXrayStarted = 0;
    s.m_bXrayEnded = 0;
    if (s.m_nModel == 1) {
        Call(kMethodExposure);
    }
    ShowStatus("Generator Exposure Start");
    if (s.m_nModel == 2) {
        Call(kMethodSwitchLines, {"01", "01"});
        Call(kMethodExposure);
    } else if (s.m_nModel == 1) {
        WritePort(kPortExposure);
    }
}

// An exposure that the generator has not ended yet is cut off with a
// warning; in every case the exposure ends now.
void CConsole::CancelExposure() {
    if (m_state.m_bXrayEnded == 0) {
        Release();
        ShowStatus("Warning !! - Exposure Cancel !!");
    }
    EndExposure();
}

// The end of an exposure (timer 4, a cancel, a check report): the lines let
// go, the beep sounds and the sequence is back at standby. m_bXrayDone
// stays until the switch is released to standing.
void CConsole::EndExposure() {
    Release();
    m_out.Beep(kEndBeepHz, kEndBeepMs);
    ClearSequence();
    AwaitNewPress();
    Enable(panel::kReady, m_state.m_bChargeOn != 0);
    for (int id : {panel::kReadyCancel, panel::kExposure, panel::kExposureCancel}) {
        Enable(id, false);
    }
    for (int id : {panel::kLampXrayStart, panel::kLampXrayEnd, panel::kLampReadyUp}) {
        Light(id, false);
    }
    for (int id : kSentDataEdits) {
        SetText(id, "");
    }
    UnlockChoices();
}

void CConsole::OnExposureEndTimer() {
    StopTimer(kTimerExposureEnd);
    EndExposure();
}

// The release of the ready and exposure lines: Model 2 method 57 "00","00",
// Model 1 the port's 0xFF.
void CConsole::Release() {
    if (m_state.m_nModel == 2) {
        Call(kMethodSwitchLines, {"00", "00"});
    } else if (m_state.m_nModel == 1) {
        WritePort(kPortRelease);
    }
}

// A ready or an exposure was asserted and may not have been released yet.
bool CConsole::LinesMayBeHeld() const {
    return m_state.m_bReadyStarted != 0 || m_state.m_bExposureStarted != 0;
}

// The sequence back at standby; a pending exposure end (timer 4) is dropped
// with it. Also at Charge OFF OK: nothing of a ready or an exposure may
// carry over to the next charge (whoever charges off releases the lines
// first).
void CConsole::ClearSequence() {
    ConsoleState& s = m_state;
    for (int* flag : {&s.m_bSwitchReady, &s.m_nHandSwitch, &s.m_bButtonReady, &s.m_bReadyStarted,
                      &s.m_bReadyUp, &s.m_bExposureStarted, &s.m_bXrayStarted, &s.m_bXrayEnded}) {
        *flag = 0;
    }
    if (s.m_timers.count(kTimerExposureEnd) != 0) {
        StopTimer(kTimerExposureEnd);
    }
}

// RS05: the generator is ready. With the switch at its second stage the
// exposure starts first, under the same conditions as at the poll; the
// switch is read again, so that one let go since the last poll starts
// nothing. A Ready UP OK for no ready of this cycle (late, after a cancel)
// is ignored.
void CConsole::OnReadyUp() {
    ConsoleState& s = m_state;
    if (s.m_bReadyUp != 0) {
        return;
    }
    if (s.m_bReadyStarted == 0) {
        Log("Generator Ready UP OK without a ready under way: ignored", CLogFile::kWarning);
        return;
    }
    if (s.m_nHandSwitch == kSecondStage && s.m_bExposureStarted == 0 && s.m_bXrayDone == 0 &&
        s.m_bOver == 0 && !ReportPending() && SwitchIsLive() && s.m_bAwaitStanding == 0 &&
        ReadHandSwitch() == kRawSecondStage) {
        StartExposureFromSwitch();
    }
    s.m_bReadyUp = 1;
    ShowStatus("Generator Ready UP OK !!");
    Light(panel::kLampReadyUp, true);
    if (s.m_bButtonReady != 0) {
        Enable(panel::kExposure, true);
    }
}

// RS06: X-ray on. A ready from the Ready button may now be cancelled only
// with EXP-Cancel.
void CConsole::OnXrayStart() {
    ConsoleState& s = m_state;
    if (s.m_bXrayStarted != 0) {
        return;
    }
    s.m_bXrayStarted = 1;
    ShowStatus("Generator X-ray Start OK !!");
    Light(panel::kLampXrayStart, true);
    if (s.m_bButtonReady != 0) {
        Enable(panel::kExposure, false);
        Enable(panel::kExposureCancel, true);
    }
}

// RS07: X-ray off; the exposure ends 500 ms later (timer 4).
void CConsole::OnXrayEnd() {
    ConsoleState& s = m_state;
    if (s.m_bXrayEnded != 0) {
        return;
    }
    s.m_bXrayEnded = 1;
    s.m_bXrayDone = 1;
    ShowStatus("Generator X-ray End OK");
    Light(panel::kLampXrayEnd, true);
    StartTimer(kTimerExposureEnd, kExposureEndDelayMs);
}
