// The host's console commands, the parameter report they can be checked
// with, and the reference texts that the ready sequence takes from
// ref_data.dat as saved.
#include "ConsoleParametersFixture.h"

using sim::LinkCall;

class ConsoleParametersHost : public ConsoleParametersFixture {
protected:
    // The last call of `method`.
    sim::LinkCall LastCall(int method) {
        for (auto it = Calls().rbegin(); it != Calls().rend(); ++it) {
            if (it->dispatchId == method) {
                return *it;
            }
        }
        return {};
    }
};

TEST_F(ConsoleParametersHost, StepCodesAndIgnoredCodes) {
    StartCharged();
    const struct {
        unsigned code;
        int ConsoleState::*index;
        int value;
    } steps[] = {
        {9, &ConsoleState::m_nKvIndex, 1},    {10, &ConsoleState::m_nKvIndex, 0},
        {12, &ConsoleState::m_nMaIndex, 1},   {13, &ConsoleState::m_nMaIndex, 0},
        {15, &ConsoleState::m_nSecIndex, 15}, {16, &ConsoleState::m_nSecIndex, 14},
        {18, &ConsoleState::m_nMasIndex, 1},  {19, &ConsoleState::m_nMasIndex, 0},
    };
    for (const auto& step : steps) {
        Host(step.code);
        EXPECT_EQ(State().*step.index, step.value) << step.code;
    }
    Host(10);
    EXPECT_EQ(View(panel::kStatusEdit).text, "kV Select MIN !!");

    const ConsoleState before = State();
    for (unsigned code : {0u, 11u, 14u, 17u, 20u, 100u, 111u, 112u, 742067u}) {
        Host(code, "1");
        EXPECT_EQ(State(), before) << code;
    }
    EXPECT_TRUE(Calls().empty());
}

TEST_F(ConsoleParametersHost, FieldRequestsReceptorsDensityAndModes) {
    StartCharged();
    Host(109); // AEC off: mAs mode, field digits 0 0 0 -> field 2, then AEC on
    EXPECT_EQ(State().m_bAec, 1);
    EXPECT_EQ(State().m_bMasMode, 1);
    EXPECT_EQ(State().m_nFieldTens, 1);
    EXPECT_EQ(panel->console.HostStatusText(), "40;10;0.25;0.025;0;2;1;1;1;0;");
    Clear();
    Host(109); // AEC already on: nothing
    EXPECT_TRUE(Calls().empty());

    // Field requests: digit 1 on, any other off unless it is the last one on.
    const struct {
        const char* text;
        const char* code;
        const char* report;
    } requests[] = {
        {"10", "02", "0;1;0;"}, // only field 2 left on
        {"0", "02", "0;1;0;"},  // field 2 stays: the only one on
        {"111", "07", "1;1;1;"}, {"101", "05", "1;0;1;"}, {"7", "03", "0;0;1;"},
    };
    for (const auto& r : requests) {
        Clear();
        Host(101, r.text);
        EXPECT_EQ(Calls(), (std::vector<LinkCall>{{kMethodAecField, {"00", r.code}}})) << r.text;
        EXPECT_EQ(panel->console.HostStatusText(),
                  std::string("40;10;0.25;0.025;0;2;") + r.report + "0;")
            << r.text;
    }
    Clear();
    Host(101, "-10");
    EXPECT_TRUE(Calls().empty());
    EXPECT_TRUE(Logged("Field request -10 refused"));

    // Receptors as their buttons, density as its buttons.
    Clear();
    Host(104);
    Host(103);
    Host(105);
    Host(106);
    Host(106);
    EXPECT_EQ(Calls(), (std::vector<LinkCall>{{kMethodBucky2, {"00", "20"}},
                                              {kMethodBucky2, {"00", "20"}},
                                              {kMethodAecReference, {"200", "02"}},
                                              {kMethodBucky1, {"00", "20"}},
                                              {kMethodBucky1, {"00", "20"}},
                                              {kMethodAecReference, {"200", "01"}},
                                              {kMethodAecReference, {"20C", "01"}},
                                              {kMethodAecReference, {"200", "01"}},
                                              {kMethodAecReference, {"1F3", "01"}}}));
    EXPECT_EQ(panel->console.HostStatusText(), "40;10;0.25;0.025;0;2;0;0;1;-1;");

    // 107: AEC off, then time mode; 108: mAs mode; each rounds up from the
    // other (0.25 mAs / 10 mA = 0.025 s; 0.025 s x 10 mA = 0.25 mAs).
    Clear();
    Host(107);
    EXPECT_EQ(CallIds(), (std::vector<int>{kMethodAecField, kMethodAecOff, kMethodAecOff}));
    EXPECT_EQ(panel->console.HostStatusText(), "40;10;0.25;0.025;0;0;0;0;0;0;");
    EXPECT_EQ(View(panel::kTimeEdit).text, "0.025");
    Host(108);
    EXPECT_EQ(panel->console.HostStatusText(), "40;10;0.25;0.025;0;1;0;0;0;0;");
    EXPECT_EQ(View(panel::kTimeEdit).text, "0.25");
    Host(12);
    Host(108); // 108 again starts from time mode: still mAs mode
    EXPECT_EQ(State().m_bMasMode, 1);
}

