// Power on, charge, power off and EXIT, for both console models. Model 1
// drives the generator's power line on the parallel port; Model 2 does it
// all through the link.
#include "console/Console.h"

#include "console/ConsoleIds.h"
#include "support/LogFile.h"

#include <initializer_list>

namespace {

constexpr unsigned kPowerOnDelayMs = 1000;
constexpr unsigned kChargeStartDelayMs = 1000;
constexpr unsigned kChargeDoneDelayMs = 1000;
constexpr unsigned kPowerOffWaitMs = 100;
constexpr unsigned kExitDelayMs = 500;

// The controls that work only while the generator is charged.
constexpr int kChargedButtons[] = {
    panel::kKvUp,          panel::kKvDown,       panel::kMaUp,           panel::kMaDown,
    panel::kTimeUp,        panel::kTimeDown,     panel::kChange,         panel::kAec,
    panel::kRotorLow,      panel::kRotorHigh,    panel::kKvShiftUp,      panel::kKvShiftDown,
    panel::kMaShiftUp,     panel::kMaShiftDown,  panel::kPreheatUp,      panel::kPreheatDown,
    panel::kReady,         panel::kSmallFocusUp, panel::kSmallFocusDown, panel::kLargeFocusUp,
    panel::kLargeFocusDown};
constexpr int kChargedEdits[] = {
    panel::kKvEdit,      panel::kMaEdit,         panel::kTimeEdit,      panel::kKvTrans1,
    panel::kKvTrans2,    panel::kKvTrans3,       panel::kMaTrans1,      panel::kMaTrans2,
    panel::kMaTrans3,    panel::kSecTrans,       panel::kMasTrans1,     panel::kMasTrans2,
    panel::kKvRefEdit,   panel::kKvShiftEdit,    panel::kMaRefEdit,     panel::kMaShiftEdit,
    panel::kPreheatEdit, panel::kSmallFocusEdit, panel::kLargeFocusEdit};

// What Charge OFF OK disables, empties and puts out.
constexpr int kUnchargedDisabled[] = {panel::kKvUp,
                                      panel::kKvDown,
                                      panel::kMaUp,
                                      panel::kMaDown,
                                      panel::kTimeUp,
                                      panel::kTimeDown,
                                      panel::kChange,
                                      panel::kAux,
                                      panel::kBucky1,
                                      panel::kBucky2,
                                      panel::kAec,
                                      panel::kField1,
                                      panel::kField2,
                                      panel::kField3,
                                      panel::kDensityUp,
                                      panel::kDensityDown,
                                      panel::kRotorLow,
                                      panel::kRotorHigh,
                                      panel::kKvShiftUp,
                                      panel::kKvShiftDown,
                                      panel::kMaShiftUp,
                                      panel::kMaShiftDown,
                                      panel::kKvShiftSave,
                                      panel::kMaShiftSave,
                                      panel::kPreheatUp,
                                      panel::kPreheatDown,
                                      panel::kPreheatSave,
                                      panel::kReady,
                                      panel::kReadyCancel,
                                      panel::kExposure,
                                      panel::kExposureCancel,
                                      panel::kSmallFocusEdit,
                                      panel::kLargeFocusEdit,
                                      panel::kSmallFocusDown,
                                      panel::kSmallFocusSave,
                                      panel::kLargeFocusDown,
                                      panel::kLargeFocusSave,
                                      panel::kSmallFocusUp,
                                      panel::kLargeFocusUp};
constexpr int kUnchargedEdits[] = {panel::kKvEdit,      panel::kMaEdit,      panel::kTimeEdit,
                                   panel::kKvTrans1,    panel::kKvTrans2,    panel::kKvTrans3,
                                   panel::kMaTrans1,    panel::kMaTrans2,    panel::kMaTrans3,
                                   panel::kSecTrans,    panel::kMasTrans1,   panel::kMasTrans2,
                                   panel::kKvRefEdit,   panel::kKvShiftEdit, panel::kMaRefEdit,
                                   panel::kMaShiftEdit, panel::kPreheatEdit, panel::kDensityEdit};
constexpr int kUnchargedLamps[] = {
    panel::kLampRotorLow,  panel::kLampRotorHigh,    panel::kLampAux,        panel::kLampBucky1,
    panel::kLampBucky2,    panel::kLampAec,          panel::kLampField1,     panel::kLampField2,
    panel::kLampField3,    panel::kLampLargeFocus,   panel::kLampSmallFocus, panel::kLampLowScale,
    panel::kLampHighScale, panel::kLampSec,          panel::kLampMas,        panel::kLampStanding,
    panel::kLampHandReady, panel::kLampHandExposure, panel::kLampReadyUp,    panel::kLampXrayStart,
    panel::kLampXrayEnd,   panel::kLampError,        panel::kLampCheck,      panel::kLampOver};

constexpr int kPowerOffButtons[] = {panel::kModel20kW, panel::kModel32kW, panel::kModel40kW,
                                    panel::kModel50kW, panel::kPowerOn};

} // namespace

