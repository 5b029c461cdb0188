// Panel set-up: the data files, the host's settings, the power model.
#include "console/Console.h"

#include "bridge/TextFormat.h"
#include "console/ConsoleIds.h"
#include "platform/Files.h"
#include "platform/PrivateProfile.h"
#include "support/LogFile.h"
#include "support/Profile.h"

#include <limits>

namespace {

constexpr const char* kHostSection = "Generator";
constexpr int kDefaultPowerModel = 4;
constexpr int kDefaultDelayCheck = 50;
constexpr int kDefaultModel = 2;
constexpr unsigned kFirstPortPollMs = 1;
constexpr unsigned kLinkPollMs = 10;

struct PowerModelLimits {
    const char* text;
    int kvMax;
    int maMax;
    int secMax;
    int masMax;
    const char* overFolder;
};

// Power models 1 to 4; any other value is taken as the last entry.
constexpr PowerModelLimits kPowerModels[] = {
    {"20kW", 85, 14, 37, 34, "over_20kW"}, {"32kW", 85, 16, 37, 34, "over_32kW"},
    {"40kW", 85, 17, 37, 34, "over_40kW"}, {"50kW", 110, 18, 37, 35, "over_50kW"},
    {"", 85, 14, 37, 34, "over_20kW"},
};

const PowerModelLimits& LimitsOf(int powerModel) {
    const bool known = powerModel >= 1 && powerModel <= 4;
    return kPowerModels[known ? powerModel - 1 : 4];
}

} // namespace

void CConsole::OnInitDialog() {
    LoadPanelData();
    if (m_state.m_nModel == 1) {
        WritePort(kPortRelease);
        WritePort(kPortIdle);
    }
    ReadStepTables();
    m_state.m_nPollTimer = m_state.m_nModel != 2 ? kTimerPortPoll : kTimerLinkPoll;
    StartTimer(m_state.m_nPollTimer, m_state.m_nModel != 2 ? kFirstPortPollMs : kLinkPollMs);
}

void CConsole::LoadPanelData() {
    ConsoleState& s = m_state;
    const std::string data = m_out.DataRoot() + "\\data\\";
    s.m_strHandswPath = data + "handsw.dat";
    s.m_strRefDataPath = data + "ref_data.dat";
    s.m_strStepKvPath = data + "step_kv.dat";
    s.m_strStepMaPath = data + "step_ma.dat";
    s.m_strStepSecPath = data + "step_sec.dat";
    s.m_strStepMasPath = data + "step_mas.dat";

    const std::string paraio = data + "paraio.dat";
    std::string address;
    if (platform::ReadFileBytes(paraio, address)) {
        const std::uint16_t value = ParsePortAddress(address);
        if (value != 0) {
            s.m_nPortAddress = value;
        } else {
            Log(FormatText("%s holds no port address: 0x%X kept", paraio.c_str(), s.m_nPortAddress),
                CLogFile::kWarning);
        }
    }

    s.m_nStandingCode = platform::ReadProfileInt(s.m_strHandswPath, "handsw_data", "standing", 0);
    s.m_nReadyCode = platform::ReadProfileInt(s.m_strHandswPath, "handsw_data", "ready", 0);
    s.m_nExposureCode = platform::ReadProfileInt(s.m_strHandswPath, "handsw_data", "exposure", 0);

    s.m_nPowerModel = m_hostProfile.GetInt(kHostSection, "MDPSC", kDefaultPowerModel);
    s.m_nDelayCheck = m_hostProfile.GetInt(kHostSection, "DelayCheck", kDefaultDelayCheck);
    if (s.m_nDelayCheck < 1) {
        Log(FormatText("DelayCheck %d is not a period: %d ms used", s.m_nDelayCheck,
                       kDefaultDelayCheck),
            CLogFile::kWarning);
        s.m_nDelayCheck = kDefaultDelayCheck;
    }
    s.m_nModel = m_hostProfile.GetInt(kHostSection, "Model", kDefaultModel);
    if (s.m_nModel != 1 && s.m_nModel != 2) {
        Log(FormatText("Console Model %d is neither 1 nor 2: no port or link lines are driven",
                       s.m_nModel),
            CLogFile::kWarning);
    }

    ApplyPowerModel();

    s.m_nKvIndex = 0;
    s.m_nMaIndex = 0;
    s.m_nSecIndex = kStartSecIndex;
    s.m_nMasIndex = 0;
    s.m_bAec = 0;
    s.m_bField1 = 0;
    s.m_bField2 = 0;
    s.m_bField3 = 0;
    s.m_nDensity = 0;
    s.m_nBucky = 1;
    s.m_bRotorHigh = 0;
}

