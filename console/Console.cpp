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

// Model 1 idles the port (0xFB also lets the ready and exposure lines go);
// Model 2 releases a ready or an exposure under way while the link control
// is still there.
void CConsole::OnDestroy() {
    if (m_state.m_nModel == 1) {
        WritePort(kPortIdle);
    } else if (m_state.m_nModel == 2 && LinesMayBeHeld()) {
        Release();
    }
    if (m_state.m_nPollTimer != 0) {
        StopTimer(m_state.m_nPollTimer);
        m_state.m_nPollTimer = 0;
    }
}

bool CConsole::OnCommand(int controlId) {
    if (RefuseChoiceButton(controlId)) {
        return true;
    }
    if (OnParameterCommand(controlId) || OnEditorCommand(controlId) || OnOptionCommand(controlId)) {
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
    case panel::kReady:
    case panel::kReadyCancel:
    case panel::kExposure:
    case panel::kExposureCancel:
        OnSequenceButton(controlId);
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
    case kTimerExposureEnd:
        OnExposureEndTimer();
        break;
    case kTimerFeedback:
        OnFeedbackTimer();
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
