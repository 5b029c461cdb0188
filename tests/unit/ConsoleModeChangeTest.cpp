// The sec/mAs mode change (rounding up, within the power model's steps) and
// the host's complete exposure matched to the nearest steps.
#include "ConsoleParametersFixture.h"

#include "console/StepMatching.h"

#include <cmath>
#include <limits>

using sim::LinkCall;

namespace {

StepTable Steps(std::initializer_list<const char*> values) {
    StepTable table;
    for (const char* value : values) {
        table.rows.push_back(StepRow{value, "", ""});
    }
    return table;
}

} // namespace

TEST(ConsoleStepMatching, RoundingUpWithinTheSelectableSteps) {
    const StepTable mas = Steps({"10", "12.5", "16", "20", "25", "32"});
    const struct {
        double value;
        int top;
        int step;
    } cases[] = {
        {12.0, 5, 1},   // 100 mA x 0.12 s: up to 12.5, not the nearer 10
        {12.5, 5, 1},   // equal selects that step
        {100.0, 3, 3},  // above the top selectable step: that step
        {1.0, 5, 0},    // below step 0: step 0
        {12.0, -1, -1}, // an empty table
        {std::nan(""), 5, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FirstStepAtLeast(mas, c.top, c.value), c.step) << c.value << " top " << c.top;
    }
    // 0.1 x 3 is 0.30000000000000004 in binary: still the step 0.3.
    EXPECT_EQ(FirstStepAtLeast(Steps({"0.2", "0.3", "0.4"}), 2, 0.1 * 3), 1);
    EXPECT_EQ(TopSelectableStep(mas, 35), 5) << "a short table";
    EXPECT_EQ(TopSelectableStep(mas, 3), 3);
}

TEST(ConsoleStepMatching, NearestStepTiesToTheLowerAndRefusesValuesOutside) {
    const StepTable ma = Steps({"80", "100", "125"});
    const StepTable sec = Steps({"0.1", "0.125", "0.16"});
    const struct {
        const StepTable* table;
        StepReading reading;
        double value;
        int top;
        int step;
    } cases[] = {
        {&ma, StepReading::kInteger, 90, 2, 0}, // halfway: the lower
        {&ma, StepReading::kInteger, 91, 2, 1},
        {&ma, StepReading::kInteger, 80, 2, 0},
        {&ma, StepReading::kInteger, 125, 2, 2},     // the last step itself
        {&ma, StepReading::kInteger, 79, 2, -1},     // below step 0
        {&ma, StepReading::kInteger, 126, 2, -1},    // above the last step
        {&sec, StepReading::kDecimal, 0.1125, 2, 0}, // halfway up to binary rounding
        {&sec, StepReading::kDecimal, 0.15, 2, 2},
        {&sec, StepReading::kDecimal, 0.11, 2, 0},
        {&sec, StepReading::kDecimal, std::numeric_limits<double>::infinity(), 2, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NearestStep(*c.table, c.top, c.value, c.reading), c.step) << c.value;
    }
}

class ConsoleModeChange : public ConsoleParametersFixture {};

TEST_F(ConsoleModeChange, ChangeRoundsUpBothWaysAndClampsToTheModelsSteps) {
    StartCharged();
    Modify([](ConsoleState& s) {
        s.m_nMaIndex = 10;                 // 100 mA
        s.m_secTable.rows[14][0] = "0.12"; // 12 mAs
    });
    Press(panel::kChange);
    EXPECT_EQ(State().m_bMasMode, 1);
    EXPECT_EQ(State().m_nMasIndex, 21);
    EXPECT_EQ(View(panel::kTimeEdit).text, "12.5");
    EXPECT_TRUE(View(panel::kLampMas).lit);
    EXPECT_FALSE(View(panel::kLampSec).lit);
    EXPECT_EQ(OwnerNotes(), (std::vector<std::string>{"sent "})) << "judged before shown";

    // Back: 12.5 mAs / 100 mA = 0.125 s exactly, not the 0.12 it came from.
    Press(panel::kChange);
    EXPECT_EQ(State().m_bMasMode, 0);
    EXPECT_EQ(State().m_nSecIndex, 21);
    EXPECT_EQ(View(panel::kTimeEdit).text, "0.125");

    // 20 kW: 630 mA x 5 s is above mAs step 34 (250), the model's top, which
    // is taken rather than the table's last row; 10 mA x 1 ms is below step 0.
    Modify([](ConsoleState& s) { s.m_nPowerPhase = kPhaseOff; }); // the model is chosen off
    Press(panel::kModel20kW);
    Modify([](ConsoleState& s) { s.m_nPowerPhase = kPhasePowered; });
    const struct {
        int ma;
        int sec;
        int mas;
    } cases[] = {{18, 37, 34}, {0, 0, 0}};
    for (const auto& c : cases) {
        Modify([&](ConsoleState& s) {
            s.m_bMasMode = 0;
            s.m_nMaIndex = c.ma;
            s.m_nSecIndex = c.sec;
        });
        Press(panel::kChange);
        EXPECT_EQ(State().m_nMasIndex, c.mas) << c.ma;
    }

    // A step that cannot be read keeps the other mode's step.
    Modify([](ConsoleState& s) {
        s.m_bMasMode = 1;
        s.m_nMaIndex = 19;
        s.m_nSecIndex = 7;
    });
    Press(panel::kChange);
    EXPECT_EQ(State().m_nSecIndex, 7);
    EXPECT_EQ(State().m_bMasMode, 0);
    EXPECT_EQ(State().m_bOver, 1);
    EXPECT_TRUE(Logged("gives no sec step"));
}

