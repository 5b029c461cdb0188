// CConsole: the rules of the operator console panel, free of Win32. It holds
// the panel's whole state (ConsoleState) and reaches the world only through
// its seams: the USB link control, the parallel port, the panel window's
// outputs and the host's INI file. Each event has one entry point; the panel
// window calls it and then shows State().m_view on its controls.
//
// Its methods are spread over files by concern:
//   console/Console.cpp            construction, the helpers every rule uses,
//                                  command and timer dispatch, close, destroy
//   console/ConsoleSetup.cpp       panel set-up: data files, model apply
//   console/ConsolePower.cpp       power on, charge, power off, EXIT
//   console/ConsoleLinkEvents.cpp  the link control's events, the watchdog
//   console/ConsoleDisplays.cpp    parameter displays and the options
//                                  reapplied at charge completion
//   console/ConsoleParameters.cpp  kV, mA, sec and mAs stepping, the OVER
//                                  judgement, the ready's reference texts
//   console/ConsoleParametersEditors.cpp  shift and pre-heat editors
//   console/ConsoleOptions.cpp     receptor, rotor, AEC, fields, density
//   console/ConsoleModeChange.cpp  sec/mAs mode change, the host's exposure
//   console/ConsoleChoiceLock.cpp  when parameters and options may change
//   console/ConsoleHostCommands.cpp  the host's console commands
//   console/ConsoleExposure.cpp    the hand switch, ready cancel, exposure
//                                  start, cancel and end, the sequence
//                                  buttons, RS05 to RS07
//   console/ConsoleExposureReady.cpp  ready start in its two orders
//   console/ConsoleReports.cpp     error, check and feedback reports
#pragma once

#include "console/ConsoleOutputs.h"
#include "console/ConsoleState.h"
#include "console/LinkControl.h"
#include "console/ParallelPort.h"

#include <string>

class CProfile;
struct HostExposure;

class CConsole {
public:
    // `hostProfile` is the host application's INI file (section "Generator").
    CConsole(ILinkControl& link, IParallelPort& port, IConsoleOutputs& outputs,
             const CProfile& hostProfile);
    CConsole(const CConsole&) = delete;
    CConsole& operator=(const CConsole&) = delete;

    const ConsoleState& State() const { return m_state; }
    // Puts the console back into a state taken earlier with State().
    void RestoreState(const ConsoleState& state) { m_state = state; }

    // Panel set-up (WM_INITDIALOG): data loading, the port's start pattern,
    // the step tables, the hand-switch poll timer.
    void OnInitDialog();
    // Panel tear-down (DestroyWindow): Model 1 idles the port; the poll
    // timer stops.
    void OnDestroy();
    // WM_CLOSE of the panel: the owner is asked to close, nothing else.
    void OnClose();

    // "HFG POWER ON" (1016), the main window's start-up timer, the host.
    void PowerOn();
    // "HFG POWER OFF" (1017), EXIT, timer 5, the host.
    void PowerOff();
    // "EXIT" (1018), also sent by the main window when it closes.
    void Exit();
    // A model button: 1 "20kW", 2 "32kW", 3 "40kW", 4 "50kW".
    void SelectPowerModel(int powerModel);

    // WM_COMMAND from control `controlId`; false for a control without a
    // handler here.
    bool OnCommand(int controlId);
    // WM_TIMER of a panel timer.
    void OnTimer(unsigned id);
    // An event of the link control (ids 9, 6, 5; 3 and 4 are ignored).
    void OnLinkEvent(int eventId, const LinkArgs& args);
    // A console command from the host (codes other than 100 and 111).
    void OnHostCommand(unsigned code, const std::string& text);

    // Shows `text` in the status edit and passes it to the owner (for texts
    // that come from the panel's faces, such as a missing link control).
    void ShowStatus(const std::string& text);
    // The console's settings for the host (kind 112): the kV, mA, mAs and sec
    // step texts, large focus, mode (2 with AEC, else 1 mAs or 0 sec), the
    // three fields and the density as shown; those four are 0 without AEC.
    std::string HostStatusText() const;

private:
    // Console.cpp: the helpers.
    void LogStatus(const std::string& text);
    void StartTimer(unsigned id, unsigned periodMs);
    void StopTimer(unsigned id);
    void Call(int method, const LinkArgs& args = {});
    void WritePort(std::uint8_t value);
    void Log(const std::string& text, int level);
    void Enable(int id, bool enabled);
    void SetText(int id, const std::string& text);
    void Light(int id, bool lit);

    // ConsoleSetup.cpp.
    void LoadPanelData();
    void ApplyPowerModel();
    void ReadStepTables();
    void ReadMaTable();
    std::string ReadDataFile(const std::string& path);
    StepTable ReadStepTable(const std::string& path, int columnCount, std::size_t maxRows);
    OverGrid ReadOverTable(const std::string& path);

