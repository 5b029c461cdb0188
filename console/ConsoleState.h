// The console panel's whole state as plain data: every flag of the sequence,
// the selections, the step indexes and limits, the texts, the loaded data
// files, the armed panel timers and the view of every control. It can be
// copied, compared and hashed, so that a run can be replayed or explored
// state by state. CConsole holds one and changes it; the panel window only
// shows its view.
#pragma once

#include "console/DataTables.h"
#include "console/PanelControls.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

// The time step at set-up and after power off.
constexpr int kStartSecIndex = 14;

// m_nLinkSwitch before any report, and after the console forgot the last
// one: decimal 30, which matches no hand-switch position.
constexpr int kLinkSwitchUnknown = 30;

// Where the console is in a power cycle (m_nPowerPhase).
enum PowerPhase : int {
    kPhaseOff = 0,      // at set-up and after Power OFF OK
    kPhasePowering = 1, // power on given, no Power ON OK or Charge ON OK yet
    kPhasePowered = 2,  // Power ON OK or Charge ON OK came
};

struct ConsoleState {
    // Sequence: link, charge, ready, exposure and hand switch.
    int m_bPowerOn = 0;
    int m_bChargeOn = 0;
    int m_bReadyUp = 0;
    int m_bXrayStarted = 0;
    int m_bXrayEnded = 0;
    int m_bXrayDone = 0;
    int m_nLinkSwitch = kLinkSwitchUnknown; // hand-switch bits reported by the link
    int m_bErrorLatched = 0;
    int m_bCheckLatched = 0;
    int m_nHandSwitch = 0; // 0 standing, 1 ready, 2 exposure
    int m_bSwitchReady = 0;
    int m_bButtonReady = 0;
    int m_bReadyStarted = 0;
    int m_bExposureStarted = 0;
    int m_nPowerPhase = kPhaseOff;
    // The hand switch starts nothing until it is seen standing: after Charge
    // ON OK (Model 1), a ready cancel, an exposure end and a cleared check.
    int m_bAwaitStanding = 0;

    // Selections.
    int m_nPowerModel = 4; // 1 20 kW, 2 32 kW, 3 40 kW, 4 50 kW
    int m_bMasMode = 0;
    int m_bOver = 0;
    int m_bLargeFocus = 0;
    int m_bHighScale = 0;
    int m_nBucky = 1; // 0 AUX, 1 BUCKY1, 2 BUCKY2
    int m_bRotorHigh = 0;
    int m_bAec = 0;
    int m_bField1 = 0; // 0 off, else on (1, 2, 4)
    int m_bField2 = 0;
    int m_bField3 = 0;
    int m_nFieldCode = 0;
    int m_nDensity = 0; // 0 none, 1..11 for -5..+5

    // Texts.
    std::string m_strStatusMessage; // the last status text of the parameters
    std::string m_strKvFeedback;    // R102
    std::string m_strMaFeedback;    // R103
    std::string m_strMasUnits;      // R201, second text
    std::string m_strMasTens;       // R201, third text
    std::string m_strKvRefText;     // "%X" texts prepared for the ready sequence
    std::string m_strMaRefText;
    std::string m_strPreheatRefText;

    // Reference values read from ref_data.dat.
    int m_nAecBase = 0;
    int m_nAecShift = 0;
    int m_nKvShift = 0;
    int m_nMaShift = 0;
    int m_nSmallFocusShift = 0;
    int m_nLargeFocusShift = 0;

    // Steps: the current indexes and the power model's highest ones (the
    // lowest is always 0).
    int m_nKvIndex = 0;
    int m_nMaIndex = 0;
    int m_nSecIndex = kStartSecIndex;
    int m_nMasIndex = 0;
    int m_nKvMax = 0;
    int m_nMaMax = 0;
    int m_nSecMax = 0;
    int m_nMasMax = 0;
    // The host's last field request, digit by digit.
    int m_nFieldOnes = 0;
    int m_nFieldTens = 0;
    int m_nFieldHundreds = 0;

    // Settings.
    std::uint16_t m_nPortAddress = 0x378;
    int m_nDelayCheck = 50;
    int m_nModel = 1;        // 1 parallel port and link, 2 link only
    int m_nStandingCode = 0; // handsw.dat
    int m_nReadyCode = 0;
    int m_nExposureCode = 0;

    // Paths composed at set-up (the over folder at every model apply).
    std::string m_strHandswPath;
    std::string m_strRefDataPath;
    std::string m_strStepKvPath;
    std::string m_strStepMaPath;
    std::string m_strStepSecPath;
    std::string m_strStepMasPath;
    std::string m_strOverFolder; // ends with a backslash

    // Loaded data.
    StepTable m_kvTable;  // display, code 1, code 2
    StepTable m_maTable;  // display, code, pre-heat
    StepTable m_secTable; // display, code
    StepTable m_masTable; // display, code
    MaGrid m_maGrid{};
    OverGrid m_overMas = ClosedOverGrid(); // by mA step and mAs step
    OverGrid m_overSec = ClosedOverGrid(); // by mA step and sec step

    // Armed panel timers: id -> period in ms.
    std::map<unsigned, unsigned> m_timers;
    // The hand-switch poll timer started at set-up (100 or 9); 0 for none.
    unsigned m_nPollTimer = 0;

    // Every control of the panel.
    panel::PanelView m_view;
};

bool operator==(const ConsoleState& a, const ConsoleState& b);
inline bool operator!=(const ConsoleState& a, const ConsoleState& b) {
    return !(a == b);
}

std::size_t HashConsoleState(const ConsoleState& state);

namespace std {
template <> struct hash<ConsoleState> {
    std::size_t operator()(const ConsoleState& state) const { return HashConsoleState(state); }
};
} // namespace std
