// The exposure parameters: stepping with its limits, the OVER judgement,
// the shift editors and the pre-heat editor with their saves on the
// simulated desktop, failures included.
#include "ConsoleParametersFixture.h"

class ConsoleParameters : public ConsoleParametersFixture {
protected:
    // Owner notes that the OVER judgement sent ("sent <text>").
    std::string LastSent() const {
        for (auto it = panel->owner.rbegin(); it != panel->owner.rend(); ++it) {
            if (it->what.rfind("sent ", 0) == 0) {
                return it->what.substr(5);
            }
        }
        return "<none>";
    }
};

TEST_F(ConsoleParameters, StepsStopAtTheirLimitsWithTheirMessages) {
    StartCharged(); // 50 kW: kV 110, mA 18, sec 37, mAs 35
    const struct {
        int up;
        int down;
        int ConsoleState::*index;
        int masMode;
        int highest;
        const char* name;
    } steps[] = {
        {panel::kKvUp, panel::kKvDown, &ConsoleState::m_nKvIndex, 0, 110, "kV"},
        {panel::kMaUp, panel::kMaDown, &ConsoleState::m_nMaIndex, 0, 18, "mA"},
        {panel::kTimeUp, panel::kTimeDown, &ConsoleState::m_nSecIndex, 0, 37, "sec"},
        {panel::kTimeUp, panel::kTimeDown, &ConsoleState::m_nMasIndex, 1, 35, "mAs"},
    };
    for (const auto& step : steps) {
        const std::string name = step.name;
        Modify([&](ConsoleState& s) {
            s.m_bMasMode = step.masMode;
            s.*step.index = step.highest;
        });
        Clear();
        Press(step.up);
        EXPECT_EQ(State().*step.index, step.highest) << name;
        EXPECT_EQ(View(panel::kStatusEdit).text, name + " Select MAX !!");
        EXPECT_EQ(OwnerNotes(), (std::vector<std::string>{"status " + name + " Select MAX !!"}));

        Modify([&](ConsoleState& s) { s.*step.index = 0; });
        Press(step.down);
        EXPECT_EQ(State().*step.index, 0) << name;
        EXPECT_EQ(View(panel::kStatusEdit).text, name + " Select MIN !!");
    }

    // 20 kW (chosen while off) keeps kV step 100: UP reports the maximum at
    // once, DN steps down.
    Modify([](ConsoleState& s) {
        s.m_bMasMode = 0;
        s.m_nPowerPhase = kPhaseOff;
    });
    Press(panel::kModel20kW);
    Modify([](ConsoleState& s) {
        s.m_nPowerPhase = kPhasePowered;
        s.m_nKvIndex = 100;
    });
    Press(panel::kKvUp);
    EXPECT_EQ(View(panel::kStatusEdit).text, "kV Select MAX !!");
    Press(panel::kKvDown);
    EXPECT_EQ(State().m_nKvIndex, 99);
}

TEST_F(ConsoleParameters, AStepIsJudgedThenShownWithItsReferences) {
    StartCharged();
    Modify([](ConsoleState& s) { s.m_nMaIndex = 3; }); // 20 mA: mA group 0
    Press(panel::kKvUp);
    EXPECT_EQ(OwnerNotes(), (std::vector<std::string>{"sent "}));
    EXPECT_EQ(View(panel::kKvEdit).text, "41");
    EXPECT_EQ(View(panel::kKvRefEdit).text, "1119"); // [0 mA Step] 41 kV
    EXPECT_EQ(View(panel::kKvShiftEdit).text, "0");  // [kV Ref Shift] C-1_3 Step
    EXPECT_EQ(View(panel::kPreheatEdit).text, "16");

    Press(panel::kTimeUp);
    EXPECT_EQ(State().m_nSecIndex, 15);
    EXPECT_EQ(View(panel::kTimeEdit).text, "0.032");
    // The host steps mAs while the console is in time mode: edit 1003 keeps
    // showing the time.
    Host(18);
    EXPECT_EQ(State().m_nMasIndex, 1);
    EXPECT_EQ(View(panel::kTimeEdit).text, "0.032");
}

