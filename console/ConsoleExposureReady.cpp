// Ready start: the chosen exposure goes to the generator and the ready line
// is asserted, in one of two orders (with and without AEC), for both
// models. The codes come from the step tables at the current steps, the
// reference texts from ref_data.dat at this moment. A step the tables do not
// give refuses the ready before anything is sent: nothing is asserted.
#include "console/Console.h"

#include "bridge/TextFormat.h"
#include "console/ConsoleIds.h"
#include "support/LogFile.h"

// The step tables' codes of the current steps.
struct CConsole::ReadyCodes {
    std::string kv1;  // kV code 1
    std::string kv2;  // kV code 2
    std::string ma;   // mA code
    std::string time; // sec code
    std::string mas;  // mAs code
};

namespace {

// The text sent with the mAs code.
constexpr const char* kMasSecondText = "01";

// The code of `row` in `column`; false when the table has no such row or the
// cell is empty.
bool CodeAt(const StepTable& table, int row, StepColumn column, std::string& code) {
    const std::string* cell = table.Cell(row, column);
    if (cell == nullptr || cell->empty()) {
        return false;
    }
    code = *cell;
    return true;
}

} // namespace

void CConsole::StartReady() {
    ReadyCodes codes;
    const std::string missing =
        m_state.m_nModel == 1 || m_state.m_nModel == 2
            ? FindReadyCodes(codes)
            : FormatText("console Model %d has no ready line", m_state.m_nModel);
    if (!missing.empty()) {
        Log("Ready Start Fail !! - " + missing, CLogFile::kError);
        CancelReady();
        return;
    }
    m_state.m_bReadyStarted = 1;
    LockChoices();
    ComputeReferenceTexts();
    if (m_state.m_bAec != 0) {
        StartReadyWithAec(codes);
    } else {
        StartReadyWithoutAec(codes);
    }
}

// The codes the ready sends: both kV codes, the mA code, and the sec or mAs
// code of the mode (both with AEC). Empty when all are there, else names
// the first one the tables do not give.
std::string CConsole::FindReadyCodes(ReadyCodes& codes) const {
    const ConsoleState& s = m_state;
    std::string missing;
    const bool aec = s.m_bAec != 0;
    const bool sendTime = aec || s.m_bMasMode == 0;
    const bool sendMas = aec || s.m_bMasMode != 0;
    if (!CodeAt(s.m_kvTable, s.m_nKvIndex, kCodeColumn, codes.kv1) ||
        !CodeAt(s.m_kvTable, s.m_nKvIndex, kThirdColumn, codes.kv2)) {
        missing =
            FormatText("kV step %d has no codes in %s", s.m_nKvIndex, s.m_strStepKvPath.c_str());
    } else if (!CodeAt(s.m_maTable, s.m_nMaIndex, kCodeColumn, codes.ma)) {
        missing =
            FormatText("mA step %d has no code in %s", s.m_nMaIndex, s.m_strStepMaPath.c_str());
    } else if (sendTime && !CodeAt(s.m_secTable, s.m_nSecIndex, kCodeColumn, codes.time)) {
        missing =
            FormatText("sec step %d has no code in %s", s.m_nSecIndex, s.m_strStepSecPath.c_str());
    } else if (sendMas && !CodeAt(s.m_masTable, s.m_nMasIndex, kCodeColumn, codes.mas)) {
        missing =
            FormatText("mAs step %d has no code in %s", s.m_nMasIndex, s.m_strStepMasPath.c_str());
    }
    return missing;
}

// Without AEC the feedback of the last exposure is forgotten, once its
// report is out (at once when it still waits for its delay); the rotor and
// the mode go first, the line last.
void CConsole::StartReadyWithoutAec(const ReadyCodes& codes) {
    ConsoleState& s = m_state;
    if (s.m_timers.count(kTimerFeedback) != 0) {
        OnFeedbackTimer();
    }
    s.m_strKvFeedback.clear();
    s.m_strMaFeedback.clear();
    s.m_strMasUnits.clear();
    s.m_strMasTens.clear();
    ShowSentData(codes);
    ShowStatus("Generator Ready Start");
    Call(s.m_bRotorHigh != 0 ? kMethodRotorHigh : kMethodRotorLow);
    Call(s.m_bMasMode != 0 ? kMethodMasMode : kMethodTimeMode);
    SendKvAndMa(codes);
    if (s.m_bMasMode != 0) {
        Call(kMethodMas, {codes.mas, kMasSecondText});
    } else {
        Call(kMethodTime, {codes.time});
    }
    if (s.m_nModel == 2) {
        Call(kMethodSwitchLines, {"01", "00"});
    } else {
        WritePort(kPortReady);
    }
}

// With AEC both the time and the mAs go, the mode's own first. Model 1
// asserts its line before the values and sends no rotor or mode.
void CConsole::StartReadyWithAec(const ReadyCodes& codes) {
    const ConsoleState& s = m_state;
    ShowSentData(codes);
    if (s.m_nModel == 2) {
        Call(s.m_bRotorHigh != 0 ? kMethodRotorHigh : kMethodRotorLow);
        Call(s.m_bMasMode != 0 ? kMethodMasMode : kMethodTimeMode);
    } else {
        WritePort(kPortReady);
    }
    SendKvAndMa(codes);
    if (s.m_bMasMode != 0) {
        Call(kMethodMas, {codes.mas, kMasSecondText});
        Call(kMethodTime, {codes.time});
    } else {
        Call(kMethodTime, {codes.time});
        Call(kMethodMas, {codes.mas, kMasSecondText});
    }
    ShowStatus("Generator Ready Start");
    if (s.m_nModel == 2) {
        Call(kMethodSwitchLines, {"01", "00"});
    }
}

void CConsole::SendKvAndMa(const ReadyCodes& codes) {
    const ConsoleState& s = m_state;
    Call(kMethodKv, {codes.kv1, s.m_strKvRefText, codes.kv2});
    Call(kMethodMa, {codes.ma, s.m_strMaRefText, s.m_strPreheatRefText});
}

// The "DATA Trans" edits show what goes out; without AEC the edits of the
// other mode are emptied.
void CConsole::ShowSentData(const ReadyCodes& codes) {
    const ConsoleState& s = m_state;
    SetText(panel::kKvTrans1, codes.kv1);
    SetText(panel::kKvTrans2, s.m_strKvRefText);
    SetText(panel::kKvTrans3, codes.kv2);
    SetText(panel::kMaTrans1, codes.ma);
    SetText(panel::kMaTrans2, s.m_strMaRefText);
    SetText(panel::kMaTrans3, s.m_strPreheatRefText);
    const bool aec = s.m_bAec != 0;
    const bool showTime = aec || s.m_bMasMode == 0;
    const bool showMas = aec || s.m_bMasMode != 0;
    SetText(panel::kSecTrans, showTime ? codes.time : "");
    SetText(panel::kMasTrans1, showMas ? codes.mas : "");
    SetText(panel::kMasTrans2, showMas ? kMasSecondText : "");
}
