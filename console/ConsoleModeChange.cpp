// The sec/mAs mode change, which carries the exposure over to the other
// mode rounding up to the next step, and the host's complete exposure,
// matched to the nearest steps.
#include "console/Console.h"

#include "bridge/TextFormat.h"
#include "console/ConsoleIds.h"
#include "console/HostExposure.h"
#include "console/StepMatching.h"
#include "support/LogFile.h"

namespace {

constexpr int kTimeMode = 0;
constexpr int kMasMode = 1;
constexpr int kAecMode = 2;

} // namespace

// The Change button: time mode goes to mAs mode and back.
void CConsole::ChangeMode() {
    if (m_state.m_bMasMode == 0) {
        CarryTimeToMas();
    } else {
        CarryMasToTime();
    }
    JudgeOver();
    ShowTimeStep();
}

// mAs = sec x mA, rounded up to the next mAs step within the power model.
// Steps that cannot be read leave the mAs step as it is.
void CConsole::CarryTimeToMas() {
    ConsoleState& s = m_state;
    s.m_bMasMode = 1;
    Light(panel::kLampSec, false);
    Light(panel::kLampMas, true);
    double sec = 0.0;
    double ma = 0.0;
    const int top = TopSelectableStep(s.m_masTable, s.m_nMasMax);
    const int step = StepValue(s.m_secTable, s.m_nSecIndex, StepReading::kDecimal, sec) &&
                             StepValue(s.m_maTable, s.m_nMaIndex, StepReading::kDecimal, ma)
                         ? FirstStepAtLeast(s.m_masTable, top, sec * ma)
                         : -1;
    if (step < 0) {
        Log(FormatText("sec step %d x mA step %d gives no mAs step: mAs step %d kept",
                       s.m_nSecIndex, s.m_nMaIndex, s.m_nMasIndex),
            CLogFile::kWarning);
        return;
    }
    s.m_nMasIndex = step;
}

// sec = mAs / mA, rounded up to the next sec step within the power model.
void CConsole::CarryMasToTime() {
    ConsoleState& s = m_state;
    s.m_bMasMode = 0;
    Light(panel::kLampSec, true);
    Light(panel::kLampMas, false);
    double mas = 0.0;
    double ma = 0.0;
    const int top = TopSelectableStep(s.m_secTable, s.m_nSecMax);
    const int step = StepValue(s.m_masTable, s.m_nMasIndex, StepReading::kDecimal, mas) &&
                             StepValue(s.m_maTable, s.m_nMaIndex, StepReading::kDecimal, ma) &&
                             ma > 0.0
                         ? FirstStepAtLeast(s.m_secTable, top, mas / ma)
                         : -1;
    if (step < 0) {
        Log(FormatText("mAs step %d / mA step %d gives no sec step: sec step %d kept",
                       s.m_nMasIndex, s.m_nMaIndex, s.m_nSecIndex),
            CLogFile::kWarning);
        return;
    }
    s.m_nSecIndex = step;
}

// Code 110. Nothing happens for a kV or mA of 0 or a time or mAs of 0.0.
// All four values must match a step of their tables, and the mode must be
// known, before anything changes. A step above the power model's is kept:
// the mode change holds the time or mAs it derives within the model, and
// the OVER judgement decides on the rest. Mode 0 ends in time mode with the sec step made
// from the mAs step, mode 1 in mAs mode with the mAs step made from the sec
// step; mode 2 ends in mAs mode with AEC on and the host's fields (field 2
// when none is asked for).
void CConsole::ApplyHostExposure(const HostExposure& exposure) {
    if (exposure.kv == 0 || exposure.ma == 0 || exposure.sec == 0.0 || exposure.mas == 0.0) {
        return;
    }
    if (!MatchHostExposure(exposure)) {
        return;
    }
    ShowKv();
    ShowMa();
    ShowReferences();
    ChooseFocusAndScale();
    if (exposure.mode == kTimeMode || exposure.mode == kMasMode) {
        if (m_state.m_bAec == 1) {
            TurnAecOff();
        }
        m_state.m_bMasMode = exposure.mode == kTimeMode ? 1 : 0;
        ChangeMode();
        return;
    }
    m_state.m_bMasMode = 0;
    ChangeMode();
    const bool any =
        exposure.fieldOnes == 1 || exposure.fieldTens == 1 || exposure.fieldHundreds == 1;
    m_state.m_bAec = 0;
    TurnAecOn(exposure.fieldOnes == 1 ? 1 : 0, exposure.fieldTens == 1 || !any ? 2 : 0,
              exposure.fieldHundreds == 1 ? 4 : 0);
}

// The nearest steps of the four values in their whole tables (ties to the
// lower one; the last step itself matches); false, with a log line and
// nothing changed, when a value lies below the first step or above the last
// one, or the mode is unknown.
bool CConsole::MatchHostExposure(const HostExposure& exposure) {
    ConsoleState& s = m_state;
    const int kv =
        NearestStep(s.m_kvTable, s.m_kvTable.LastRow(), exposure.kv, StepReading::kInteger);
    const int ma =
        NearestStep(s.m_maTable, s.m_maTable.LastRow(), exposure.ma, StepReading::kInteger);
    const int sec =
        NearestStep(s.m_secTable, s.m_secTable.LastRow(), exposure.sec, StepReading::kDecimal);
    const int mas =
        NearestStep(s.m_masTable, s.m_masTable.LastRow(), exposure.mas, StepReading::kDecimal);
    const bool knownMode =
        exposure.mode == kTimeMode || exposure.mode == kMasMode || exposure.mode == kAecMode;
    if (kv < 0 || ma < 0 || sec < 0 || mas < 0 || !knownMode) {
        Log(FormatText("Host exposure %d kV, %d mA, %g sec, %g mAs, mode %d refused: %s",
                       exposure.kv, exposure.ma, exposure.sec, exposure.mas, exposure.mode,
                       knownMode ? "a value lies outside the steps of its table"
                                 : "the mode is not 0, 1 or 2"),
            CLogFile::kWarning);
        return false;
    }
    s.m_nKvIndex = kv;
    s.m_nMaIndex = ma;
    s.m_nSecIndex = sec;
    s.m_nMasIndex = mas;
    return true;
}
