// When the exposure parameters and the options may change. The generator
// takes them at charge completion and at ready start; in between and after,
// what it was last sent is what the panel shows and the host is told. So a
// change is refused while the console is not charged, and while an exposure
// is armed: from ready start until the exposure ends or the ready is
// cancelled. The panel's buttons for them are disabled for as long.
#include "console/Console.h"

#include "bridge/TextFormat.h"
#include "console/ConsoleIds.h"
#include "support/LogFile.h"

#include <algorithm>
#include <iterator>

namespace {

// The buttons that change a parameter or an option.
constexpr int kChoiceButtons[] = {
    panel::kKvUp,     panel::kKvDown,    panel::kMaUp,       panel::kMaDown, panel::kTimeUp,
    panel::kTimeDown, panel::kChange,    panel::kAux,        panel::kBucky1, panel::kBucky2,
    panel::kRotorLow, panel::kRotorHigh, panel::kAec,        panel::kField1, panel::kField2,
    panel::kField3,   panel::kDensityUp, panel::kDensityDown};

bool IsChoiceButton(int controlId) {
    return std::find(std::begin(kChoiceButtons), std::end(kChoiceButtons), controlId) !=
           std::end(kChoiceButtons);
}

} // namespace

// False, with a warning naming `what`, while no change may be made.
bool CConsole::ChoicesMayChange(const std::string& what) {
    if (m_state.m_bChargeOn == 0) {
        Log(what + " refused: the console is not charged", CLogFile::kWarning);
        return false;
    }
    if (LinesMayBeHeld()) {
        Log(what + " refused: an exposure is armed", CLogFile::kWarning);
        return false;
    }
    return true;
}

// Ready start: the choice buttons wait for the exposure's end or the ready's
// cancel.
void CConsole::LockChoices() {
    for (int id : kChoiceButtons) {
        Enable(id, false);
    }
}

// The choice buttons back as the current choices leave them: the chosen
// receptor and rotor speed disabled, AUX while AEC is on, the fields and the
// density without AEC.
void CConsole::UnlockChoices() {
    const ConsoleState& s = m_state;
    if (s.m_bChargeOn == 0) {
        return;
    }
    for (int id : {panel::kKvUp, panel::kKvDown, panel::kMaUp, panel::kMaDown, panel::kTimeUp,
                   panel::kTimeDown, panel::kChange, panel::kAec}) {
        Enable(id, true);
    }
    Enable(panel::kAux, s.m_nBucky != 0 && s.m_bAec != 1);
    Enable(panel::kBucky1, s.m_nBucky != 1);
    Enable(panel::kBucky2, s.m_nBucky != 2);
    Enable(panel::kRotorLow, s.m_bRotorHigh != 0);
    Enable(panel::kRotorHigh, s.m_bRotorHigh == 0);
    for (int id :
         {panel::kField1, panel::kField2, panel::kField3, panel::kDensityUp, panel::kDensityDown}) {
        Enable(id, s.m_bAec == 1);
    }
}

// A click on a choice button that reaches the rules while none may be made
// (the button is disabled then) changes nothing.
bool CConsole::RefuseChoiceButton(int controlId) {
    return IsChoiceButton(controlId) && !ChoicesMayChange(FormatText("Control %d", controlId));
}
