// The link control's events: state codes (9), reports (6) and data (5), and
// the link supervision they drive. Codes and values not listed here are
// ignored.
#include "console/Console.h"

#include "bridge/TextFormat.h"
#include "console/ConsoleIds.h"
#include "support/LogFile.h"

namespace {

constexpr unsigned kChargeWatchdogMs = 10000;
constexpr unsigned kPowerOnDelayMs = 1000;
constexpr unsigned kChargeAfterEchoMs = 3000;
constexpr unsigned kLinkAnswerDelayMs = 100;
constexpr unsigned kFeedbackDelayModel2Ms = 100;
constexpr unsigned kFeedbackDelayMs = 1000;
constexpr int kLinkStanding = 0x30;
constexpr int kLinkReady = 0x20;
constexpr int kLinkExposure = 0x00;
constexpr unsigned long kHighestErrorValue = 0x63;

// The value of a report read as a hexadecimal number: its leading hex
// digits, 0 when it has none; held at a value above every code.
unsigned long HexValue(const std::string& text) {
    unsigned long value = 0;
    for (char c : text) {
        int digit = -1;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        }
        if (digit < 0) {
            break;
        }
        value = value > 0xFFFFFF ? value : value * 16 + static_cast<unsigned long>(digit);
    }
    return value;
}

// Argument `i` of an event, empty when the event has fewer.
std::string Arg(const LinkArgs& args, std::size_t i) {
    return i < args.size() ? args[i] : std::string();
}

} // namespace

void CConsole::OnLinkEvent(int eventId, const LinkArgs& args) {
    switch (eventId) {
    case kEventStateCode:
        OnStateCode(Arg(args, 0));
        break;
    case kEventReport:
        OnReport(Arg(args, 0), Arg(args, 1));
        break;
    case kEventData:
        OnData(Arg(args, 0), Arg(args, 1), Arg(args, 2));
        break;
    default:
        break;
    }
}

void CConsole::OnStateCode(const std::string& code) {
    if (code == "RS01") {
        ShowStatus("Generator Ready");
    } else if (code == "RS02") {
        ShowStatus("Generator Busy");
    } else if (code == "RS03") {
        ShowStatus("Generator Wait");
    } else if (code == "RS04" && m_state.m_bChargeOn == 0) {
        OnChargeReport();
    } else if (code == "RS05") {
        OnReadyUp();
    } else if (code == "RS06") {
        OnXrayStart();
    } else if (code == "RS07") {
        OnXrayEnd();
    }
}

void CConsole::OnReport(const std::string& code, const std::string& value) {
    ConsoleState& s = m_state;
    if (code == "HS") {
        if (value == "30") {
            OnHandSwitchReport(kLinkStanding);
        } else if (value == "20") {
            OnHandSwitchReport(kLinkReady);
        } else if (value == "00") {
            OnHandSwitchReport(kLinkExposure);
        }
    } else if (code == "PS") {
        if (value == "00") {
            s.m_bPowerOn = 0;
        } else if (value == "01") {
            OnPowerReport();
        }
    } else if (code == "LINK") {
        // A console that is off tells the generator nothing, link checks
        // included, until the next power on.
        if (value == "55" && s.m_nPowerPhase != kPhaseOff) {
            StopTimer(kTimerWatchdog);
            StartTimer(kTimerLinkAnswer, kLinkAnswerDelayMs);
        }
    } else if (code == "R101") {
        OnPowerOnReport(value);
    } else if (code == "R102") {
        s.m_strKvFeedback = value;
    } else if (code == "R103") {
        s.m_strMaFeedback = value;
    } else if (code == "R104") {
        OnStatusReport(value);
    } else if (code == "R105") {
        ShowStatus("Generator HT Reset !!");
        if (s.m_bCheckLatched != 0) {
            s.m_bCheckLatched = 0;
            AwaitNewPress();
        }
    }
}

// The power-on reports count only while a power on is under way: after a
// power off they would charge a console the host was told is off, and
// again while powered they would send the power-on methods and the
// charge-on start once more.
bool CConsole::PowerOnUnderWay(const char* report) {
    if (m_state.m_nPowerPhase == kPhaseOff) {
        Log(FormatText("%s without a power on under way: ignored", report), CLogFile::kWarning);
        return false;
    }
    return true;
}

