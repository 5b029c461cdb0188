// The options: receptor, rotor, AEC with its fields and density, and focus
// and mA scale following the mA step, with the methods each one sends.
#include "ConsoleParametersFixture.h"

using sim::LinkCall;

class ConsoleOptions : public ConsoleParametersFixture {};

TEST_F(ConsoleOptions, ReceptorAndRotorButtonsSendOnlyChanges) {
    StartCharged(); // BUCKY1, rotor low
    Press(panel::kBucky1);
    Press(panel::kRotorLow);
    EXPECT_TRUE(Calls().empty());

    Press(panel::kBucky2);
    Press(panel::kAux);
    EXPECT_EQ(Calls(), (std::vector<LinkCall>{{kMethodBucky2, {"00", "20"}},
                                              {kMethodBucky2, {"00", "20"}},
                                              {kMethodAux, {"00", "20"}},
                                              {kMethodAux, {"00", "20"}}}));
    EXPECT_TRUE(View(panel::kLampAux).lit);
    EXPECT_FALSE(View(panel::kAux).enabled);
    EXPECT_TRUE(View(panel::kBucky1).enabled);

    Clear();
    Press(panel::kRotorHigh);
    EXPECT_TRUE(Calls().empty()) << "the rotor method goes with the ready";
    EXPECT_TRUE(View(panel::kLampRotorHigh).lit);
    EXPECT_TRUE(View(panel::kRotorLow).enabled);
    EXPECT_FALSE(View(panel::kRotorHigh).enabled);
}

TEST_F(ConsoleOptions, AecOnFromAuxGoesToBucky1FirstAndOffUndoesIt) {
    StartCharged();
    Press(panel::kAux);
    Clear();

    Press(panel::kAec); // ref_data.dat: default 512, shift 0
    EXPECT_EQ(Calls(), (std::vector<LinkCall>{{kMethodBucky1, {"00", "20"}},
                                              {kMethodBucky1, {"00", "20"}},
                                              {kMethodAecReference, {"200", "01"}},
                                              {kMethodAecOn, {}},
                                              {kMethodAecOn, {}},
                                              {kMethodAecField, {"00", "07"}},
                                              {kMethodAecReference, {"200", "01"}}}));
    EXPECT_TRUE(View(panel::kLampAec).lit);
    EXPECT_FALSE(View(panel::kAux).enabled) << "AUX and AEC exclude each other";
    EXPECT_TRUE(View(panel::kField3).enabled);
    EXPECT_TRUE(View(panel::kDensityDown).enabled);
    EXPECT_EQ(View(panel::kDensityEdit).text, "0");
    EXPECT_EQ(panel->console.HostStatusText(), "40;10;0.1;0.025;0;2;1;1;1;0;");

    // The host's AUX cannot break the exclusion either.
    Clear();
    Host(102);
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(State().m_nBucky, 1);

    Press(panel::kAec);
    EXPECT_EQ(Calls(),
              (std::vector<LinkCall>{
                  {kMethodAecField, {"00", "00"}}, {kMethodAecOff, {}}, {kMethodAecOff, {}}}));
    EXPECT_FALSE(View(panel::kLampAec).lit);
    EXPECT_EQ(View(panel::kDensityEdit).text, "");
    EXPECT_FALSE(View(panel::kDensityUp).enabled);
    EXPECT_TRUE(View(panel::kAux).enabled);
    EXPECT_EQ(panel->console.HostStatusText(), "40;10;0.1;0.025;0;0;0;0;0;0;");
}