    // ConsolePower.cpp.
    void OnPowerOnTimer();
    void StartCharge();
    void PowerOnOk();
    void ChargeOnOk();
    void TakeChargedSettings();
    void OnChargeDone();
    void ReleaseLines();
    void StopPowerSequence();
    void ChargeOffOk();
    void CompletePowerOff();
    void PowerOffOk();
    void OnExitTimer();

    // ConsoleLinkEvents.cpp.
    void OnStateCode(const std::string& code);
    void OnReport(const std::string& code, const std::string& value);
    void OnHandSwitchReport(int linkSwitch);
    bool PowerOnUnderWay(const char* report);
    void OnChargeReport();
    void OnPowerReport();
    void OnPowerOnReport(const std::string& value);
    void OnStatusReport(const std::string& value);
    void OnData(const std::string& code, const std::string& value1, const std::string& value2);
    void OnLinkAnswerTimer();
    void OnWatchdogTimer();

    // ConsoleParameters.cpp: stepping, the OVER judgement, the reference
    // texts of the ready sequence.
    bool OnParameterCommand(int controlId);
    void StepKv(int delta);
    void StepMa(int delta);
    void StepSec(int delta);
    void StepMas(int delta);
    bool StepIndex(int& index, int maxIndex, int delta, const char* name);
    void ShowTimeStep();
    void ShowParameterMessage(const std::string& text);
    void JudgeOver();
    bool CombinationIsOver() const;
    bool StepsOutsideTables() const;
    void ComputeReferenceTexts();

    // ConsoleParametersEditors.cpp: the shift editors and the pre-heat
    // editor.
    struct ShiftEditor;
    bool OnEditorCommand(int controlId);
    void StepShift(const ShiftEditor& editor, int delta);
    void SaveShift(const ShiftEditor& editor);
    bool WriteRefData(const std::string& section, const std::string& key, int value);
    void StepPreheat(int delta);
    void SavePreheat();
    void OnPreheatSavedTimer();

    // ConsoleOptions.cpp.
    bool OnOptionCommand(int controlId);
    void SelectBucky(int bucky);
    void SelectRotor(int high);
    void ToggleAec();
    void TurnAecOn(int field1, int field2, int field3);
    void TurnAecOff();
    void ToggleField(int field);
    void ApplyFields();
    void StepDensity(int delta);
    void ApplyDensity();
    void SendAecReference();

    // ConsoleModeChange.cpp.
    void ChangeMode();
    void CarryTimeToMas();
    void CarryMasToTime();
    void ApplyHostExposure(const HostExposure& exposure);
    bool MatchHostExposure(const HostExposure& exposure);

    // ConsoleChoiceLock.cpp.
    bool ChoicesMayChange(const std::string& what);
    bool RefuseChoiceButton(int controlId);
    void LockChoices();
    void UnlockChoices();

    // ConsoleHostCommands.cpp.
    void ApplyFieldDigits();
    void TurnAecOnForHost();

    // ConsoleDisplays.cpp.
    void ShowKv();
    void ShowMa();
    void ShowTime();
    void ShowReferences();
    void ApplyBucky();
    void ApplyRotor();
    void ChooseFocusAndScale();
    void ShowFocusAndScale();
    int ReadRefData(const std::string& section, const std::string& key);

    // ConsoleExposure.cpp.
    void OnHandSwitchPoll();
    int ReadHandSwitch();
    void EvaluateHandSwitch();
    void EvaluateStanding();
    void EvaluateFirstStage();
    void EvaluateSecondStage();
    void ShowHandSwitch(bool standing, bool ready, bool exposure);
    bool SwitchIsLive() const;
    void AwaitRelease();
    void AwaitNewPress();
    void StartExposureFromSwitch();
    void RefuseReadyForOver();
    void OnSequenceButton(int controlId);
    void OnReadyButton();
    void OnExposureButton();
    void RefuseButtonReady();
    bool ReportPending() const;
    void CancelReady();
    void StartExposure();
    void CancelExposure();
    void EndExposure();
    void OnExposureEndTimer();
    void Release();
    bool LinesMayBeHeld() const;
    void ClearSequence();
    void OnReadyUp();
    void OnXrayStart();
    void OnXrayEnd();

    // ConsoleExposureReady.cpp.
    struct ReadyCodes;
    void StartReady();
    std::string FindReadyCodes(ReadyCodes& codes) const;
    void StartReadyWithoutAec(const ReadyCodes& codes);
    void StartReadyWithAec(const ReadyCodes& codes);
    void SendKvAndMa(const ReadyCodes& codes);
    void ShowSentData(const ReadyCodes& codes);

    // ConsoleReports.cpp.
    void ReportError(const std::string& value);
    void ReportCheck(const std::string& value);
    void OnFeedbackTimer();

    ILinkControl& m_link;
    IParallelPort& m_port;
    IConsoleOutputs& m_out;
    const CProfile& m_hostProfile;
    ConsoleState m_state;
};
