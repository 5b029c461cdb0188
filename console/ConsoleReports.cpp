// The generator's status reports as operator texts: an error (R104 up to
// 0x63) powers the console off 100 ms later, a check (R104 above 0x63) ends
// any exposure at once; after an exposure the feedback of kV and mA and the
// actual mAs are shown, and the actual mAs goes on to the host.
#include "console/Console.h"

#include "bridge/DecimalText.h"
#include "bridge/TextFormat.h"
#include "console/ConsoleIds.h"
#include "support/LogFile.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr unsigned kErrorPowerOffMs = 100;

// Feedback factors: raw × 0.019 gives volts, then × 66.6 kV, × 30 mA in the
// low scale or × 300 mA in the high scale.
constexpr double kFeedbackVolts = 0.019;
constexpr double kKvPerVolt = 66.6;
constexpr double kMaPerVoltLow = 30.0;
constexpr double kMaPerVoltHigh = 300.0;

struct ReportEntry {
    const char* value; // as the generator sends it, matched exactly
    int number;
    const char* text;
};

constexpr ReportEntry kErrors[] = {
    {"01", 1, ":CHARGE MONITOR ERROR"},
    {"02", 2, ":OVER TIME ERROR (OP PANEL) AT STAND BY"},
    {"03", 3, ":READY-OUT SIGNAL ERROR AT SAND BY"},
    {"04", 4, ":X-RAY OUT SIGNAL ERROR AT STAND BY"},
    {"05", 5, ":READY SWITCH INPUT ERROR AT STAND BY"},
    {"06", 6, ":X-RAY SWITCH INPUT ERROR AT STAND BY"},
    {"07", 7, ":HAND SWITCH INPUT ERROR AT STAND BY"},
    {"08", 8, ":HAND SWITCH X-RAY INPUT ERROR AT STAND BY"},
    {"09", 9, ":ROTOR DETECTER SIGNAL AT STANDBY"},
    {"0A", 10, ":FILLAMENT CURRENT DETECTER ERROR AT STANDBY"},
    {"0B", 11, ":kVp FEEDBACK ERROR AT STANDBY"},
    {"0C", 12, ":mA FEEDBACK ERROR AT STANDBY"},
    {"0D", 13, ":ROTOR DETECTER ERROR AT EXPOSURE"},
    {"0E", 14, ":FILLAMENT CUREENT DETECTER ERROR AT EXPOSURE"},
    {"0F", 15, ":kV FEEDBACK DETECTER ERROR AT EXPOSURE"},
    {"10", 16, ":mA FEEDBACK DETECTIVE ERROR EXPOSURE"},
    {"11", 17, ":NOT DEFINED"},
    {"12", 18, ":X-RAY TIME OVER IN SEC MODE"},
    {"13", 19, ":X-RAY TIME OVER IN mAs MODE"},
    {"14", 20, ":X-RAY TIME OVER IN AEC MODE"},
    {"15", 21, ":HV INTERLOCK ERROR"},
    {"16", 22, ":IGBT FEEDBACK ERROR"},
    {"17", 23, ":kV FEEDBACK OVER DETECTER ERROR AT EXPOSURE"},
    {"18", 24, ":mA FEEDBACK OVER DETECTER ERROR AT EXPOSURE"},
    {"19", 25, ":NO ZERO-CROSS OR NO INPUT"},
    {"1A", 26, ":ZERO-CROSS OVER OR WRONG INPUT FREQUENCY"},
    {"1B", 27, ":BUCKY 1 OK SIGNAL ERROR"},
    {"1C", 28, ":BUCKY 2 OK SIGNAL ERROR"},
    {"1D", 29, ":AEC A/D DATA-IN ERROR"},
    {"1E", 30, ":AEC A/D DATA-IN ERROR AT NON-EXPOSURE"},
    {"1F", 31, ":I/F BOARD CONDITION ERROR"},
    {"20", 32, ":AEC BOARD CONDITION ERROR"},
    {"21", 33, ":SMALL-FOCUS SELECTION ERROR"},
    {"22", 34, ":LARGE-FOCUS SELECTION ERROR"},
};

