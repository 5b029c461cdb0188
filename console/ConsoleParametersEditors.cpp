// The editors of the reference data: four shift editors (kV, mA, small and
// large focus) saved to ref_data.dat, and the pre-heat editor, which works on
// column 3 of the mA grid and saves step_ma.dat. Both files are replaced in
// one step, so a failed save leaves the old file whole.
#include "console/Console.h"

#include "bridge/DecimalText.h"
#include "bridge/TextFormat.h"
#include "console/ConsoleIds.h"
#include "platform/Files.h"
#include "support/IniReader.h"
#include "support/LogFile.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

constexpr int kShiftLimit = 20;
constexpr int kHighestTwoDigitPreheat = 9;
constexpr unsigned kPreheatButtonsBackMs = 500;
const char* const kRefSaveFailText = "Ref Data Save Fail !!";
const char* const kPreheatSaveFailText = "Over Data File Open Fail !!";

std::string KvShiftKey(int maIndex) {
    return FormatText("C-1_%d Step", maIndex);
}
std::string MaShiftKey(int maIndex) {
    return FormatText("C-1_%d Step", maIndex + 21);
}
std::string SmallFocusKey(int) {
    return "C-1_44 Step Small";
}
std::string LargeFocusKey(int) {
    return "C-1_45 Step Large";
}

// A pre-heat value as the mA table writes it: at least two digits.
std::string PreheatText(int value) {
    return value <= kHighestTwoDigitPreheat ? FormatText("0%d", value) : FormatText("%d", value);
}

} // namespace

struct CConsole::ShiftEditor {
    int up;
    int down;
    int edit;
    int save;
    const char* name; // the beginning of its messages
    const char* section;
    std::string (*key)(int maIndex);
    int ConsoleState::*value;
};

bool CConsole::OnEditorCommand(int controlId) {
    static const ShiftEditor kEditors[] = {
        {panel::kKvShiftUp, panel::kKvShiftDown, panel::kKvShiftEdit, panel::kKvShiftSave,
         "kV Shift", "kV Ref Shift", KvShiftKey, &ConsoleState::m_nKvShift},
        {panel::kMaShiftUp, panel::kMaShiftDown, panel::kMaShiftEdit, panel::kMaShiftSave,
         "mA Shift", "mA Ref Shift", MaShiftKey, &ConsoleState::m_nMaShift},
        {panel::kSmallFocusUp, panel::kSmallFocusDown, panel::kSmallFocusEdit,
         panel::kSmallFocusSave, "mA Small Focus Shift", "mA Ref MAREF All Shift", SmallFocusKey,
         &ConsoleState::m_nSmallFocusShift},
        {panel::kLargeFocusUp, panel::kLargeFocusDown, panel::kLargeFocusEdit,
         panel::kLargeFocusSave, "mA Large Focus Shift", "mA Ref MAREF All Shift", LargeFocusKey,
         &ConsoleState::m_nLargeFocusShift},
    };
    for (const ShiftEditor& editor : kEditors) {
        if (controlId == editor.up || controlId == editor.down) {
            StepShift(editor, controlId == editor.up ? 1 : -1);
            return true;
        }
        if (controlId == editor.save) {
            SaveShift(editor);
            return true;
        }
    }
    switch (controlId) {
    case panel::kPreheatUp:
        StepPreheat(1);
        return true;
    case panel::kPreheatDown:
        StepPreheat(-1);
        return true;
    case panel::kPreheatSave:
        SavePreheat();
        return true;
    default:
        return false;
    }
}

// Either press enables Save first. The messages go to the status edit only.
void CConsole::StepShift(const ShiftEditor& editor, int delta) {
    Enable(editor.save, true);
    int& value = m_state.*editor.value;
    if (delta > 0 && value >= kShiftLimit) {
        SetText(panel::kStatusEdit, FormatText("%s Select MAX !!", editor.name));
        return;
    }
    if (delta < 0 && value <= -kShiftLimit) {
        SetText(panel::kStatusEdit, FormatText("%s Select MIN !!", editor.name));
        return;
    }
    value += delta;
    SetText(editor.edit, FormatText("%d", value));
    SetText(panel::kStatusEdit, "");
}