TEST_F(ConsoleParameters, OverJudgementAgainstTheTableOfTheMode) {
    StartCharged();
    // kV step 39 -> 40 (80 kV) at mA step 2, sec step 14 or mAs step 5.
    const struct {
        int masMode;
        int highestKv;
        bool over;
    } cases[] = {{0, 80, false}, {0, 79, true}, {0, 999, true}, {0, 150, false},
                 {1, 80, false}, {1, 79, true}, {1, 999, true}};
    for (const auto& c : cases) {
        Modify([&](ConsoleState& s) {
            s.m_bMasMode = c.masMode;
            s.m_nKvIndex = 39;
            s.m_nMaIndex = 2;
            s.m_nMasIndex = 5;
            s.m_overSec[2][14] = c.masMode == 0 ? c.highestKv : 999;
            s.m_overMas[2][5] = c.masMode == 1 ? c.highestKv : 999;
        });
        Press(panel::kKvUp);
        const std::string what = std::to_string(c.masMode) + "/" + std::to_string(c.highestKv);
        EXPECT_EQ(State().m_bOver, c.over ? 1 : 0) << what;
        EXPECT_EQ(View(panel::kLampOver).lit, c.over) << what;
        EXPECT_EQ(View(panel::kStatusEdit).text, c.over ? "OVER !!" : "") << what;
        EXPECT_EQ(LastSent(), c.over ? "OVER !!" : "") << what;
    }
}

TEST_F(ConsoleParameters, StepsBeyondTheirTableOrTheOverGridAreOver) {
    StartCharged();
    Modify([](ConsoleState& s) {
        for (auto& column : s.m_overSec) {
            column.fill(150);
        }
        for (auto& column : s.m_overMas) {
            column.fill(150);
        }
        s.m_secTable.rows.resize(40, StepRow{"9", "9", ""});
    });
    // Each case starts one step above and steps down onto the step named.
    const struct {
        const char* what;
        int down;
        int ConsoleState::*index;
        int ConsoleState::*highest;
        int masMode;
        int start;
    } cases[] = {
        {"kV step 111 of 111 rows", panel::kKvDown, &ConsoleState::m_nKvIndex,
         &ConsoleState::m_nKvMax, 0, 112},
        {"mA step 19 of 19 rows", panel::kMaDown, &ConsoleState::m_nMaIndex,
         &ConsoleState::m_nMaMax, 0, 20},
        {"mAs step 36 of 36 rows", panel::kTimeDown, &ConsoleState::m_nMasIndex,
         &ConsoleState::m_nMasMax, 1, 37},
        {"sec step 38: a row, but beyond the grid's 38 lines", panel::kTimeDown,
         &ConsoleState::m_nSecIndex, &ConsoleState::m_nSecMax, 0, 39},
    };
    for (const auto& c : cases) {
        Clear();
        Modify([&](ConsoleState& s) {
            s.m_nKvIndex = 0;
            s.m_nMaIndex = 0;
            s.m_nSecIndex = 14;
            s.m_nMasIndex = 0;
            s.m_bMasMode = c.masMode;
            s.*c.highest = 200;
            s.*c.index = c.start;
        });
        Press(c.down);
        EXPECT_EQ(State().*c.index, c.start - 1) << c.what;
        EXPECT_EQ(State().m_bOver, 1) << c.what;
        EXPECT_EQ(LastSent(), "OVER !!") << c.what;
        EXPECT_TRUE(Logged("counted as OVER")) << c.what;
        // One more step down is back in the tables, and allowed.
        Press(c.down);
        EXPECT_EQ(State().m_bOver, 0) << c.what;
    }
}

