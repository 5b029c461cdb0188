// The exposure parameters: stepping kV, mA and sec or mAs within the power
// model's limits, the OVER judgement after every change, and the reference
// texts that the ready sequence sends.
#include "console/Console.h"

#include "bridge/DecimalText.h"
#include "bridge/TextFormat.h"
#include "console/ConsoleIds.h"
#include "support/LogFile.h"

#include <cctype>
#include <cstdint>

namespace {

const char* const kOverText = "OVER !!";

// A kV display text that begins with a digit (after blanks); the OVER
// judgement reads nothing from one that does not.
bool IsKvValue(const std::string& text) {
    const std::size_t at = text.find_first_not_of(" \t");
    return at != std::string::npos && std::isdigit(static_cast<unsigned char>(text[at])) != 0;
}

// "%X" of a sum of file values, a negative one as its 32-bit two's
// complement (eight digits). Sums are made wide: the file may hold any int.
std::string Hex(std::int64_t value) {
    return FormatText("%X", static_cast<unsigned>(static_cast<std::uint32_t>(value)));
}

} // namespace

bool CConsole::OnParameterCommand(int controlId) {
    switch (controlId) {
    case panel::kKvUp:
        StepKv(1);
        return true;
    case panel::kKvDown:
        StepKv(-1);
        return true;
    case panel::kMaUp:
        StepMa(1);
        return true;
    case panel::kMaDown:
        StepMa(-1);
        return true;
    case panel::kTimeUp:
    case panel::kTimeDown: {
        const int delta = controlId == panel::kTimeUp ? 1 : -1;
        if (m_state.m_bMasMode != 0) {
            StepMas(delta);
        } else {
            StepSec(delta);
        }
        return true;
    }
    case panel::kChange:
        ChangeMode();
        return true;
    default:
        return false;
    }
}

void CConsole::StepKv(int delta) {
    if (StepIndex(m_state.m_nKvIndex, m_state.m_nKvMax, delta, "kV")) {
        JudgeOver();
        ShowKv();
        ShowReferences();
    }
}

void CConsole::StepMa(int delta) {
    if (StepIndex(m_state.m_nMaIndex, m_state.m_nMaMax, delta, "mA")) {
        JudgeOver();
        ShowMa();
        ShowReferences();
        ChooseFocusAndScale();
    }
}

void CConsole::StepSec(int delta) {
    if (StepIndex(m_state.m_nSecIndex, m_state.m_nSecMax, delta, "sec")) {
        JudgeOver();
        ShowTimeStep();
    }
}

void CConsole::StepMas(int delta) {
    if (StepIndex(m_state.m_nMasIndex, m_state.m_nMasMax, delta, "mAs")) {
        JudgeOver();
        ShowTimeStep();
    }
}

// One step up (delta 1) or down (-1) between 0 and `maxIndex`; at a limit
// the message "<name> Select MAX !!" or "... MIN !!" and no change.
bool CConsole::StepIndex(int& index, int maxIndex, int delta, const char* name) {
    if (delta > 0 && index >= maxIndex) {
        ShowParameterMessage(FormatText("%s Select MAX !!", name));
        return false;
    }
    if (delta < 0 && index <= 0) {
        ShowParameterMessage(FormatText("%s Select MIN !!", name));
        return false;
    }
    index += delta;
    return true;
}

// Edit 1003 shows the step of the current mode, also when the host stepped
// the other one.
void CConsole::ShowTimeStep() {
    const ConsoleState& s = m_state;
    const StepTable& table = s.m_bMasMode != 0 ? s.m_masTable : s.m_secTable;
    const std::string* text =
        table.Cell(s.m_bMasMode != 0 ? s.m_nMasIndex : s.m_nSecIndex, kDisplayColumn);
    SetText(panel::kTimeEdit, text != nullptr ? *text : "");
}

void CConsole::ShowParameterMessage(const std::string& text) {
    m_state.m_strStatusMessage = text;
    ShowStatus(text);
}