// Save stays enabled when the value could not be written.
void CConsole::SaveShift(const ShiftEditor& editor) {
    const std::string key = editor.key(m_state.m_nMaIndex);
    const int value = m_state.*editor.value;
    if (WriteRefData(editor.section, key, value)) {
        Enable(editor.save, false);
        return;
    }
    Log(FormatText("Can't write %s: [%s] %s=%d is not saved", m_state.m_strRefDataPath.c_str(),
                   editor.section, key.c_str(), value),
        CLogFile::kError);
    ShowStatus(kRefSaveFailText);
}

// One key of ref_data.dat rewritten, the rest of the file kept; the file is
// replaced in one step. A file that exists but cannot be read is not
// touched.
bool CConsole::WriteRefData(const std::string& section, const std::string& key, int value) {
    const std::string& path = m_state.m_strRefDataPath;
    std::string content;
    if (!platform::ReadFileBytes(path, content) && platform::FileExists(path)) {
        return false;
    }
    return platform::ReplaceFileContent(
        path, IniWriteString(content, section, key, FormatText("%d", value)));
}

// UP adds 1, DN takes 1 away but not below 0; the cell of the mA step in
// the grid changes, SAVE writes it.
void CConsole::StepPreheat(int delta) {
    ConsoleState& s = m_state;
    if (!s.m_maTable.HasRow(s.m_nMaIndex)) {
        Log(FormatText("mA step %d is not in %s: no pre-heat to change", s.m_nMaIndex,
                       s.m_strStepMaPath.c_str()),
            CLogFile::kWarning);
        return;
    }
    std::string& cell = s.m_maGrid[static_cast<std::size_t>(s.m_nMaIndex)][kThirdColumn];
    const std::int64_t stepped = std::int64_t{LeadingInt(cell)} + delta;
    const int value = static_cast<int>(std::clamp<std::int64_t>(stepped, 0, INT_MAX));
    cell = PreheatText(value);
    SetText(panel::kPreheatEdit, cell);
    Enable(panel::kPreheatSave, true);
}

// step_ma.dat is written anew with the rows the table has, replacing the old
// file in one step; then the table is read again and the UP and DN buttons
// come back half a second later. When the file cannot be written the old
// one stays and the owner is told.
void CConsole::SavePreheat() {
    ConsoleState& s = m_state;
    for (int id : {panel::kPreheatUp, panel::kPreheatDown, panel::kPreheatSave}) {
        Enable(id, false);
    }
    std::string bytes;
    for (std::size_t row = 0; row < s.m_maTable.rows.size(); ++row) {
        const StepRow& cells = s.m_maGrid[row];
        bytes += cells[0] + "\t" + cells[1] + "\t" + cells[2] + "\r\n";
    }
    if (bytes.empty()) {
        Log(FormatText("%s has no rows: nothing saved", s.m_strStepMaPath.c_str()),
            CLogFile::kWarning);
    } else if (!platform::ReplaceFileContent(s.m_strStepMaPath, bytes)) {
        Log(FormatText("Can't write %s: the pre-heat values are not saved",
                       s.m_strStepMaPath.c_str()),
            CLogFile::kError);
        LogStatus(kPreheatSaveFailText);
    }
    ReadMaTable();
    const std::string* preheat = s.m_maTable.Cell(s.m_nMaIndex, kThirdColumn);
    SetText(panel::kPreheatEdit, preheat != nullptr ? *preheat : "");
    StartTimer(kTimerPreheatSaved, kPreheatButtonsBackMs);
}

// Timer 8: UP and DN again, while the generator is still charged.
void CConsole::OnPreheatSavedTimer() {
    StopTimer(kTimerPreheatSaved);
    if (m_state.m_bChargeOn != 0) {
        Enable(panel::kPreheatUp, true);
        Enable(panel::kPreheatDown, true);
    }
}
