// The parameter displays (kV, mA, time or mAs, reference data) and the
// options that charge completion applies again: receptor, rotor, focus and
// mA scale.
#include "console/Console.h"

#include "bridge/DecimalText.h"
#include "bridge/TextFormat.h"
#include "console/ConsoleIds.h"
#include "platform/PrivateProfile.h"
#include "support/LogFile.h"

#include <cstdlib>

namespace {

constexpr std::size_t kRefValueBufferSize = 512;
constexpr double kLargeFocusFromMa = 200.0;
constexpr double kHighScaleFromMa = 100.0;

// The text of a step, empty when the table has no such row.
std::string StepText(const StepTable& table, int row) {
    const std::string* cell = table.Cell(row, kDisplayColumn);
    return cell != nullptr ? *cell : std::string();
}

std::string Decimal(int value) {
    return FormatText("%d", value);
}

} // namespace

// ref_data.dat holds signed values: shifts go down to -20.
int CConsole::ReadRefData(const std::string& section, const std::string& key) {
    return LeadingInt(platform::ReadProfileString(m_state.m_strRefDataPath, section, key, "0",
                                                  kRefValueBufferSize));
}

void CConsole::ShowKv() {
    SetText(panel::kKvEdit, StepText(m_state.m_kvTable, m_state.m_nKvIndex));
}

void CConsole::ShowMa() {
    SetText(panel::kMaEdit, StepText(m_state.m_maTable, m_state.m_nMaIndex));
}

std::string CConsole::HostStatusText() const {
    const ConsoleState& s = m_state;
    const bool aec = s.m_bAec == 1;
    return FormatText(
        "%s;%s;%s;%s;%d;%d;%d;%d;%d;%d;", StepText(s.m_kvTable, s.m_nKvIndex).c_str(),
        StepText(s.m_maTable, s.m_nMaIndex).c_str(), StepText(s.m_masTable, s.m_nMasIndex).c_str(),
        StepText(s.m_secTable, s.m_nSecIndex).c_str(), s.m_bLargeFocus, aec ? 2 : s.m_bMasMode,
        aec && s.m_bField1 != 0 ? 1 : 0, aec && s.m_bField2 != 0 ? 1 : 0,
        aec && s.m_bField3 != 0 ? 1 : 0, aec ? s.m_nDensity - 6 : 0);
}

// The time or mAs step of the current mode, with its lamp.
void CConsole::ShowTime() {
    const ConsoleState& s = m_state;
    if (s.m_bMasMode != 0) {
        SetText(panel::kTimeEdit, StepText(s.m_masTable, s.m_nMasIndex));
        Light(panel::kLampMas, true);
    } else {
        SetText(panel::kTimeEdit, StepText(s.m_secTable, s.m_nSecIndex));
        Light(panel::kLampSec, true);
    }
}

// The reference data and shifts of the current kV and mA steps, and the
// pre-heat value of the mA step, all as stored: an edit not saved is
// dropped, so that a Save writes only what the operator sees. Their Save
// buttons wait for a change.
void CConsole::ShowReferences() {
    ConsoleState& s = m_state;
    const int kvRef = ReadRefData(FormatText("%d mA Step", MaGroupOf(s.m_nMaIndex)),
                                  FormatText("%d kV", s.m_nKvIndex + 40));
    SetText(panel::kKvRefEdit, Decimal(kvRef));
    s.m_nKvShift = ReadRefData("kV Ref Shift", FormatText("C-1_%d Step", s.m_nMaIndex));
    SetText(panel::kKvShiftEdit, Decimal(s.m_nKvShift));
    Enable(panel::kKvShiftSave, false);

    const int maRef = ReadRefData(FormatText("%d kV Step", s.m_nKvIndex / 10),
                                  FormatText("%d mA Step", s.m_nMaIndex));
    SetText(panel::kMaRefEdit, Decimal(maRef));
    s.m_nMaShift = ReadRefData("mA Ref Shift", FormatText("C-1_%d Step", s.m_nMaIndex + 21));
    SetText(panel::kMaShiftEdit, Decimal(s.m_nMaShift));
    s.m_nSmallFocusShift = ReadRefData("mA Ref MAREF All Shift", "C-1_44 Step Small");
    s.m_nLargeFocusShift = ReadRefData("mA Ref MAREF All Shift", "C-1_45 Step Large");
    SetText(panel::kSmallFocusEdit, Decimal(s.m_nSmallFocusShift));
    SetText(panel::kLargeFocusEdit, Decimal(s.m_nLargeFocusShift));
    for (int id : {panel::kMaShiftSave, panel::kSmallFocusSave, panel::kLargeFocusSave}) {
        Enable(id, false);
    }

    for (std::size_t row = 0; row < s.m_maTable.rows.size(); ++row) {
        s.m_maGrid[row][kThirdColumn] = s.m_maTable.rows[row][kThirdColumn];
    }
    const bool inGrid = s.m_nMaIndex >= 0 && s.m_nMaIndex < kMaGridRows;
    SetText(panel::kPreheatEdit,
            inGrid ? s.m_maGrid[static_cast<std::size_t>(s.m_nMaIndex)][kThirdColumn] : "");
    Enable(panel::kPreheatSave, false);
}