// A power on while one is under way or done would power the generator on
// again and send the charge-on start again under a charged console.
void CConsole::PowerOn() {
    if (m_state.m_nPowerPhase != kPhaseOff) {
        Log("Power on while the console is powering or powered: ignored", CLogFile::kWarning);
        return;
    }
    m_state.m_nPowerPhase = kPhasePowering;
    ShowStatus("Generator Power ON Start");
    if (m_state.m_nModel == 1) {
        WritePort(kPortPowerOn);
        StartTimer(kTimerPowerOn, kPowerOnDelayMs);
    } else if (m_state.m_nModel == 2) {
        Call(kMethodPowerOn);
    }
}

// Timer 1: Model 2 confirms the power three times; otherwise the power on
// goes to the link, and the charge starts a second later.
void CConsole::OnPowerOnTimer() {
    StopTimer(kTimerPowerOn);
    if (m_state.m_nModel == 2) {
        for (int i = 0; i < 3; ++i) {
            Call(kMethodPowerConfirm);
        }
        return;
    }
    Call(kMethodPowerOn);
    StartTimer(kTimerChargeStart, kChargeStartDelayMs);
}

// Timer 2: the charge-on start. It puts the generator at small focus and low
// scale, and so the console: the charge completion then sends large focus
// and high scale when the mA calls for them. Should the charge have come
// before it (RS04 early), the focus and the scale are chosen again now.
void CConsole::StartCharge() {
    ShowStatus("Generator Charge ON Start");
    for (int method : {kMethodChargeOn1, kMethodSmallFocus, kMethodLowScale, kMethodChargeOn4}) {
        Call(method);
    }
    m_state.m_bLargeFocus = 0;
    m_state.m_bHighScale = 0;
    if (m_state.m_bChargeOn != 0) {
        ShowFocusAndScale();
        if (m_state.m_timers.count(kTimerChargeDone) == 0) {
            ChooseFocusAndScale();
        }
    }
}

void CConsole::PowerOnOk() {
    m_state.m_nPowerPhase = kPhasePowered;
    if (m_state.m_nModel == 1) {
        m_state.m_bPowerOn = 1;
    }
    Light(panel::kLampPortOpen, true);
    ShowStatus("Generator Power ON OK !!");
    for (int id : kPowerOffButtons) {
        Enable(id, false);
    }
    Enable(panel::kPowerOff, true);
}

// Charge ON OK also ends the power on when Power ON OK is late or missing
// (Model 1): the power model and power-on buttons are disabled from here
// too, so that no model change bypasses the OVER judgement of a charged
// console. The hand switch counts only from here on: Model 2 forgets the
// position reported before, Model 1 waits for the switch to be released.
void CConsole::ChargeOnOk() {
    m_state.m_bChargeOn = 1;
    m_state.m_nPowerPhase = kPhasePowered;
    Light(panel::kLampCharge, true);
    ShowStatus("Generator Charge ON OK !!");
    if (m_state.m_nModel == 2) {
        m_state.m_nLinkSwitch = kLinkSwitchUnknown;
    } else {
        AwaitRelease();
    }
    for (int id : {panel::kLampAux, panel::kLampSmallFocus, panel::kLampLowScale}) {
        Light(id, true);
    }
    for (int id :
         {panel::kLampBucky1, panel::kLampBucky2, panel::kLampLargeFocus, panel::kLampHighScale}) {
        Light(id, false);
    }
    for (int id : kChargedButtons) {
        Enable(id, true);
    }
    for (int id : kChargedEdits) {
        Enable(id, true);
    }
    for (int id : kPowerOffButtons) {
        Enable(id, false);
    }
    Enable(panel::kPowerOff, true);
    TakeChargedSettings();
    StartTimer(kTimerChargeDone, kChargeDoneDelayMs);
    // The hand switch works from now on: a start combination that is OVER
    // must be known before any parameter is stepped (a good one leaves the
    // status line as it is).
    if (CombinationIsOver()) {
        JudgeOver();
    }
}

// What holds from Charge ON OK: AEC is off after every power cycle (the
// generator starts without it; one left on by a power off that never
// reached Power OFF OK is switched off there too); the focus and scale
// lamps show what the console last set the generator to; the shift editors
// hold the stored values, so that a Save before the charge completion
// writes no value of an earlier session.
void CConsole::TakeChargedSettings() {
    ConsoleState& s = m_state;
    if (s.m_bAec != 0) {
        Call(kMethodAecOff);
        Call(kMethodAecOff);
    }
    for (int* aec :
         {&s.m_bAec, &s.m_bField1, &s.m_bField2, &s.m_bField3, &s.m_nFieldCode, &s.m_nDensity}) {
        *aec = 0;
    }
    ShowFocusAndScale();
    ShowReferences();
}