constexpr ReportEntry kChecks[] = {
    {"65", 1, ":TUBE THERMOSTAT OPERATION"},
    {"66", 2, ":When another switch is pushed during exposure"},
    {"67", 3, ":When PREP. Switch on OP PANEL is detached during exposure"},
    {"68", 4, ":When X-RAY switch on OP PANEL is detached during exposure"},
    {"69", 5, ":When a hand switch (PREP) is detached during exposure"},
    {"6A", 6, ":When a hand switch (X-RAY) is detached during exposure"},
    {"6B", 7, ":Shortage of power-supply capacity for exposure"},
    {"6C", 8, ":Simultaneous exposure prohibition"},
    {"6D", 9, ":Warning for X-rays room door opening"},
    {"6E", 10, ": - "},
};

template <std::size_t N>
const ReportEntry* FindReport(const ReportEntry (&table)[N], const std::string& value) {
    for (const ReportEntry& entry : table) {
        if (value == entry.value) {
            return &entry;
        }
    }
    return nullptr;
}

// The digit at `i` of `text`; a non-digit or a missing character counts 0.
int DigitAt(const std::string& text, std::size_t i) {
    return i < text.size() && text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : 0;
}

// The integer part of raw × 0.019 × factor, raw read as hexadecimal.
double Feedback(const std::string& raw, double factor) {
    const double value = static_cast<double>(std::strtoul(raw.c_str(), nullptr, 16));
    return std::trunc((value * kFeedbackVolts) * factor);
}

} // namespace

// An unknown value shows number 0 and no text; it powers off all the same.
void CConsole::ReportError(const std::string& value) {
    const ReportEntry* entry = FindReport(kErrors, value);
    const std::string line = FormatText("Error : %2d = ", entry != nullptr ? entry->number : 0) +
                             (entry != nullptr ? entry->text : "");
    ShowStatus(line);
    Log(line, CLogFile::kError);
    StartTimer(kTimerErrorPowerOff, kErrorPowerOffMs);
}

// A ready or an exposure under way ends first. An unknown value shows as it
// came.
void CConsole::ReportCheck(const std::string& value) {
    const ConsoleState& s = m_state;
    if (LinesMayBeHeld() || s.m_bXrayStarted != 0 || s.m_bXrayEnded != 0) {
        EndExposure();
    }
    const ReportEntry* entry = FindReport(kChecks, value);
    const std::string line =
        entry != nullptr ? FormatText("Check : %2d = ", entry->number) + entry->text : value;
    ShowStatus(line);
    Log(line, CLogFile::kInfo);
}

// Timer 7 after R201: the actual mAs (units and tenths digits of its second
// text, tens in its third), with the kV and mA feedback when both came.
void CConsole::OnFeedbackTimer() {
    StopTimer(kTimerFeedback);
    const ConsoleState& s = m_state;
    const int tenths = DigitAt(s.m_strMasUnits, 1);
    const long long whole =
        DigitAt(s.m_strMasUnits, 0) + 10LL * static_cast<long long>(LeadingInt(s.m_strMasTens));
    const std::string value =
        tenths > 0 ? FormatText("%lld.%d", whole, tenths) : FormatText("%lld", whole);
    std::string line = "Actual mAs : " + value + " mAs";
    if (!s.m_strKvFeedback.empty() && !s.m_strMaFeedback.empty()) {
        const double kv = Feedback(s.m_strKvFeedback, kKvPerVolt);
        const double ma =
            Feedback(s.m_strMaFeedback, s.m_bHighScale != 0 ? kMaPerVoltHigh : kMaPerVoltLow);
        line = FormatText("kV FB DATA : %g , ", kv) + FormatText("mA FB DATA : %g , ", ma) + line;
    }
    ShowStatus(line);
    m_out.SendValueToHost(value);
}
