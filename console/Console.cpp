#include "console/Console.h"

#include "console/ConsoleIds.h"

CConsole::CConsole(ILinkControl& link, IParallelPort& port, IConsoleOutputs& outputs,
                   const CProfile& hostProfile)
    : m_link(link), m_port(port), m_out(outputs), m_hostProfile(hostProfile) {}

// A shown text goes to the status edit and to the owner.
void CConsole::ShowStatus(const std::string& text) {
    SetText(panel::kStatusEdit, text);
    m_out.PostStatusText(text);
}

// A logged text goes to the owner only; the status edit keeps its text.
void CConsole::LogStatus(const std::string& text) {
    m_out.PostStatusText(text);
}

void CConsole::StartTimer(unsigned id, unsigned periodMs) {
    m_state.m_timers[id] = periodMs;
    m_out.SetPanelTimer(id, periodMs);
}

void CConsole::StopTimer(unsigned id) {
    m_state.m_timers.erase(id);
    m_out.KillPanelTimer(id);
}

void CConsole::Call(int method, const LinkArgs& args) {
    m_link.Invoke(method, args);
}

void CConsole::WritePort(std::uint8_t value) {
    m_port.Write(m_state.m_nPortAddress, value);
}

void CConsole::Log(const std::string& text, int level) {
    m_out.Log(text, level);
}

void CConsole::Enable(int id, bool enabled) {
    m_state.m_view[id].enabled = enabled;
}

void CConsole::SetText(int id, const std::string& text) {
    m_state.m_view[id].text = text;
}

void CConsole::Light(int id, bool lit) {
    m_state.m_view[id].lit = lit;
}

void CConsole::OnClose() {
    m_out.PostCloseRequest();
}

void CConsole::OnDestroy() {
    if (m_state.m_nModel == 1) {
        WritePort(kPortIdle);
    }
    if (m_state.m_nPollTimer != 0) {
        StopTimer(m_state.m_nPollTimer);
        m_state.m_nPollTimer = 0;
    }
}

bool CConsole::OnCommand(int controlId) {
    if (OnParameterCommand(controlId) || OnEditorCommand(controlId) ||
        OnOptionCommand(controlId)) {
        return true;
    }
    switch (controlId) {
    case panel::kPowerOn:
        PowerOn();
        return true;
    case panel::kPowerOff:
        PowerOff();
        return true;
    case panel::kExit:
        Exit();
        return true;
    case panel::kModel20kW:
        SelectPowerModel(1);
        return true;
    case panel::kModel32kW:
        SelectPowerModel(2);
        return true;
    case panel::kModel40kW:
        SelectPowerModel(3);
        return true;
    case panel::kModel50kW:
        SelectPowerModel(4);
        return true;
    default:
        return false;
    }
}

void CConsole::OnTimer(unsigned id) {
    switch (id) {
    case kTimerPowerOn:
        OnPowerOnTimer();
        break;
    case kTimerChargeStart:
        StopTimer(id);
        StartCharge();
        break;
    case kTimerChargeDone:
        OnChargeDone();
        break;
    case kTimerPreheatSaved:
        OnPreheatSavedTimer();
        break;
    case kTimerErrorPowerOff:
        StopTimer(id);
        PowerOff();
        break;
    case kTimerExit:
        OnExitTimer();
        break;
    case kTimerFeedback:
        StopTimer(id);
        break;
    case kTimerWatchdog:
        OnWatchdogTimer();
        break;
    case kTimerLinkAnswer:
        OnLinkAnswerTimer();
        break;
    case kTimerLinkPoll:
    case kTimerPortPoll:
        OnHandSwitchPoll();
        break;
    default:
        break;
    }
}

// The hand-switch poll: timer 100 (Model 1: killed, polled, started again
// with the configured period) or the periodic timer 9 (Model 2). While the
// generator is not charged the hand-switch lamps are unlit; reading and
// evaluating the hand switch comes with the exposure sequence.
void CConsole::OnHandSwitchPoll() {
    if (m_state.m_nModel != 2) {
        StopTimer(kTimerPortPoll);
        StartTimer(kTimerPortPoll, static_cast<unsigned>(m_state.m_nDelayCheck));
    }
    if (m_state.m_bChargeOn == 0) {
        Light(panel::kLampStanding, false);
        Light(panel::kLampHandReady, false);
        Light(panel::kLampHandExposure, false);
    }
}