TEST_F(ConsoleModeChange, HostExposureMatchesTheNearestStepsThenSetsTheMode) {
    StartCharged();
    // Mode 0 whose time and mAs disagree: the time comes from the mAs.
    Host(110, "80;200;1;20;0;0;0;0;0");
    const ConsoleState& s = State();
    EXPECT_EQ((std::vector<int>{s.m_nKvIndex, s.m_nMaIndex, s.m_nMasIndex}),
              (std::vector<int>{40, 13, 23}));
    EXPECT_EQ(s.m_bMasMode, 0);
    EXPECT_EQ(s.m_nSecIndex, 20) << "20 mAs / 200 mA = 0.1 s, not the 1 s asked";
    EXPECT_EQ(View(panel::kKvEdit).text, "80");
    EXPECT_EQ(View(panel::kMaEdit).text, "200");
    EXPECT_EQ(View(panel::kTimeEdit).text, "0.1");
    EXPECT_EQ(CallIds(), (std::vector<int>{7, 7, 10, 10})) << "large focus, high scale";

    // Mode 1, ties to the lower step (90 mA between 80 and 100, 0.1125 s
    // between 0.1 and 0.125): mAs from the time, 0.1 s x 80 mA = 8 mAs.
    Host(110, "60;90;0.1125;50;1");
    EXPECT_EQ((std::vector<int>{s.m_nKvIndex, s.m_nMaIndex, s.m_nSecIndex, s.m_nMasIndex}),
              (std::vector<int>{20, 9, 20, 19}));
    EXPECT_EQ(s.m_bMasMode, 1);
    EXPECT_EQ(panel->console.HostStatusText(), "60;80;8;0.1;0;1;0;0;0;0;");
}

TEST_F(ConsoleModeChange, HostExposureInMode2KeepsTheHostsFields) {
    StartCharged();
    Host(110, "70;100;0.1;10;2;0;1;0;1"); // fields 1 and 3
    EXPECT_EQ(State().m_bAec, 1);
    EXPECT_EQ(State().m_bMasMode, 1);
    std::vector<LinkCall> fieldCalls;
    for (const LinkCall& call : Calls()) {
        if (call.dispatchId == kMethodAecField) {
            fieldCalls.push_back(call);
        }
    }
    EXPECT_EQ(fieldCalls, (std::vector<LinkCall>{{kMethodAecField, {"00", "05"}}}));
    EXPECT_EQ(panel->console.HostStatusText(), "70;100;10;0.1;0;2;1;0;1;0;");
    EXPECT_EQ(
        (std::vector<int>{State().m_nFieldOnes, State().m_nFieldTens, State().m_nFieldHundreds}),
        (std::vector<int>{1, 0, 1}));

    // No field asked for: field 2. Then mode 0 turns AEC off first.
    Host(110, "70;100;0.1;10;2");
    EXPECT_EQ(panel->console.HostStatusText(), "70;100;10;0.1;0;2;0;1;0;0;");
    Clear();
    Host(110, "70;100;0.1;10;0");
    EXPECT_EQ(Calls(),
              (std::vector<LinkCall>{
                  {kMethodAecField, {"00", "00"}}, {kMethodAecOff, {}}, {kMethodAecOff, {}}}));
    EXPECT_EQ(State().m_bAec, 0);
    EXPECT_EQ(State().m_bMasMode, 0);
}

TEST_F(ConsoleModeChange, HostExposureOutsideTheTablesChangesNothing) {
    StartCharged("Model=2\r\nMDPSC=1\r\n"); // 20 kW: mA up to step 14 (250 mA)
    const ConsoleState before = State();
    const struct {
        const char* text;
        bool logged;
    } cases[] = {
        {"39;100;0.1;10;0", true},    // below the first kV step
        {"151;100;0.1;10;0", true},   // above the last kV step
        {"80;631;0.1;10;0", true},    // above the last mA step
        {"80;100;0.1;400;1", true},   // mAs above the last step
        {"80;100;0.0005;10;1", true}, // time below the first step
        {"80;100;0.1;10;3", true},    // no such mode
        {"80;100;0;10;0", false},     // a time of 0: nothing at all
        {"0;100;0.1;10;0", false},    {"", false},
    };
    for (const auto& c : cases) {
        Clear();
        Host(110, c.text);
        EXPECT_EQ(State(), before) << c.text;
        EXPECT_TRUE(Calls().empty()) << c.text;
        EXPECT_EQ(Logged("refused"), c.logged) << c.text;
    }

    // Within the tables, above the model's steps: matched, the derived time
    // held within the model, then judged. 300 mAs takes 320 (step 35, above
    // the model's 34); 320 mAs / 200 mA = 1.6 s, allowed up to 100 kV.
    Host(110, "80;200;1.5;300;0");
    EXPECT_EQ((std::vector<int>{State().m_nKvIndex, State().m_nMaIndex, State().m_nSecIndex,
                                State().m_nMasIndex, State().m_bMasMode, State().m_bOver}),
              (std::vector<int>{40, 13, 32, 35, 0, 0}));
    EXPECT_EQ(View(panel::kTimeEdit).text, "1.6");
    EXPECT_FALSE(Logged("refused"));
    // 320 mA (step 15, above the model's 14) allows 62 kV at 1 s: OVER.
    Host(110, "80;320;1;300;0");
    EXPECT_EQ(State().m_nMaIndex, 15);
    EXPECT_EQ(State().m_bOver, 1);
    EXPECT_EQ(View(panel::kStatusEdit).text, "OVER !!");
}