// RS04: Charge ON OK; Model 2 watches the link from here on.
void CConsole::OnChargeReport() {
    if (!PowerOnUnderWay("Generator Charge ON (RS04)")) {
        return;
    }
    ChargeOnOk();
    if (m_state.m_nModel == 2) {
        StartTimer(kTimerWatchdog, kChargeWatchdogMs);
    }
}

// PS "01": the generator's power is on; once per power on.
void CConsole::OnPowerReport() {
    ConsoleState& s = m_state;
    if (!PowerOnUnderWay("Generator power (PS 01)")) {
        return;
    }
    if (s.m_nPowerPhase != kPhasePowering || s.m_bPowerOn != 0) {
        Log("Generator power (PS 01) again while powered: ignored", CLogFile::kWarning);
        return;
    }
    s.m_bPowerOn = 1;
    Call(kMethodPowerLine, {"01"});
    StartTimer(kTimerPowerOn, kPowerOnDelayMs);
}

// R101: Power ON OK, once per power on; Model 2 echoes the value and starts
// the charge 3 s later.
void CConsole::OnPowerOnReport(const std::string& value) {
    if (!PowerOnUnderWay("Generator Power ON (R101)")) {
        return;
    }
    if (m_state.m_nPowerPhase != kPhasePowering) {
        Log("Generator Power ON (R101) again while powered: ignored", CLogFile::kWarning);
        return;
    }
    if (m_state.m_nModel == 2) {
        Call(kMethodPowerEcho, {value});
        StartTimer(kTimerChargeStart, kChargeAfterEchoMs);
    }
    PowerOnOk();
}

// HS: the hand switch as the link reports it. It is taken only while no
// exposure has ended and no ready from the Ready button is under way; a move
// not taken leaves the position unknown (decimal 30, which matches none), so
// that the console never acts afterwards on where the switch was before.
// Any report shows the link alive: the watchdog runs again from it, whatever
// the position, so that a line lost while the switch is held is noticed and
// the lines are released.
void CConsole::OnHandSwitchReport(int linkSwitch) {
    StopTimer(kTimerWatchdog);
    // Released: the next press is a new one, also when the release comes
    // while an ended exposure is still being closed. Model 1 reads the switch
    // at its own port, so there only the port's reading counts.
    if (linkSwitch == kLinkStanding && m_state.m_nModel == 2) {
        m_state.m_bAwaitStanding = 0;
    }
    if (m_state.m_bXrayEnded == 0 && m_state.m_bButtonReady == 0) {
        m_state.m_nLinkSwitch = linkSwitch;
    } else if (m_state.m_nLinkSwitch != linkSwitch) {
        m_state.m_nLinkSwitch = kLinkSwitchUnknown;
    }
    StartTimer(kTimerWatchdog, kChargeWatchdogMs);
}

// R104: an error (up to 0x63) or a check report, one of each kind at a
// time (ConsoleReports.cpp).
void CConsole::OnStatusReport(const std::string& value) {
    if (HexValue(value) <= kHighestErrorValue) {
        if (m_state.m_bErrorLatched == 0) {
            m_state.m_bErrorLatched = 1;
            ReportError(value);
        }
    } else if (m_state.m_bCheckLatched == 0) {
        m_state.m_bCheckLatched = 1;
        ReportCheck(value);
    }
}

void CConsole::OnData(const std::string& code, const std::string& value1,
                      const std::string& value2) {
    if (code != "R201") {
        return;
    }
    m_state.m_strMasUnits = value1;
    m_state.m_strMasTens = value2;
    StartTimer(kTimerFeedback, m_state.m_nModel == 2 ? kFeedbackDelayModel2Ms : kFeedbackDelayMs);
}

// Timer 11: the answer to the link check; the watchdog runs again.
void CConsole::OnLinkAnswerTimer() {
    StopTimer(kTimerLinkAnswer);
    Call(kMethodLinkAnswer, {"55"});
    StartTimer(kTimerWatchdog, kChargeWatchdogMs);
}

// Timer 10: the link has been silent too long. The ready and exposure lines
// are released first, then the console powers off as its button does.
void CConsole::OnWatchdogTimer() {
    StopTimer(kTimerWatchdog);
    if (m_state.m_nPowerPhase == kPhaseOff) {
        Log("USB link silent while the console is off", CLogFile::kWarning);
        return;
    }
    StopPowerSequence();
    ReleaseLines();
    ChargeOffOk();
    CompletePowerOff();
    ShowStatus("USB Link Deconnection !!");
}
