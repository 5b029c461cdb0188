// The console's data files: the table readers, and what set-up and the model
// buttons make of the files, good, short, oversized, missing or odd.
#include "ConsoleFixture.h"

namespace {

struct StepCase {
    const char* name;
    std::string bytes;
    int columns;
    std::size_t maxRows;
    std::vector<StepRow> rows;
    std::size_t notes;
};

} // namespace

TEST(ConsoleDataTables, StepTableRowsAndCells) {
    const StepCase cases[] = {
        {"CR LF rows",
         "40\t28\t444\r\n41\t29\t445\r\n",
         3,
         99,
         {{"40", "28", "444"}, {"41", "29", "445"}},
         0},
        {"last row without CR LF keeps its last cell",
         "1\tA\r\n2\tB",
         2,
         99,
         {{"1", "A", ""}, {"2", "B", ""}},
         0},
        {"lone LF and lone CR end rows",
         "1\tA\n2\tB\r3\tC\r\n",
         2,
         99,
         {{"1", "A", ""}, {"2", "B", ""}, {"3", "C", ""}},
         0},
        {"empty rows skipped",
         "\r\n1\tA\r\n\r\n\r\n2\tB\r\n\r\n",
         2,
         99,
         {{"1", "A", ""}, {"2", "B", ""}},
         0},
        {"short row keeps the next rows aligned",
         "10\t64\r\n12.5\r\n16\tA0\t14\r\n",
         3,
         99,
         {{"10", "64", ""}, {"12.5", "", ""}, {"16", "A0", "14"}},
         1},
        {"extra cells dropped", "1\tA\tX\tY\r\n", 2, 99, {{"1", "A", ""}}, 1},
        {"cut at the size", "1\r\n2\r\n3\r\n4", 1, 2, {{"1", "", ""}, {"2", "", ""}}, 1},
        {"empty file", "", 3, 99, {}, 0},
    };
    for (const StepCase& c : cases) {
        std::vector<std::string> notes;
        const StepTable table = ParseStepTable(c.bytes, c.columns, c.maxRows, notes);
        EXPECT_EQ(table.rows, c.rows) << c.name;
        EXPECT_EQ(notes.size(), c.notes) << c.name;
        EXPECT_EQ(table.LastRow(), static_cast<int>(c.rows.size()) - 1) << c.name;
        EXPECT_EQ(table.Cell(static_cast<int>(c.rows.size()), kDisplayColumn), nullptr) << c.name;
        EXPECT_EQ(table.Cell(-1, kDisplayColumn), nullptr) << c.name;
    }
}

TEST(ConsoleDataTables, OverTableCellsLinesAndCuts) {
    std::vector<std::string> notes;
    OverGrid grid = ParseOverTable("150\t80\t999\r\n\r\n120\t-5", notes);
    EXPECT_EQ(grid[0][0], 150);
    EXPECT_EQ(grid[1][0], 80);
    EXPECT_EQ(grid[2][0], 999);
    EXPECT_EQ(grid[0][1], 0) << "an empty line is a line, its cell 0";
    EXPECT_EQ(grid[0][2], 120);
    EXPECT_EQ(grid[1][2], -5) << "the last cell of a last line without CR LF";
    EXPECT_EQ(grid[3][0], kOverNotAllowed) << "a cell the file does not give";
    EXPECT_EQ(grid[0][3], kOverNotAllowed);
    EXPECT_TRUE(notes.empty());

    // 22 cells on each of 40 lines: the 22nd cell and the last 2 lines are cut.
    std::string big;
    for (int line = 0; line < 40; ++line) {
        for (int cell = 0; cell < 22; ++cell) {
            big += std::to_string(line * 100 + cell) + (cell < 21 ? "\t" : "\r\n");
        }
    }
    grid = ParseOverTable(big, notes);
    EXPECT_EQ(grid[20][37], 3720);
    EXPECT_EQ(notes.size(), 1u);

    // Cells that are not whole numbers are read up to their first non-digit
    // (letters give 0: every kV over) and counted in one note.
    notes.clear();
    grid = ParseOverTable("x\t-\t1e9\t 80 \t-5\t+7\r\n", notes);
    EXPECT_EQ(grid[0][0], 0);
    EXPECT_EQ(grid[2][0], 1);
    EXPECT_EQ(grid[3][0], 80);
    EXPECT_EQ(notes, (std::vector<std::string>{
                         "3 cells that are not whole numbers, read up to the first character "
                         "that is not a digit"}));
}

