// The options the operator chooses besides the exposure: the receptor, the
// rotor speed, AEC with its fields and density, and the AEC reference that
// goes with them. Focus and mA scale follow the mA step
// (ChooseFocusAndScale). A button that repeats the current choice does
// nothing.
#include "console/Console.h"

#include "bridge/TextFormat.h"
#include "console/ConsoleIds.h"
#include "support/LogFile.h"

#include <cstdint>

namespace {

constexpr int kAux = 0;
constexpr int kBucky1 = 1;
constexpr int kBucky2 = 2;
constexpr int kDensityNone = 0;
constexpr int kDensityLowest = 1;
constexpr int kDensityMiddle = 6; // shown as 0
constexpr int kDensityHighest = 11;

// The AEC reference offset of each density, 1 (shown -5) to 11 (shown +5).
constexpr int kDensityOffsets[] = {-64, -51, -39, -26, -13, 0, 12, 25, 38, 51, 63};

// The controls that work only while AEC is on.
constexpr int kAecControls[] = {panel::kDensityEdit, panel::kField1,    panel::kField2,
                                panel::kField3,      panel::kDensityUp, panel::kDensityDown};

// The code of a field combination: one field gives its number, two fields
// 4 to 6, all three 7.
int FieldCode(bool field1, bool field2, bool field3) {
    if (field1 && field2 && field3) {
        return 7;
    }
    if (field1 && field2) {
        return 4;
    }
    if (field1 && field3) {
        return 5;
    }
    if (field2 && field3) {
        return 6;
    }
    return field1 ? 1 : field2 ? 2 : field3 ? 3 : 0;
}

} // namespace

bool CConsole::OnOptionCommand(int controlId) {
    switch (controlId) {
    case panel::kAux:
        SelectBucky(kAux);
        return true;
    case panel::kBucky1:
        SelectBucky(kBucky1);
        return true;
    case panel::kBucky2:
        SelectBucky(kBucky2);
        return true;
    case panel::kRotorLow:
        SelectRotor(0);
        return true;
    case panel::kRotorHigh:
        SelectRotor(1);
        return true;
    case panel::kAec:
        ToggleAec();
        return true;
    case panel::kField1:
        ToggleField(1);
        return true;
    case panel::kField2:
        ToggleField(2);
        return true;
    case panel::kField3:
        ToggleField(3);
        return true;
    case panel::kDensityUp:
        StepDensity(1);
        return true;
    case panel::kDensityDown:
        StepDensity(-1);
        return true;
    default:
        return false;
    }
}

// With AEC on a BUCKY receptor sends the AEC reference again, which carries
// the receptor. AEC and AUX exclude each other: AUX is refused while AEC is
// on (its button is disabled then; the host's command reaches here anyway).
void CConsole::SelectBucky(int bucky) {
    ConsoleState& s = m_state;
    if (s.m_nBucky == bucky) {
        return;
    }
    if (bucky == kAux && s.m_bAec == 1) {
        Log("AUX refused: AEC is on", CLogFile::kWarning);
        return;
    }
    s.m_nBucky = bucky;
    ApplyBucky();
    if (s.m_bAec == 1) {
        SendAecReference();
    }
}

void CConsole::SelectRotor(int high) {
    if (m_state.m_bRotorHigh == high) {
        return;
    }
    m_state.m_bRotorHigh = high;
    ApplyRotor();
}

void CConsole::ToggleAec() {
    if (m_state.m_bAec == 1) {
        TurnAecOff();
    } else {
        TurnAecOn(1, 1, 1);
    }
}