TEST_F(ConsoleParametersHost, ReadyTakesTheSavedShiftsNotTheStepped) {
    StartCharged();
    // kV step 0, mA step 0: kV ref 1092 = 0x444 with kV shift 0; mA ref 1200
    // + mA shift 2 + small focus -2 = 0x4B0; pre-heat 1200 - 10 = 0x4A6.
    for (int i = 0; i < 3; ++i) {
        Press(panel::kKvShiftUp);
    }
    EXPECT_EQ(View(panel::kKvShiftEdit).text, "3");
    Press(panel::kReady);
    EXPECT_EQ(LastCall(kMethodKv), (LinkCall{kMethodKv, {"28", "444", "444"}}));
    EXPECT_EQ(LastCall(kMethodMa), (LinkCall{kMethodMa, {"64", "4B0", "4A6"}}));
    Press(panel::kReadyCancel);

    // Another step shows the saved shift again; a saved one counts.
    Press(panel::kKvUp);
    Press(panel::kKvDown);
    EXPECT_EQ(View(panel::kKvShiftEdit).text, "0");
    Press(panel::kKvShiftDown);
    Press(panel::kKvShiftSave);
    Advance(10); // the poll at standing enables Ready again
    Press(panel::kReady);
    EXPECT_EQ(LastCall(kMethodKv), (LinkCall{kMethodKv, {"28", "443", "444"}}));
}

// Parameters and options change only while charged and while no exposure is
// armed: the generator keeps what it was sent, and the panel and the host
// see just that. A host code is refused with a log line; the panel's choice
// buttons are disabled from ready start until the end or the cancel.
TEST_F(ConsoleParametersHost, ChoicesWaitForTheChargeAndForNoExposureArmed) {
    const struct {
        unsigned code;
        const char* text;
    } codes[] = {
        {9, ""},   {10, ""},  {12, ""},   {13, ""},  {15, ""},  {16, ""},
        {18, ""},  {19, ""},  {101, "1"}, {102, ""}, {103, ""}, {104, ""},
        {105, ""}, {106, ""}, {107, ""},  {108, ""}, {109, ""}, {110, "80;200;0.1;20;0;0;0;0;0"}};
    const auto refusesAll = [&](const char* why) {
        const ConsoleState before = State();
        for (const auto& c : codes) {
            Clear();
            Host(c.code, c.text);
            EXPECT_EQ(State(), before) << why << " " << c.code;
            EXPECT_TRUE(Calls().empty()) << why << " " << c.code;
            EXPECT_TRUE(
                Logged("Host console command " + std::to_string(c.code) + " refused: " + why))
                << c.code;
        }
    };

    // Powered on, not yet charged.
    Start("Model=2\r\n");
    panel->console.PowerOn();
    Report("PS", "01");
    Advance(1000);
    Report("R101", "3A");
    refusesAll("the console is not charged");

    // Charged with a ready from the Ready button, then X-ray ended: armed
    // until the exposure's end.
    StartCharged();
    Host(109); // AEC on: the field and density buttons are in use
    Press(panel::kReady);
    const int choices[] = {panel::kKvUp,   panel::kMaUp,     panel::kTimeDown,  panel::kChange,
                           panel::kAux,    panel::kBucky2,   panel::kRotorHigh, panel::kAec,
                           panel::kField1, panel::kDensityUp};
    for (int id : choices) {
        EXPECT_FALSE(View(id).enabled) << id;
    }
    refusesAll("an exposure is armed");
    StateCode("RS05");
    Press(panel::kExposure);
    StateCode("RS06");
    StateCode("RS07");
    refusesAll("an exposure is armed");
    Clear();
    const ConsoleState armed = State();
    Press(panel::kMaUp); // a click that reaches the rules all the same
    EXPECT_EQ(State(), armed);
    EXPECT_TRUE(Calls().empty()) << "no focus or scale method under X-ray";
    EXPECT_TRUE(Logged("Control 1007 refused: an exposure is armed"));

    // The exposure's end gives the buttons back as the choices leave them.
    Advance(500);
    for (int id : {panel::kKvUp, panel::kMaUp, panel::kTimeDown, panel::kChange, panel::kBucky2,
                   panel::kRotorHigh, panel::kAec, panel::kField1, panel::kDensityUp}) {
        EXPECT_TRUE(View(id).enabled) << id;
    }
    for (int id : {panel::kAux, panel::kBucky1, panel::kRotorLow}) {
        EXPECT_FALSE(View(id).enabled) << id;
    }
    Host(12);
    EXPECT_EQ(State().m_nMaIndex, 1);

    // A ready cancelled likewise.
    Host(107); // AEC off
    Press(panel::kReady);
    Press(panel::kReadyCancel);
    EXPECT_TRUE(View(panel::kMaUp).enabled);
    EXPECT_FALSE(View(panel::kField1).enabled);
    EXPECT_TRUE(View(panel::kAux).enabled);
}