TEST(ConsoleDataTables, PortAddressTextAndMaGroups) {
    const std::pair<const char*, std::uint16_t> addresses[] = {
        {"278", 0x278}, {"278\r\n", 0x278}, {"0x3BC", 0x3BC}, {" 3bc", 0x3BC}, {"0", 0}, {"xyz", 0},
        {"", 0},        {"10378", 0x378},   {"378q", 0x378}};
    for (const auto& [text, address] : addresses) {
        EXPECT_EQ(ParsePortAddress(text), address) << text;
    }
    const std::pair<int, int> groups[] = {{0, 0},  {6, 0},  {7, 1},  {9, 1},
                                          {10, 2}, {11, 2}, {12, 3}, {18, 9}};
    for (const auto& [index, group] : groups) {
        EXPECT_EQ(MaGroupOf(index), group) << index;
    }
}

class ConsoleData : public ConsoleFixture {};

TEST_F(ConsoleData, SampleDataWithoutKeysStartsAt50kWInModel2) {
    Start("");
    const ConsoleState& s = State();
    EXPECT_EQ(s.m_nPowerModel, 4);
    EXPECT_EQ(View(panel::kModelEdit).text, "50kW");
    EXPECT_EQ((std::vector<int>{s.m_nKvMax, s.m_nMaMax, s.m_nSecMax, s.m_nMasMax}),
              (std::vector<int>{110, 18, 37, 35}));
    EXPECT_EQ(s.m_strOverFolder, m_root + "\\data\\over_50kW\\");
    EXPECT_EQ((std::vector<int>{s.m_nKvIndex, s.m_nMaIndex, s.m_nSecIndex, s.m_nMasIndex}),
              (std::vector<int>{0, 0, 14, 0}));
    EXPECT_EQ(s.m_nBucky, 1);
    EXPECT_EQ(s.m_nModel, 2);
    EXPECT_EQ(s.m_nDelayCheck, 50);
    EXPECT_EQ(s.m_nPortAddress, 0x378);
    EXPECT_EQ((std::vector<int>{s.m_nStandingCode, s.m_nReadyCode, s.m_nExposureCode}),
              (std::vector<int>{48, 32, 0}));
    EXPECT_EQ(s.m_kvTable.rows.size(), 111u);
    EXPECT_EQ(s.m_maTable.rows.size(), 19u);
    EXPECT_EQ(s.m_secTable.rows.size(), 38u);
    EXPECT_EQ(s.m_masTable.rows.size(), 36u);
    EXPECT_EQ(s.m_maGrid[18], (StepRow{"630", "189C", "46"}));
    EXPECT_EQ(s.m_maGrid[19], (StepRow{}));
    EXPECT_EQ(s.m_overSec[18][37], 79); // 50 kW at 630 mA
    EXPECT_EQ(s.m_overMas[18][0], kOverNotAllowed);
    // Model 2: the link poll every 10 ms, the port untouched.
    EXPECT_EQ(s.m_nPollTimer, kTimerLinkPoll);
    EXPECT_EQ(Remaining(kTimerLinkPoll), 10);
    EXPECT_TRUE(panel->port.writes.empty());
    EXPECT_TRUE(panel->logs.empty());
}