// The model buttons are disabled while powered; a click that comes all the
// same is refused. The OVER flag follows the new tables at once (the panel
// shows it from Charge ON OK, where it is judged again).
void CConsole::SelectPowerModel(int powerModel) {
    if (m_state.m_nPowerPhase == kPhasePowered) {
        Log(FormatText("Power model %d refused: the console is powered", powerModel),
            CLogFile::kWarning);
        return;
    }
    m_state.m_nPowerModel = powerModel;
    ApplyPowerModel();
    m_state.m_bOver = CombinationIsOver() ? 1 : 0;
}

// The step indexes stay as they are, even above the new limits.
void CConsole::ApplyPowerModel() {
    ConsoleState& s = m_state;
    const PowerModelLimits& model = LimitsOf(s.m_nPowerModel);
    SetText(panel::kModelEdit, model.text);
    s.m_nKvMax = model.kvMax;
    s.m_nMaMax = model.maMax;
    s.m_nSecMax = model.secMax;
    s.m_nMasMax = model.masMax;
    s.m_strOverFolder = m_out.DataRoot() + "\\data\\" + model.overFolder + "\\";
    s.m_overMas = ReadOverTable(s.m_strOverFolder + "over_mA_mAs.dat");
    s.m_overSec = ReadOverTable(s.m_strOverFolder + "over_mA_sec.dat");
}

void CConsole::ReadStepTables() {
    ConsoleState& s = m_state;
    constexpr std::size_t kAnyRows = std::numeric_limits<std::size_t>::max();
    s.m_kvTable = ReadStepTable(s.m_strStepKvPath, 3, kAnyRows);
    ReadMaTable();
    s.m_secTable = ReadStepTable(s.m_strStepSecPath, 2, kAnyRows);
    s.m_masTable = ReadStepTable(s.m_strStepMasPath, 2, kAnyRows);
}

// The mA table, and its copy in the grid that the pre-heat editor changes.
void CConsole::ReadMaTable() {
    ConsoleState& s = m_state;
    s.m_maTable = ReadStepTable(s.m_strStepMaPath, 3, kMaGridRows);
    s.m_maGrid = MaGrid{};
    for (std::size_t row = 0; row < s.m_maTable.rows.size(); ++row) {
        s.m_maGrid[row] = s.m_maTable.rows[row];
    }
}

// A table that cannot be read is empty: the console shows nothing from it
// and allows nothing by it.
std::string CConsole::ReadDataFile(const std::string& path) {
    std::string bytes;
    if (!platform::ReadFileBytes(path, bytes)) {
        Log(FormatText("Can't read %s: its table is empty", path.c_str()), CLogFile::kError);
    } else if (bytes.empty()) {
        Log(FormatText("%s holds nothing: its table is empty", path.c_str()), CLogFile::kError);
    }
    return bytes;
}

StepTable CConsole::ReadStepTable(const std::string& path, int columnCount, std::size_t maxRows) {
    const std::string bytes = ReadDataFile(path);
    std::vector<std::string> notes;
    StepTable table = ParseStepTable(bytes, columnCount, maxRows, notes);
    for (const std::string& note : notes) {
        Log(path + ": " + note, CLogFile::kWarning);
    }
    return table;
}

OverGrid CConsole::ReadOverTable(const std::string& path) {
    const std::string bytes = ReadDataFile(path);
    std::vector<std::string> notes;
    OverGrid grid = ParseOverTable(bytes, notes);
    for (const std::string& note : notes) {
        Log(path + ": " + note, CLogFile::kWarning);
    }
    return grid;
}
