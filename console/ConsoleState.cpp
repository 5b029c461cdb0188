#include "console/ConsoleState.h"

#include <functional>
#include <tuple>

namespace {

// Every field of the state, for comparing and hashing. A field added to
// ConsoleState must be added here too.
auto Fields(const ConsoleState& s) {
    return std::tie(
        s.m_bPowerOn, s.m_bChargeOn, s.m_bReadyUp, s.m_bXrayStarted, s.m_bXrayEnded, s.m_bXrayDone,
        s.m_nLinkSwitch, s.m_bErrorLatched, s.m_bCheckLatched, s.m_nHandSwitch, s.m_bSwitchReady,
        s.m_bButtonReady, s.m_bReadyStarted, s.m_bExposureStarted, s.m_nPowerPhase,
        s.m_bAwaitStanding, s.m_nPowerModel, s.m_bMasMode, s.m_bOver, s.m_bLargeFocus,
        s.m_bHighScale, s.m_nBucky, s.m_bRotorHigh, s.m_bAec, s.m_bField1, s.m_bField2, s.m_bField3,
        s.m_nFieldCode, s.m_nDensity, s.m_strStatusMessage, s.m_strKvFeedback, s.m_strMaFeedback,
        s.m_strMasUnits, s.m_strMasTens, s.m_strKvRefText, s.m_strMaRefText, s.m_strPreheatRefText,
        s.m_nAecBase, s.m_nAecShift, s.m_nKvShift, s.m_nMaShift, s.m_nSmallFocusShift,
        s.m_nLargeFocusShift, s.m_nKvIndex, s.m_nMaIndex, s.m_nSecIndex, s.m_nMasIndex, s.m_nKvMax,
        s.m_nMaMax, s.m_nSecMax, s.m_nMasMax, s.m_nFieldOnes, s.m_nFieldTens, s.m_nFieldHundreds,
        s.m_nPortAddress, s.m_nDelayCheck, s.m_nModel, s.m_nStandingCode, s.m_nReadyCode,
        s.m_nExposureCode, s.m_strHandswPath, s.m_strRefDataPath, s.m_strStepKvPath,
        s.m_strStepMaPath, s.m_strStepSecPath, s.m_strStepMasPath, s.m_strOverFolder, s.m_kvTable,
        s.m_maTable, s.m_secTable, s.m_masTable, s.m_maGrid, s.m_overMas, s.m_overSec, s.m_timers,
        s.m_nPollTimer, s.m_view);
}

// Hash combining in the manner of boost::hash_combine, over every kind of
// field the state holds.
class Hasher {
public:
    std::size_t Value() const { return m_value; }

    void Add(int value) { Mix(std::hash<int>()(value)); }
    void Add(unsigned value) { Mix(std::hash<unsigned>()(value)); }
    void Add(std::uint16_t value) { Mix(std::hash<unsigned>()(value)); }
    void Add(bool value) { Mix(value ? 1 : 2); }
    void Add(const std::string& value) { Mix(std::hash<std::string>()(value)); }
    void Add(const StepTable& table) {
        Add(static_cast<unsigned>(table.rows.size()));
        for (const StepRow& row : table.rows) {
            Add(row);
        }
    }
    void Add(const panel::ControlView& view) {
        Add(view.enabled);
        Add(view.lit);
        Add(view.text);
    }
    void Add(const panel::PanelView& view) { Add(view.Controls()); }
    void Add(const std::map<unsigned, unsigned>& timers) {
        Add(static_cast<unsigned>(timers.size()));
        for (const auto& timer : timers) {
            Add(timer.first);
            Add(timer.second);
        }
    }
    template <class T, std::size_t N> void Add(const std::array<T, N>& items) {
        for (const T& item : items) {
            Add(item);
        }
    }

private:
    void Mix(std::size_t h) {
        m_value ^=
            h + static_cast<std::size_t>(0x9e3779b97f4a7c15ULL) + (m_value << 6) + (m_value >> 2);
    }

    std::size_t m_value = 0;
};

} // namespace

bool operator==(const ConsoleState& a, const ConsoleState& b) {
    return Fields(a) == Fields(b);
}

std::size_t HashConsoleState(const ConsoleState& state) {
    Hasher hasher;
    std::apply([&hasher](const auto&... field) { (hasher.Add(field), ...); }, Fields(state));
    return hasher.Value();
}
