// The host's console commands (kind 742067 with a code and a text), as the
// main window hands them on: stepping, the field request, receptor,
// density, the sec/mAs/AEC mode and the complete exposure. Codes 100 and 111
// stay with the main window; other codes are ignored.
#include "console/Console.h"

#include "bridge/DecimalText.h"
#include "bridge/TextFormat.h"
#include "console/HostExposure.h"
#include "support/LogFile.h"

namespace {

enum HostCode : unsigned {
    kHostKvUp = 9,
    kHostKvDown = 10,
    kHostMaUp = 12,
    kHostMaDown = 13,
    kHostSecUp = 15,
    kHostSecDown = 16,
    kHostMasUp = 18,
    kHostMasDown = 19,
    kHostFields = 101,
    kHostAux = 102,
    kHostBucky1 = 103,
    kHostBucky2 = 104,
    kHostDensityUp = 105,
    kHostDensityDown = 106,
    kHostTimeMode = 107,
    kHostMasMode = 108,
    kHostAecMode = 109,
    kHostExposure = 110,
};

// Every code the console takes changes a parameter or an option.
bool IsConsoleCode(unsigned code) {
    switch (code) {
    case kHostKvUp:
    case kHostKvDown:
    case kHostMaUp:
    case kHostMaDown:
    case kHostSecUp:
    case kHostSecDown:
    case kHostMasUp:
    case kHostMasDown:
        return true;
    default:
        return code >= kHostFields && code <= kHostExposure;
    }
}

} // namespace

// A code is refused, with a log line, while the console is not charged or an
// exposure is armed: nothing is sent and no control is enabled.
void CConsole::OnHostCommand(unsigned code, const std::string& text) {
    ConsoleState& s = m_state;
    if (IsConsoleCode(code) && !ChoicesMayChange(FormatText("Host console command %u", code))) {
        return;
    }
    switch (code) {
    case kHostKvUp:
    case kHostKvDown:
        StepKv(code == kHostKvUp ? 1 : -1);
        break;
    case kHostMaUp:
    case kHostMaDown:
        StepMa(code == kHostMaUp ? 1 : -1);
        break;
    case kHostSecUp:
    case kHostSecDown:
        StepSec(code == kHostSecUp ? 1 : -1);
        break;
    case kHostMasUp:
    case kHostMasDown:
        StepMas(code == kHostMasUp ? 1 : -1);
        break;
    case kHostFields: {
        const int request = LeadingInt(text);
        if (request < 0) {
            Log(FormatText("Field request %s refused: not a field selection", text.c_str()),
                CLogFile::kWarning);
            break;
        }
        s.m_nFieldOnes = request % 10;
        s.m_nFieldTens = request / 10 % 10;
        s.m_nFieldHundreds = request / 100 % 10;
        ApplyFieldDigits();
        break;
    }
    case kHostAux:
        OnCommand(panel::kAux);
        break;
    case kHostBucky1:
        OnCommand(panel::kBucky1);
        break;
    case kHostBucky2:
        OnCommand(panel::kBucky2);
        break;
    case kHostDensityUp:
    case kHostDensityDown:
        StepDensity(code == kHostDensityUp ? 1 : -1);
        break;
    case kHostTimeMode:
    case kHostMasMode:
        // The mode change starts from the other mode, so 107 ends in time
        // mode and 108 in mAs mode.
        if (s.m_bAec == 1) {
            TurnAecOff();
        }
        s.m_bMasMode = code == kHostTimeMode ? 1 : 0;
        ChangeMode();
        break;
    case kHostAecMode:
        TurnAecOnForHost();
        break;
    case kHostExposure: {
        const HostExposure exposure = ParseHostExposure(text);
        s.m_nFieldOnes = exposure.fieldOnes;
        s.m_nFieldTens = exposure.fieldTens;
        s.m_nFieldHundreds = exposure.fieldHundreds;
        ApplyHostExposure(exposure);
        break;
    }
    default:
        break;
    }
}

// Code 109, only while AEC is off: mAs mode, the stored field digits (field
// 2 when all are 0), then AEC on, which turns all three fields on.
void CConsole::TurnAecOnForHost() {
    ConsoleState& s = m_state;
    if (s.m_bAec != 0) {
        return;
    }
    s.m_bMasMode = 0;
    ChangeMode();
    if (s.m_nFieldOnes == 0 && s.m_nFieldTens == 0 && s.m_nFieldHundreds == 0) {
        s.m_nFieldTens = 1;
    }
    ApplyFieldDigits();
    TurnAecOn(1, 1, 1);
}

// The field digits in the order field 1, 2, 3: a 1 turns its field on, any
// other digit turns it off unless it is the only field still on.
void CConsole::ApplyFieldDigits() {
    ConsoleState& s = m_state;
    int* const fields[] = {&s.m_bField1, &s.m_bField2, &s.m_bField3};
    const int digits[] = {s.m_nFieldOnes, s.m_nFieldTens, s.m_nFieldHundreds};
    for (int i = 0; i < 3; ++i) {
        if (digits[i] == 1) {
            *fields[i] = 1 << i;
            continue;
        }
        int othersOn = 0;
        for (int j = 0; j < 3; ++j) {
            othersOn += j != i && *fields[j] != 0 ? 1 : 0;
        }
        if (othersOn != 0) {
            *fields[i] = 0;
        }
    }
    ApplyFields();
}