// Timer 3: the panel's settings go to the generator and on the displays.
void CConsole::OnChargeDone() {
    StopTimer(kTimerChargeDone);
    ApplyBucky();
    ApplyRotor();
    ChooseFocusAndScale();
    ShowKv();
    ShowMa();
    ShowReferences();
    ShowTime();
    m_out.PostCharged();
    if (m_state.m_nModel == 2 && !ReportPending()) {
        EvaluateHandSwitch();
    }
}

void CConsole::PowerOff() {
    StopPowerSequence();
    if (m_state.m_nModel == 2 && m_state.m_bPowerOn != 0) {
        StopTimer(kTimerWatchdog);
        Call(kMethodPowerLine, {"00"});
        m_out.Wait(kPowerOffWaitMs);
        Call(kMethodSwitchLines, {"00", "00"});
        m_out.Wait(kPowerOffWaitMs);
    } else if (m_state.m_nModel == 2 && LinesMayBeHeld()) {
        // The generator reported its power down; a ready or an exposure
        // line it was given is let go all the same.
        Release();
    } else if (m_state.m_nModel == 1) {
        WritePort(kPortRelease);
        WritePort(kPortIdle);
    }
    ChargeOffOk();
    CompletePowerOff();
}

// A power sequence still under way must not power the generator on or
// charge it after it was powered off; an error's power off, the link
// watchdog and a link check's answer belong to the session that ends here.
void CConsole::StopPowerSequence() {
    for (unsigned id : {kTimerPowerOn, kTimerChargeStart, kTimerChargeDone, kTimerErrorPowerOff,
                        kTimerWatchdog, kTimerLinkAnswer}) {
        if (m_state.m_timers.count(id) != 0) {
            StopTimer(id);
        }
    }
}

// The ready and exposure lines let go, as at power off.
void CConsole::ReleaseLines() {
    if (m_state.m_nModel == 1) {
        WritePort(kPortRelease);
        WritePort(kPortIdle);
    } else if (m_state.m_nModel == 2) {
        Call(kMethodSwitchLines, {"00", "00"});
    }
}

void CConsole::ChargeOffOk() {
    m_state.m_bChargeOn = 0;
    m_state.m_nLinkSwitch = kLinkSwitchUnknown;
    ClearSequence();
    ShowStatus("Generator Charge OFF OK !!");
    Light(panel::kLampCharge, false);
    for (int id : kUnchargedDisabled) {
        Enable(id, false);
    }
    for (int id : kUnchargedEdits) {
        SetText(id, "");
        Enable(id, false);
    }
    for (int id : kUnchargedLamps) {
        Light(id, false);
    }
}

// Every power off ends in Power OFF OK, also when the generator reported its
// power down (PS "00") or never confirmed its power on: the latches clear
// and the host hears that the console is off. The generator is told to power
// off when a power on was given since the last Power OFF OK.
void CConsole::CompletePowerOff() {
    if (m_state.m_nPowerPhase != kPhaseOff || m_state.m_bPowerOn != 0) {
        Call(kMethodPowerOff);
    }
    PowerOffOk();
}

void CConsole::PowerOffOk() {
    ConsoleState& s = m_state;
    for (int* flag :
         {&s.m_bPowerOn,      &s.m_bChargeOn,   &s.m_bErrorLatched,    &s.m_bCheckLatched,
          &s.m_bMasMode,      &s.m_bOver,       &s.m_bLargeFocus,      &s.m_bHighScale,
          &s.m_bSwitchReady,  &s.m_nHandSwitch, &s.m_bXrayDone,        &s.m_bButtonReady,
          &s.m_bReadyStarted, &s.m_bReadyUp,    &s.m_bExposureStarted, &s.m_bXrayStarted,
          &s.m_bXrayEnded,    &s.m_nBucky,      &s.m_bRotorHigh,       &s.m_bAec,
          &s.m_bField1,       &s.m_bField2,     &s.m_bField3,          &s.m_nFieldCode,
          &s.m_nDensity}) {
        *flag = 0;
    }
    s.m_nKvIndex = 0;
    s.m_nMaIndex = 0;
    s.m_nSecIndex = kStartSecIndex;
    s.m_nMasIndex = 0;
    s.m_nPowerPhase = kPhaseOff;
    s.m_bAwaitStanding = 0;
    ShowStatus("Generator Power OFF OK !!");
    Light(panel::kLampPortOpen, false);
    for (int id : kPowerOffButtons) {
        Enable(id, true);
    }
    Enable(panel::kPowerOff, false);
    m_out.PostPoweredOff();
}

void CConsole::Exit() {
    PowerOff();
    StartTimer(kTimerExit, kExitDelayMs);
}

void CConsole::OnExitTimer() {
    StopTimer(kTimerExit);
    m_out.PostCloseRequest();
}