TEST_F(ConsoleData, ModelButtonsSetLimitsAndOverTablesAndKeepTheIndexes) {
    Start("MDPSC=4\r\nModel=1\r\n");
    ConsoleState state = State();
    state.m_nKvIndex = 100;
    panel->console.RestoreState(state);
    struct ModelCase {
        int button;
        const char* text;
        std::vector<int> limits;
        int overAt250mA; // over_mA_sec.dat, mA step 14
    };
    const ModelCase cases[] = {{panel::kModel20kW, "20kW", {85, 14, 37, 34}, 80},
                               {panel::kModel32kW, "32kW", {85, 16, 37, 34}, 128},
                               {panel::kModel40kW, "40kW", {85, 17, 37, 34}, 150},
                               {panel::kModel50kW, "50kW", {110, 18, 37, 35}, 150}};
    for (const ModelCase& c : cases) {
        EXPECT_TRUE(panel->console.OnCommand(c.button));
        const ConsoleState& s = State();
        EXPECT_EQ(View(panel::kModelEdit).text, c.text);
        EXPECT_EQ((std::vector<int>{s.m_nKvMax, s.m_nMaMax, s.m_nSecMax, s.m_nMasMax}), c.limits)
            << c.text;
        EXPECT_EQ(s.m_overSec[14][20], c.overAt250mA) << c.text;
        EXPECT_EQ(s.m_nKvIndex, 100) << c.text;
    }
}

TEST_F(ConsoleData, HostSettingsAndPortAddressFile) {
    struct SettingsCase {
        const char* keys;
        const char* paraio; // null: no file
        std::uint16_t address;
        int delay;
        int model;
        const char* modelText;
        bool warned;
    };
    const SettingsCase cases[] = {
        {"Model=1\r\nDelayCheck=20\r\n", "278", 0x278, 20, 1, "50kW", false},
        {"MDPSC=1\r\n", nullptr, 0x378, 50, 2, "20kW", false},
        {"MDPSC=7\r\n", "0", 0x378, 50, 2, "", true},
        {"DelayCheck=0\r\n", "xyz", 0x378, 50, 2, "50kW", true},
        {"Model=3\r\n", "0x3BC", 0x3BC, 50, 3, "50kW", true},
    };
    for (const SettingsCase& c : cases) {
        RemoveData("paraio.dat");
        if (c.paraio != nullptr) {
            WriteData("paraio.dat", c.paraio);
        }
        Start(c.keys);
        EXPECT_EQ(State().m_nPortAddress, c.address) << c.keys;
        EXPECT_EQ(State().m_nDelayCheck, c.delay) << c.keys;
        EXPECT_EQ(State().m_nModel, c.model) << c.keys;
        EXPECT_EQ(View(panel::kModelEdit).text, c.modelText) << c.keys;
        EXPECT_EQ(!panel->logs.empty(), c.warned) << c.keys;
    }
    // An unknown power model reads the 20 kW over tables.
    Start("MDPSC=0\r\n");
    EXPECT_EQ(State().m_strOverFolder, m_root + "\\data\\over_20kW\\");
    EXPECT_EQ(State().m_nKvMax, 85);
}

TEST_F(ConsoleData, MissingFilesGiveEmptyTablesAndNothingAllowed) {
    RemoveData("*");
    Start("Model=1\r\n");
    const ConsoleState& s = State();
    EXPECT_EQ(s.m_kvTable.LastRow(), -1);
    EXPECT_EQ(s.m_maTable.LastRow(), -1);
    EXPECT_EQ(s.m_overMas, ClosedOverGrid());
    EXPECT_EQ(s.m_overSec, ClosedOverGrid());
    EXPECT_EQ(s.m_nPortAddress, 0x378);
    EXPECT_EQ(s.m_nStandingCode, 0);
    // One error line per table (four step tables, two over tables), none for
    // the optional port address file.
    EXPECT_EQ(panel->logs.size(), 6u);
    EXPECT_TRUE(Logged("[1] Can't read " + m_root + "\\data\\step_kv.dat"));
    EXPECT_FALSE(Logged("paraio"));
    // A file that is there but holds nothing is named as well.
    WriteData("step_sec.dat", "");
    Start("");
    EXPECT_TRUE(Logged("[1] " + m_root + "\\data\\step_sec.dat holds nothing: its table is empty"));
}