// AEC on with the given fields (the AEC button turns all three on). AUX
// gives way to BUCKY1 first, which sends the AEC reference without a
// density offset before the AEC method.
void CConsole::TurnAecOn(int field1, int field2, int field3) {
    ConsoleState& s = m_state;
    s.m_bAec = 1;
    s.m_nAecBase = ReadRefData("AEC_Field_Data", "default");
    s.m_nAecShift = ReadRefData("AEC_Field_Data", "shift");
    if (s.m_nBucky == kAux) {
        SelectBucky(kBucky1);
    } else {
        Enable(panel::kAux, false);
    }
    Call(kMethodAecOn);
    Call(kMethodAecOn);
    Light(panel::kLampAec, true);
    for (int id : kAecControls) {
        Enable(id, true);
    }
    s.m_bField1 = field1;
    s.m_bField2 = field2;
    s.m_bField3 = field3;
    s.m_nDensity = kDensityMiddle;
    ApplyFields();
    ApplyDensity();
}

void CConsole::TurnAecOff() {
    ConsoleState& s = m_state;
    s.m_bAec = 0;
    s.m_bField1 = 0;
    s.m_bField2 = 0;
    s.m_bField3 = 0;
    s.m_nDensity = kDensityNone;
    ApplyFields();
    ApplyDensity();
    Light(panel::kLampAec, false);
    for (int id : kAecControls) {
        Enable(id, false);
    }
    if (s.m_nBucky != kAux) {
        Enable(panel::kAux, true);
    }
    Call(kMethodAecOff);
    Call(kMethodAecOff);
}

// A field button turns its field on, or off while another one stays on.
void CConsole::ToggleField(int field) {
    ConsoleState& s = m_state;
    int* const fields[] = {&s.m_bField1, &s.m_bField2, &s.m_bField3};
    int& chosen = *fields[field - 1];
    if (chosen == 0) {
        chosen = 1 << (field - 1);
    } else {
        int othersOn = 0;
        for (int* other : fields) {
            othersOn += other != &chosen && *other != 0 ? 1 : 0;
        }
        if (othersOn != 0) {
            chosen = 0;
        }
    }
    ApplyFields();
}

// The field lamps and the field code, sent even when nothing changed.
void CConsole::ApplyFields() {
    ConsoleState& s = m_state;
    Light(panel::kLampField1, s.m_bField1 != 0);
    Light(panel::kLampField2, s.m_bField2 != 0);
    Light(panel::kLampField3, s.m_bField3 != 0);
    s.m_nFieldCode = FieldCode(s.m_bField1 != 0, s.m_bField2 != 0, s.m_bField3 != 0);
    Call(kMethodAecField, {"00", FormatText("0%X", static_cast<unsigned>(s.m_nFieldCode))});
}

// Density moves between 1 and 11 (shown -5 to +5); at a limit nothing is
// sent. Its buttons work only with AEC on; the host's density commands are
// refused without it.
void CConsole::StepDensity(int delta) {
    ConsoleState& s = m_state;
    if (s.m_bAec != 1) {
        Log("Density step refused: AEC is off", CLogFile::kWarning);
        return;
    }
    if ((delta > 0 && s.m_nDensity >= kDensityHighest) ||
        (delta < 0 && s.m_nDensity <= kDensityLowest)) {
        return;
    }
    s.m_nDensity += delta;
    ApplyDensity();
}

void CConsole::ApplyDensity() {
    const int density = m_state.m_nDensity;
    if (density == kDensityNone) {
        SetText(panel::kDensityEdit, "");
        return;
    }
    SetText(panel::kDensityEdit, FormatText("%d", density - kDensityMiddle));
    SendAecReference();
}

// The AEC reference with the density's offset (none while the density is
// 0), and the receptor.
void CConsole::SendAecReference() {
    const ConsoleState& s = m_state;
    const bool withDensity = s.m_nDensity >= kDensityLowest && s.m_nDensity <= kDensityHighest;
    const int offset = withDensity ? kDensityOffsets[s.m_nDensity - 1] : 0;
    const std::int64_t value = std::int64_t{s.m_nAecBase} + s.m_nAecShift + offset;
    Call(kMethodAecReference,
         {FormatText("%X", static_cast<unsigned>(static_cast<std::uint32_t>(value))),
          FormatText("0%X", static_cast<unsigned>(s.m_nBucky))});
}
