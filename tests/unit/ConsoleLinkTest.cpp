// The link control's events as the console handles them: state codes,
// reports with their latches and the watchdog, data; and the state as a
// value that two identical runs reproduce.
#include "ConsoleFixture.h"

#include <unordered_set>

class ConsoleLink : public ConsoleFixture {
protected:
    // Model 2, powered on and charged.
    void Charged() {
        Start("Model=2\r\n");
        panel->console.PowerOn();
        Report("PS", "01");
        Report("R101", "3A");
        StateCode("RS04");
        Advance(1000);
        Clear();
    }
    void Preset(void (*change)(ConsoleState&)) {
        ConsoleState state = State();
        change(state);
        panel->console.RestoreState(state);
    }
};

TEST_F(ConsoleLink, StateCodesShowTheirTextsAndOthersChangeNothing) {
    Start("Model=2\r\n");
    const std::pair<const char*, const char*> shown[] = {
        {"RS01", "Generator Ready"}, {"RS02", "Generator Busy"}, {"RS03", "Generator Wait"}};
    for (const auto& [code, text] : shown) {
        StateCode(code);
        EXPECT_EQ(View(panel::kStatusEdit).text, text) << code;
    }
    const ConsoleState before = State();
    Clear();
    StateCode("rs04");
    StateCode("RS04 ");
    StateCode("RS08");
    Report("PS", "1");
    Report("LINK", "56");
    Report("HS", "10");
    Report("R106", "01");
    panel->link.Raise(kEventData, {"R202", "1", "2"});
    panel->link.Raise(3, {"RS04", "x"});
    panel->link.Raise(4, {"RS04"});
    panel->link.Raise(kEventStateCode, {});
    panel->link.Raise(kEventReport, {"PS"});
    EXPECT_EQ(State(), before);
    EXPECT_TRUE(Calls().empty());
    EXPECT_TRUE(OwnerNotes().empty());
}

TEST_F(ConsoleLink, HandSwitchReportsAndTheWatchdog) {
    struct HsCase {
        const char* value;
        void (*preset)(ConsoleState&);
        int linkSwitch;
        bool watchdog;
    };
    const HsCase cases[] = {
        {"30", [](ConsoleState&) {}, 0x30, true},
        {"20", [](ConsoleState&) {}, 0x20, true},
        {"00", [](ConsoleState&) {}, 0x00, true},
        {"30", [](ConsoleState& s) { s.m_bButtonReady = 1; }, 30, true},
        {"00", [](ConsoleState& s) { s.m_bXrayEnded = 1; }, 30, true},
    };
    for (const HsCase& c : cases) {
        Charged(); // the watchdog runs since RS04
        Preset(c.preset);
        Advance(5000);
        Report("HS", c.value);
        EXPECT_EQ(State().m_nLinkSwitch, c.linkSwitch) << c.value;
        EXPECT_EQ(Remaining(kTimerWatchdog), c.watchdog ? 10000 : -1) << c.value;
        EXPECT_EQ(Armed(kTimerWatchdog), c.watchdog) << c.value;
    }
    // Every report rearms the watchdog: a link silent for 10 s after the
    // switch was reported held is lost, and the lines are released first.
    Charged();
    Report("HS", "20");
    Advance(9999);
    EXPECT_EQ(State().m_bPowerOn, 1);
    Advance(1);
    ASSERT_GE(Calls().size(), 2u);
    EXPECT_EQ(
        std::vector<sim::LinkCall>(Calls().end() - 2, Calls().end()),
        (std::vector<sim::LinkCall>{{kMethodSwitchLines, {"00", "00"}}, {kMethodPowerOff, {}}}));
    EXPECT_EQ(View(panel::kStatusEdit).text, "USB Link Deconnection !!");
}