TEST_F(ConsoleParameters, ShiftEditorsStopAt20AndSaveToRefData) {
    StartCharged();
    Modify([](ConsoleState& s) { s.m_nMaIndex = 3; });
    const struct {
        int up, down, edit, save;
        int ConsoleState::*value;
        const char* name;
        const char* section;
        const char* key;
    } editors[] = {
        {panel::kKvShiftUp, panel::kKvShiftDown, panel::kKvShiftEdit, panel::kKvShiftSave,
         &ConsoleState::m_nKvShift, "kV Shift", "kV Ref Shift", "C-1_3 Step"},
        {panel::kMaShiftUp, panel::kMaShiftDown, panel::kMaShiftEdit, panel::kMaShiftSave,
         &ConsoleState::m_nMaShift, "mA Shift", "mA Ref Shift", "C-1_24 Step"},
        {panel::kSmallFocusUp, panel::kSmallFocusDown, panel::kSmallFocusEdit,
         panel::kSmallFocusSave, &ConsoleState::m_nSmallFocusShift, "mA Small Focus Shift",
         "mA Ref MAREF All Shift", "C-1_44 Step Small"},
        {panel::kLargeFocusUp, panel::kLargeFocusDown, panel::kLargeFocusEdit,
         panel::kLargeFocusSave, &ConsoleState::m_nLargeFocusShift, "mA Large Focus Shift",
         "mA Ref MAREF All Shift", "C-1_45 Step Large"},
    };
    for (const auto& e : editors) {
        const std::string name = e.name;
        Modify([&](ConsoleState& s) { s.*e.value = 20; });
        Clear();
        Press(e.up);
        EXPECT_EQ(State().*e.value, 20) << name;
        EXPECT_EQ(View(panel::kStatusEdit).text, name + " Select MAX !!");
        EXPECT_TRUE(View(e.save).enabled) << name;
        EXPECT_TRUE(OwnerNotes().empty()) << "shift messages stay on the panel";

        Modify([&](ConsoleState& s) { s.*e.value = -20; });
        Press(e.down);
        EXPECT_EQ(State().*e.value, -20) << name;
        EXPECT_EQ(View(panel::kStatusEdit).text, name + " Select MIN !!");

        Press(e.up);
        EXPECT_EQ(View(e.edit).text, "-19") << name;
        EXPECT_EQ(View(panel::kStatusEdit).text, "");
        Press(e.save);
        EXPECT_EQ(RefValue(e.section, e.key), -19) << name;
        EXPECT_FALSE(View(e.save).enabled) << name;
    }
    EXPECT_EQ(RefValue("kV Ref Shift", "C-1_4 Step"), 0) << "the rest of the file is kept";
    EXPECT_EQ(RefValue("AEC_Field_Data", "default"), 512);
    EXPECT_FALSE(platform::FileExists(DataPath("ref_data.dat.new")));

    // The next charge: from Charge ON OK the editors hold the stored values
    // of mA step 0, not those of step 3 left from before, nor 0 for the
    // focus shifts of a first charge.
    for (bool again : {true, false}) {
        if (again) {
            panel->console.PowerOff();
        } else {
            Start("Model=2\r\n");
        }
        PowerOnToCharge();
        Press(panel::kKvShiftUp);
        Press(panel::kKvShiftSave);
        EXPECT_EQ(RefValue("kV Ref Shift", "C-1_0 Step"), again ? 1 : 2) << again;
        Press(panel::kSmallFocusDown);
        EXPECT_EQ(View(panel::kSmallFocusEdit).text, "-20") << again;
        Press(panel::kLargeFocusUp);
        EXPECT_EQ(View(panel::kLargeFocusEdit).text, "-18") << again;
    }
}

TEST_F(ConsoleParameters, AFailedShiftSaveKeepsTheFileAndSaveEnabled) {
    StartCharged();
    const std::string before = ReadData("ref_data.dat");
    BlockReplacing("ref_data.dat");
    Press(panel::kKvShiftUp);
    Press(panel::kKvShiftSave);
    EXPECT_TRUE(View(panel::kKvShiftSave).enabled);
    EXPECT_EQ(View(panel::kStatusEdit).text, "Ref Data Save Fail !!");
    EXPECT_EQ(OwnerNotes(), (std::vector<std::string>{"status Ref Data Save Fail !!"}));
    EXPECT_TRUE(Logged("[1] Can't write"));
    EXPECT_EQ(ReadData("ref_data.dat"), before);
}