TEST_F(ConsoleOptions, FieldButtonsKeepOneFieldAndSendTheCombinationCode) {
    StartCharged();
    Press(panel::kAec); // all three fields: code 7
    // Each press, then the fields on and the code sent.
    const struct {
        int button;
        bool on1, on2, on3;
        const char* code;
    } steps[] = {
        {panel::kField1, false, true, true, "06"},  {panel::kField2, false, false, true, "03"},
        {panel::kField3, false, false, true, "03"}, // the only field stays on, sent again
        {panel::kField1, true, false, true, "05"},  {panel::kField2, true, true, true, "07"},
        {panel::kField3, true, true, false, "04"},  {panel::kField1, false, true, false, "02"},
        {panel::kField1, true, true, false, "04"},  {panel::kField2, true, false, false, "01"},
    };
    for (const auto& step : steps) {
        Clear();
        Press(step.button);
        EXPECT_EQ(Calls(), (std::vector<LinkCall>{{kMethodAecField, {"00", step.code}}}))
            << step.code;
        EXPECT_EQ(View(panel::kLampField1).lit, step.on1) << step.code;
        EXPECT_EQ(View(panel::kLampField2).lit, step.on2) << step.code;
        EXPECT_EQ(View(panel::kLampField3).lit, step.on3) << step.code;
    }
}

TEST_F(ConsoleOptions, DensityStepsWithinItsLimitsAndOffsetsTheReference) {
    StartCharged();
    Press(panel::kAec);
    // Density shown +1 .. +5: 512 + 12, 25, 38, 51, 63; then UP is ignored.
    for (const char* sent : {"20C", "219", "226", "233", "23F"}) {
        Clear();
        Press(panel::kDensityUp);
        EXPECT_EQ(Calls(), (std::vector<LinkCall>{{kMethodAecReference, {sent, "01"}}})) << sent;
    }
    EXPECT_EQ(View(panel::kDensityEdit).text, "5");
    Clear();
    Press(panel::kDensityUp);
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(State().m_nDensity, 11);

    for (int i = 0; i < 9; ++i) {
        Press(panel::kDensityDown);
    }
    Clear();
    Press(panel::kDensityDown); // shown -5: 512 - 64
    EXPECT_EQ(Calls(), (std::vector<LinkCall>{{kMethodAecReference, {"1C0", "01"}}}));
    EXPECT_EQ(View(panel::kDensityEdit).text, "-5");
    Clear();
    Press(panel::kDensityDown);
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(panel->console.HostStatusText(), "40;10;0.1;0.025;0;2;1;1;1;-5;");

    // A negative reference goes out as eight hex digits; BUCKY2 resends it
    // with its own receptor number.
    Modify([](ConsoleState& s) { s.m_nAecBase = -100; });
    Clear();
    Press(panel::kBucky2);
    EXPECT_EQ(Calls().back(), (LinkCall{kMethodAecReference, {"FFFFFF5C", "02"}}));

    // Without AEC the host's density steps are refused.
    Press(panel::kAec);
    Clear();
    Host(105);
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(State().m_nDensity, 0);
    EXPECT_TRUE(Logged("AEC is off"));
}

TEST_F(ConsoleOptions, FocusFrom200mAAndHighScaleFrom100mATwiceInModel2) {
    StartCharged();
    Modify([](ConsoleState& s) { s.m_nMaIndex = 9; }); // 80 mA
    // mA UP to 100 (high scale), 125, 160, 200 (large focus); then DN back.
    const struct {
        int button;
        const char* ma;
        std::vector<int> methods;
    } steps[] = {
        {panel::kMaUp, "100", {10, 10}}, {panel::kMaUp, "125", {}},
        {panel::kMaUp, "160", {}},       {panel::kMaUp, "200", {7, 7}},
        {panel::kMaDown, "160", {8, 8}}, {panel::kMaDown, "125", {}},
        {panel::kMaDown, "100", {}},     {panel::kMaDown, "80", {9, 9}},
    };
    for (const auto& step : steps) {
        Clear();
        Press(step.button);
        EXPECT_EQ(View(panel::kMaEdit).text, step.ma);
        EXPECT_EQ(CallIds(), step.methods) << step.ma;
    }
    EXPECT_TRUE(View(panel::kLampSmallFocus).lit);
    EXPECT_TRUE(View(panel::kLampLowScale).lit);

    // Model 1 sends each once.
    StartCharged("Model=1\r\n");
    Modify([](ConsoleState& s) { s.m_nMaIndex = 12; }); // 160 mA
    Press(panel::kMaUp);
    EXPECT_EQ(CallIds(), (std::vector<int>{7, 10}));
    EXPECT_TRUE(View(panel::kLampLargeFocus).lit);
    EXPECT_TRUE(View(panel::kLampHighScale).lit);
}