TEST_F(ConsoleLink, StatusReportsLatchOncePerKind) {
    Charged();
    Report("R104", "65"); // 0x65: a check
    Report("R104", "0A"); // an error: power off in 100 ms
    EXPECT_EQ(State().m_bCheckLatched, 1);
    EXPECT_EQ(State().m_bErrorLatched, 1);
    Advance(50);
    Report("R104", "01"); // dropped: the timer is not restarted
    Report("R104", "6E");
    EXPECT_EQ(Remaining(kTimerErrorPowerOff), 50);

    Report("R105", "");
    EXPECT_EQ(View(panel::kStatusEdit).text, "Generator HT Reset !!");
    EXPECT_EQ(State().m_bCheckLatched, 0);
    EXPECT_EQ(State().m_bErrorLatched, 1);

    Advance(50);
    EXPECT_EQ(State().m_bPowerOn, 0);
    EXPECT_EQ(State().m_bErrorLatched, 0);
    EXPECT_EQ(OwnerNotes().back(), "powered off");
    EXPECT_FALSE(Armed(kTimerErrorPowerOff));

    // A value without hexadecimal digits reads 0: an error.
    const std::pair<const char*, bool> kinds[] = {
        {"zz", true}, {"63", true}, {"64", false}, {"FFFFFFFFFF", false}, {"", true}};
    for (const auto& [value, error] : kinds) {
        Charged();
        Report("R104", value);
        EXPECT_EQ(State().m_bErrorLatched, error ? 1 : 0) << value;
        EXPECT_EQ(State().m_bCheckLatched, error ? 0 : 1) << value;
    }
}

TEST_F(ConsoleLink, PowerStateFeedbackAndDataReports) {
    for (int model : {1, 2}) {
        Start("Model=" + std::to_string(model) + "\r\n");
        panel->console.PowerOn();
        Report("PS", "01");
        EXPECT_EQ(State().m_bPowerOn, 1);
        Report("PS", "00");
        EXPECT_EQ(State().m_bPowerOn, 0);
        Report("R102", "1F4");
        Report("R103", "65");
        panel->link.Raise(kEventData, {"R201", "25", "1"});
        EXPECT_EQ(State().m_strKvFeedback, "1F4");
        EXPECT_EQ(State().m_strMaFeedback, "65");
        EXPECT_EQ(State().m_strMasUnits, "25");
        EXPECT_EQ(State().m_strMasTens, "1");
        const std::int64_t delay = model == 2 ? 100 : 1000;
        EXPECT_EQ(Remaining(kTimerFeedback), delay) << model;
        Advance(static_cast<std::uint64_t>(delay));
        EXPECT_FALSE(Armed(kTimerFeedback)) << model;
        EXPECT_EQ(Remaining(kTimerFeedback), -1) << model;
    }
}

TEST_F(ConsoleLink, TheSameRunGivesEqualStatesAndHashes) {
    std::vector<ConsoleState> states;
    for (int run = 0; run < 2; ++run) {
        Charged();
        Report("LINK", "55");
        Advance(100);
        states.push_back(State());
    }
    EXPECT_EQ(states[0], states[1]);
    EXPECT_EQ(HashConsoleState(states[0]), HashConsoleState(states[1]));

    ConsoleState copy = states[0];
    copy.m_view[panel::kLampOver].lit = true;
    EXPECT_NE(copy, states[0]);
    ConsoleState timers = states[0];
    timers.m_timers[kTimerWatchdog] = 9999;
    EXPECT_NE(timers, states[0]);
    const std::unordered_set<ConsoleState> distinct{states[0], states[1], copy, timers};
    EXPECT_EQ(distinct.size(), 3u);
}

TEST(ConsolePanelView, KindsOfTheControlsAndTheStartView) {
    std::map<panel::ControlKind, int> counts;
    const panel::PanelView view;
    std::vector<int> enabled;
    for (int id = panel::kFirstControl; id <= panel::kLastControl; ++id) {
        ++counts[panel::KindOf(id)];
        if (view[id].enabled) {
            enabled.push_back(id);
        }
        EXPECT_FALSE(view[id].lit) << id;
        EXPECT_EQ(view[id].text, "") << id;
    }
    EXPECT_EQ(counts[panel::ControlKind::kButton], 44);
    EXPECT_EQ(counts[panel::ControlKind::kEdit], 22);
    EXPECT_EQ(counts[panel::ControlKind::kLamp], 26);
    EXPECT_EQ(counts[panel::ControlKind::kLinkControl], 1);
    EXPECT_EQ(panel::KindOf(panel::kMaShiftSave), panel::ControlKind::kButton);
    EXPECT_EQ(panel::KindOf(panel::kStatusEdit), panel::ControlKind::kEdit);
    EXPECT_EQ(enabled, (std::vector<int>{1004, 1016, 1018, 1039, 1068, 1077, 1078, 1079}));
}