// The receptor in m_nBucky: its lamp, the buttons of the other two, and
// its method, twice.
void CConsole::ApplyBucky() {
    const bool auxAllowed = m_state.m_bAec != 1;
    int method = kMethodAux;
    switch (m_state.m_nBucky) {
    case 0:
        Enable(panel::kAux, false);
        Enable(panel::kBucky1, true);
        Enable(panel::kBucky2, true);
        break;
    case 1:
        Enable(panel::kAux, auxAllowed);
        Enable(panel::kBucky1, false);
        Enable(panel::kBucky2, true);
        method = kMethodBucky1;
        break;
    case 2:
        Enable(panel::kAux, auxAllowed);
        Enable(panel::kBucky1, true);
        Enable(panel::kBucky2, false);
        method = kMethodBucky2;
        break;
    default:
        return;
    }
    Light(panel::kLampAux, m_state.m_nBucky == 0);
    Light(panel::kLampBucky1, m_state.m_nBucky == 1);
    Light(panel::kLampBucky2, m_state.m_nBucky == 2);
    Call(method, {"00", "20"});
    Call(method, {"00", "20"});
}

// The rotor speed's lamps and buttons; its method goes with each ready.
void CConsole::ApplyRotor() {
    const bool high = m_state.m_bRotorHigh != 0;
    Light(panel::kLampRotorLow, !high);
    Light(panel::kLampRotorHigh, high);
    Enable(panel::kRotorLow, high);
    Enable(panel::kRotorHigh, !high);
}

// The focus and scale lamps as the console last set the generator.
void CConsole::ShowFocusAndScale() {
    Light(panel::kLampSmallFocus, m_state.m_bLargeFocus == 0);
    Light(panel::kLampLargeFocus, m_state.m_bLargeFocus != 0);
    Light(panel::kLampLowScale, m_state.m_bHighScale == 0);
    Light(panel::kLampHighScale, m_state.m_bHighScale != 0);
}

// Focus and mA scale follow the mA value: large focus from 200 mA, high
// scale from 100 mA. Only a change is sent (twice in Model 2).
void CConsole::ChooseFocusAndScale() {
    ConsoleState& s = m_state;
    const std::string* text = s.m_maTable.Cell(s.m_nMaIndex, kDisplayColumn);
    if (text == nullptr) {
        Log(FormatText("mA step %d is not in %s: focus and scale kept", s.m_nMaIndex,
                       s.m_strStepMaPath.c_str()),
            CLogFile::kWarning);
        return;
    }
    const double ma = std::strtod(text->c_str(), nullptr);
    const int sends = s.m_nModel == 2 ? 2 : 1;

    const int large = ma >= kLargeFocusFromMa ? 1 : 0;
    if (large != s.m_bLargeFocus) {
        s.m_bLargeFocus = large;
        for (int i = 0; i < sends; ++i) {
            Call(large != 0 ? kMethodLargeFocus : kMethodSmallFocus);
        }
        Light(panel::kLampSmallFocus, large == 0);
        Light(panel::kLampLargeFocus, large != 0);
    }

    const int high = ma >= kHighScaleFromMa ? 1 : 0;
    if (high != s.m_bHighScale) {
        s.m_bHighScale = high;
        for (int i = 0; i < sends; ++i) {
            Call(high != 0 ? kMethodHighScale : kMethodLowScale);
        }
        Light(panel::kLampLowScale, high == 0);
        Light(panel::kLampHighScale, high != 0);
    }
}