TEST_F(ConsoleData, OversizedAndShortTablesAreCutOrServeOnlyTheirRows) {
    std::string ma;
    for (int row = 0; row < 25; ++row) {
        ma += std::to_string(row * 100 + 10) + "\t1\t05\r\n";
    }
    WriteData("step_ma.dat", ma);
    WriteData("step_kv.dat", "40\t28\t444\r\n41\t29\t445");
    Start("");
    EXPECT_EQ(State().m_maTable.rows.size(), 21u);
    EXPECT_EQ(State().m_maGrid[20][kDisplayColumn], "2010");
    EXPECT_TRUE(Logged("[2] " + m_root + "\\data\\step_ma.dat: 4 rows beyond"));
    EXPECT_EQ(State().m_kvTable.rows.back(), (StepRow{"41", "29", "445"}));

    // A kV step beyond the short table shows nothing; an mA step beyond its
    // table leaves focus and scale alone.
    ConsoleState state = State();
    state.m_nKvIndex = 2;
    state.m_nMaIndex = 30;
    panel->console.RestoreState(state);
    panel->console.PowerOn();
    Report("PS", "01");
    Report("R101", "01");
    StateCode("RS04");
    Advance(1000);
    EXPECT_EQ(View(panel::kKvEdit).text, "");
    EXPECT_EQ(View(panel::kMaEdit).text, "");
    EXPECT_EQ(View(panel::kPreheatEdit).text, "");
    EXPECT_TRUE(Logged("mA step 30 is not in"));
}

TEST_F(ConsoleData, ChargeCompletionShowsStepsAndSignedReferenceData) {
    WriteData("ref_data.dat",
              "[0 mA Step]\r\n40 kV=1100\r\n[kV Ref Shift]\r\nC-1_0 Step=-20\r\n"
              "[0 kV Step]\r\n0 mA Step=1200\r\n[mA Ref Shift]\r\nC-1_21 Step=-3\r\n"
              "[mA Ref MAREF All Shift]\r\nC-1_44 Step Small=-2\r\n");
    Start("");
    panel->console.PowerOn();
    Report("PS", "01");
    Report("R101", "01");
    StateCode("RS04");
    Advance(1000);
    const std::pair<int, const char*> shown[] = {
        {panel::kKvEdit, "40"},      {panel::kMaEdit, "10"},         {panel::kTimeEdit, "0.025"},
        {panel::kKvRefEdit, "1100"}, {panel::kKvShiftEdit, "-20"},   {panel::kMaRefEdit, "1200"},
        {panel::kMaShiftEdit, "-3"}, {panel::kSmallFocusEdit, "-2"}, {panel::kLargeFocusEdit, "0"},
        {panel::kPreheatEdit, "10"}};
    for (const auto& [id, text] : shown) {
        EXPECT_EQ(View(id).text, text) << id;
    }
    EXPECT_EQ(State().m_nKvShift, -20);
    EXPECT_TRUE(View(panel::kLampSec).lit);
    EXPECT_FALSE(View(panel::kLampMas).lit);
}

TEST_F(ConsoleData, HostStatusTextFromTheCurrentSteps) {
    Start("");
    EXPECT_EQ(panel->console.HostStatusText(), "40;10;0.1;0.025;0;0;0;0;0;0;");
    ConsoleState state = State();
    state.m_nKvIndex = 30;
    state.m_nMasIndex = 200; // beyond the table: no text
    state.m_bLargeFocus = 1;
    state.m_bMasMode = 1;
    state.m_bField1 = 1;
    state.m_bField3 = 4;
    state.m_nDensity = 8;
    panel->console.RestoreState(state);
    EXPECT_EQ(panel->console.HostStatusText(), "70;10;;0.025;1;1;0;0;0;0;");
    state.m_bAec = 1;
    panel->console.RestoreState(state);
    EXPECT_EQ(panel->console.HostStatusText(), "70;10;;0.025;1;2;1;0;1;2;");
}