// OVER lights its lamp and says "OVER !!"; a combination within the table
// puts both out. The owner gets the text at once (sent, not posted).
void CConsole::JudgeOver() {
    const ConsoleState& s = m_state;
    const bool over = CombinationIsOver();
    if (StepsOutsideTables()) {
        Log(FormatText("kV step %d, mA step %d, %s step %d: not all in the tables, counted as OVER",
                       s.m_nKvIndex, s.m_nMaIndex, s.m_bMasMode != 0 ? "mAs" : "sec",
                       s.m_bMasMode != 0 ? s.m_nMasIndex : s.m_nSecIndex),
            CLogFile::kWarning);
    }
    m_state.m_bOver = over ? 1 : 0;
    Light(panel::kLampOver, over);
    const std::string text = over ? kOverText : "";
    SetText(panel::kStatusEdit, text);
    m_out.SendStatusText(text);
}

// The over table of the current mode gives, for the mA step and the time or
// mAs step, the highest kV allowed (999: none). A step that its table or the
// over grid does not have is never read: such a combination is OVER.
bool CConsole::CombinationIsOver() const {
    if (StepsOutsideTables()) {
        return true;
    }
    const ConsoleState& s = m_state;
    const bool mas = s.m_bMasMode != 0;
    const int timeIndex = mas ? s.m_nMasIndex : s.m_nSecIndex;
    const OverGrid& grid = mas ? s.m_overMas : s.m_overSec;
    const int highestKv =
        grid[static_cast<std::size_t>(s.m_nMaIndex)][static_cast<std::size_t>(timeIndex)];
    return highestKv == kOverNotAllowed ||
           highestKv < LeadingInt(*s.m_kvTable.Cell(s.m_nKvIndex, kDisplayColumn));
}

// Whether a current step lies beyond its table or the over grid, or the kV
// step's text is no number.
bool CConsole::StepsOutsideTables() const {
    const ConsoleState& s = m_state;
    const bool mas = s.m_bMasMode != 0;
    const int timeIndex = mas ? s.m_nMasIndex : s.m_nSecIndex;
    const StepTable& timeTable = mas ? s.m_masTable : s.m_secTable;
    const std::string* kv = s.m_kvTable.Cell(s.m_nKvIndex, kDisplayColumn);
    return kv == nullptr || !IsKvValue(*kv) || !s.m_maTable.HasRow(s.m_nMaIndex) ||
           !timeTable.HasRow(timeIndex) || s.m_nMaIndex >= kOverColumns || timeIndex >= kOverLines;
}

// The texts the ready sequence sends with kV and mA, from ref_data.dat as
// saved: a shift stepped but not saved does not count.
void CConsole::ComputeReferenceTexts() {
    ConsoleState& s = m_state;
    const int kvRef = ReadRefData(FormatText("%d mA Step", MaGroupOf(s.m_nMaIndex)),
                                  FormatText("%d kV", s.m_nKvIndex + 40));
    const int kvShift = ReadRefData("kV Ref Shift", FormatText("C-1_%d Step", s.m_nMaIndex));
    s.m_strKvRefText = Hex(std::int64_t{kvRef} + kvShift);

    const int maRef = ReadRefData(FormatText("%d kV Step", s.m_nKvIndex / 10),
                                  FormatText("%d mA Step", s.m_nMaIndex));
    const int maShift = ReadRefData("mA Ref Shift", FormatText("C-1_%d Step", s.m_nMaIndex + 21));
    const int focusShift = s.m_bLargeFocus == 1
                               ? ReadRefData("mA Ref MAREF All Shift", "C-1_45 Step Large")
                               : ReadRefData("mA Ref MAREF All Shift", "C-1_44 Step Small");
    const std::int64_t maValue = std::int64_t{maRef} + maShift + focusShift;
    s.m_strMaRefText = Hex(maValue);

    const std::string* preheat = s.m_maTable.Cell(s.m_nMaIndex, kThirdColumn);
    if (preheat == nullptr) {
        Log(FormatText("mA step %d is not in %s: pre-heat taken as 0", s.m_nMaIndex,
                       s.m_strStepMaPath.c_str()),
            CLogFile::kWarning);
    }
    s.m_strPreheatRefText = Hex(maValue - (preheat != nullptr ? LeadingInt(*preheat) : 0));
}