TEST_F(ConsoleParameters, PreheatStepsKeepTwoDigitsAndStopAtZero) {
    StartCharged();
    const struct {
        const char* cell;
        int button;
        const char* shown;
    } cases[] = {{"9", panel::kPreheatUp, "10"},   {"10", panel::kPreheatDown, "09"},
                 {"0", panel::kPreheatDown, "00"}, {"05", panel::kPreheatUp, "06"},
                 {"", panel::kPreheatUp, "01"},    {"99", panel::kPreheatUp, "100"}};
    for (const auto& c : cases) {
        Modify([&](ConsoleState& s) { s.m_maGrid[0][kThirdColumn] = c.cell; });
        Press(c.button);
        EXPECT_EQ(State().m_maGrid[0][kThirdColumn], c.shown) << c.cell;
        EXPECT_EQ(View(panel::kPreheatEdit).text, c.shown) << c.cell;
        EXPECT_TRUE(View(panel::kPreheatSave).enabled) << c.cell;
    }

    // An mA step beyond the table has no pre-heat to change.
    Modify([](ConsoleState& s) {
        s.m_nMaIndex = 19;
        s.m_view[panel::kPreheatSave].enabled = false;
    });
    const ConsoleState before = State();
    Press(panel::kPreheatUp);
    EXPECT_EQ(State(), before);
    EXPECT_TRUE(Logged("no pre-heat to change"));
}

TEST_F(ConsoleParameters, PreheatSaveReplacesStepMaWithTheTablesRows) {
    StartCharged();
    Modify([](ConsoleState& s) { s.m_nMaIndex = 2; }); // 16 mA, pre-heat 14
    std::string expected = ReadData("step_ma.dat");
    expected.replace(expected.find("20\tC8\t16"), 8, "20\tC8\t17");

    // An edit not saved is dropped when the mA step changes: SAVE writes
    // only the step shown.
    Press(panel::kPreheatUp);
    EXPECT_EQ(View(panel::kPreheatEdit).text, "15");
    Press(panel::kMaUp);
    EXPECT_EQ(View(panel::kPreheatEdit).text, "16");
    Press(panel::kPreheatUp);
    Press(panel::kPreheatSave);
    EXPECT_EQ(ReadData("step_ma.dat"), expected) << "19 rows, as the table had";
    EXPECT_FALSE(platform::FileExists(DataPath("step_ma.dat.new")));
    EXPECT_EQ(View(panel::kPreheatEdit).text, "17");
    for (int id : {panel::kPreheatUp, panel::kPreheatDown, panel::kPreheatSave}) {
        EXPECT_FALSE(View(id).enabled) << id;
    }
    Advance(499);
    EXPECT_FALSE(View(panel::kPreheatUp).enabled);
    Advance(1);
    EXPECT_TRUE(View(panel::kPreheatUp).enabled);
    EXPECT_TRUE(View(panel::kPreheatDown).enabled);
    EXPECT_FALSE(View(panel::kPreheatSave).enabled);
}

TEST_F(ConsoleParameters, AFailedPreheatSaveKeepsTheOldFileAndSaysSo) {
    StartCharged();
    const std::string before = ReadData("step_ma.dat");
    BlockReplacing("step_ma.dat");
    Press(panel::kPreheatUp); // 10 -> 11
    Press(panel::kPreheatSave);
    EXPECT_EQ(ReadData("step_ma.dat"), before);
    EXPECT_EQ(OwnerNotes(), (std::vector<std::string>{"status Over Data File Open Fail !!"}));
    EXPECT_NE(View(panel::kStatusEdit).text, "Over Data File Open Fail !!") << "logged only";
    EXPECT_TRUE(Logged("[1] Can't write"));
    EXPECT_EQ(View(panel::kPreheatEdit).text, "10") << "the table as read again";
    EXPECT_EQ(State().m_maGrid[0][kThirdColumn], "10");

    // Charge OFF OK before timer 8: the buttons stay disabled.
    panel->console.PowerOff();
    Advance(500);
    EXPECT_FALSE(View(panel::kPreheatUp).enabled);
}
