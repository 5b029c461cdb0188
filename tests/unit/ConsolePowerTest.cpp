// Power on, charge, power off, the link watchdog and EXIT, for both console
// models, on the virtual clock.
#include "ConsoleFixture.h"

#include <cstdlib>

using sim::LinkCall;

class ConsolePower : public ConsoleFixture {
protected:
    // Model 2 powered on and charged, the charge completion done.
    void ChargeModel2() {
        Start("Model=2\r\n");
        PowerOnToCharge();
        Advance(1000);
        Clear();
    }
    std::string LastStatus() const {
        for (auto it = panel->owner.rbegin(); it != panel->owner.rend(); ++it) {
            if (it->what.rfind("status ", 0) == 0) {
                return it->what.substr(7);
            }
        }
        return "";
    }
};

TEST_F(ConsolePower, Model2ConversationFromPowerOnToCharged) {
    Start("Model=2\r\n");
    panel->console.OnCommand(panel::kPowerOn);
    EXPECT_EQ(Calls(), (std::vector<LinkCall>{{kMethodPowerOn, {}}}));
    EXPECT_EQ(View(panel::kStatusEdit).text, "Generator Power ON Start");

    Report("PS", "01");
    EXPECT_EQ(State().m_bPowerOn, 1);
    EXPECT_EQ(Calls().back(), (LinkCall{kMethodPowerLine, {"01"}}));
    Advance(999);
    EXPECT_EQ(Calls().size(), 2u);
    Advance(1);
    EXPECT_EQ(CallIds(), (std::vector<int>{1, 56, 3, 3, 3}));
    EXPECT_FALSE(Armed(kTimerPowerOn));

    Clear();
    Report("R101", "3A");
    EXPECT_EQ(Calls(), (std::vector<LinkCall>{{kMethodPowerEcho, {"3A"}}}));
    EXPECT_EQ(View(panel::kStatusEdit).text, "Generator Power ON OK !!");
    EXPECT_TRUE(View(panel::kLampPortOpen).lit);
    for (int id : {panel::kPowerOn, panel::kModel20kW, panel::kModel32kW, panel::kModel40kW,
                   panel::kModel50kW}) {
        EXPECT_FALSE(View(id).enabled) << id;
    }
    EXPECT_TRUE(View(panel::kPowerOff).enabled);
    Advance(2999);
    EXPECT_EQ(Calls().size(), 1u);
    Advance(1);
    EXPECT_EQ(CallIds(), (std::vector<int>{4, 23, 8, 9, 22}));
    EXPECT_EQ(View(panel::kStatusEdit).text, "Generator Charge ON Start");

    Clear();
    StateCode("RS04");
    EXPECT_EQ(State().m_bChargeOn, 1);
    EXPECT_EQ(View(panel::kStatusEdit).text, "Generator Charge ON OK !!");
    EXPECT_TRUE(View(panel::kLampCharge).lit);
    EXPECT_TRUE(View(panel::kReady).enabled);
    EXPECT_TRUE(View(panel::kKvUp).enabled);
    EXPECT_FALSE(View(panel::kAux).enabled);
    EXPECT_EQ(State().m_timers,
              (std::map<unsigned, unsigned>{
                  {kTimerChargeDone, 1000}, {kTimerLinkPoll, 10}, {kTimerWatchdog, 10000}}));
    StateCode("RS04"); // a repeat does nothing
    Advance(1000);
    // Charge completion: BUCKY1 twice; small focus and low scale already hold.
    EXPECT_EQ(Calls(), (std::vector<LinkCall>{{kMethodBucky1, {"00", "20"}},
                                              {kMethodBucky1, {"00", "20"}}}));
    EXPECT_EQ(OwnerNotes().back(), "charged");
    EXPECT_TRUE(View(panel::kLampBucky1).lit);
    EXPECT_FALSE(View(panel::kLampAux).lit);
    EXPECT_TRUE(View(panel::kAux).enabled);
    EXPECT_FALSE(View(panel::kBucky1).enabled);
    EXPECT_TRUE(View(panel::kLampRotorLow).lit);
    EXPECT_TRUE(View(panel::kRotorHigh).enabled);
    EXPECT_EQ(View(panel::kTimeEdit).text, "0.025");
}

// The charge-on start puts the generator at small focus and low scale, and
// the console with it: what the charge completion then sends, the lamps and
// the host's report agree with the mA, however the last power off ended
// (here after the generator's own PS "00") and when RS04 comes before the
// charge-on start. AEC is off after every power cycle.
TEST_F(ConsolePower, FocusScaleAndAecAfterAPowerCycleAgreeWithTheGenerator) {
    const auto agree = [this](const char* when) {
        int focus = 0;
        int scale = 0;
        for (const LinkCall& call : Calls()) {
            const int id = call.dispatchId;
            focus = id == kMethodLargeFocus || id == kMethodSmallFocus ? id : focus;
            scale = id == kMethodHighScale || id == kMethodLowScale ? id : scale;
        }
        const ConsoleState& s = State();
        const int ma = std::atoi(s.m_maTable.Cell(s.m_nMaIndex, kDisplayColumn)->c_str());
        EXPECT_EQ(focus, ma >= 200 ? kMethodLargeFocus : kMethodSmallFocus) << when;
        EXPECT_EQ(scale, ma >= 100 ? kMethodHighScale : kMethodLowScale) << when;
        EXPECT_EQ(s.m_bLargeFocus, ma >= 200 ? 1 : 0) << when;
        EXPECT_EQ(View(panel::kLampLargeFocus).lit, ma >= 200) << when;
        EXPECT_EQ(View(panel::kLampSmallFocus).lit, ma < 200) << when;
        EXPECT_EQ(View(panel::kLampHighScale).lit, ma >= 100) << when;
        EXPECT_EQ(s.m_bAec, 0) << when;
        int aec = 0; // the generator forgets AEC at its power off (2)
        for (const LinkCall& call : Calls()) {
            const int id = call.dispatchId;
            aec = id == kMethodAecOn || id == kMethodAecOff || id == kMethodPowerOff ? id : aec;
        }
        EXPECT_NE(aec, kMethodAecOn) << when;
        const std::string report = panel->console.HostStatusText(); // focus: the fifth
        std::size_t at = 0;
        for (int field = 0; field < 4; ++field) {
            at = report.find(';', at) + 1;
        }
        EXPECT_EQ(report.substr(at, 2), ma >= 200 ? "1;" : "0;") << when;
    };
    ChargeModel2();
    panel->console.OnHostCommand(110, "80;200;0.1;20;2"); // large, high, AEC on
    Report("PS", "00");
    panel->console.PowerOff();
    PowerOnToCharge();
    Advance(1000);
    agree("after PS 00");

    // RS04 before the charge-on start: the host's exposure goes to a charged
    // console, then the charge-on start's 8 and 9 are followed by 7 and 10.
    Start("Model=2\r\n");
    panel->console.PowerOn();
    Report("PS", "01");
    Advance(1000);
    Report("R101", "3A");
    StateCode("RS04");
    Advance(1000);
    panel->console.OnHostCommand(110, "80;200;0.1;20;0");
    Advance(2000);
    agree("RS04 first");
}

TEST_F(ConsolePower, Model2LinkCheckAnswersAndSilencePowersOff) {
    ChargeModel2(); // the watchdog has run for 1 s
    Advance(8000);
    Report("LINK", "55");
    EXPECT_FALSE(Armed(kTimerWatchdog));
    Advance(100);
    EXPECT_EQ(Calls(), (std::vector<LinkCall>{{kMethodLinkAnswer, {"55"}}}));
    EXPECT_EQ(Remaining(kTimerWatchdog), 10000);

    // Ten silent seconds: the lines are released, then the power-off
    // completion, then the deconnection text.
    Clear();
    Advance(9999);
    EXPECT_TRUE(Calls().empty());
    Advance(1);
    EXPECT_EQ(Calls(),
              (std::vector<LinkCall>{{kMethodSwitchLines, {"00", "00"}}, {kMethodPowerOff, {}}}));
    EXPECT_EQ(OwnerNotes(),
              (std::vector<std::string>{"status Generator Charge OFF OK !!",
                                        "status Generator Power OFF OK !!", "powered off",
                                        "status USB Link Deconnection !!"}));
    EXPECT_EQ(View(panel::kStatusEdit).text, "USB Link Deconnection !!");
    EXPECT_EQ(State().m_bPowerOn, 0);
    EXPECT_FALSE(View(panel::kLampCharge).lit);
    EXPECT_TRUE(View(panel::kPowerOn).enabled);
    EXPECT_FALSE(Armed(kTimerWatchdog));
}

TEST_F(ConsolePower, Model1PortLinesAndTimerChain) {
    Start("Model=1\r\nDelayCheck=20\r\n");
    EXPECT_EQ(PortValues(), (std::vector<std::uint8_t>{0xFF, 0xFB}));
    EXPECT_EQ(Remaining(kTimerPortPoll), 1);
    Advance(1);
    EXPECT_EQ(Remaining(kTimerPortPoll), 20);

    Clear();
    panel->console.PowerOn();
    EXPECT_EQ(PortValues(), (std::vector<std::uint8_t>{0xF7}));
    EXPECT_TRUE(Calls().empty());
    Advance(1000);
    EXPECT_EQ(CallIds(), (std::vector<int>{kMethodPowerOn}));
    Advance(1000);
    EXPECT_EQ(CallIds(), (std::vector<int>{1, 23, 8, 9, 22}));

    Report("R101", "3A"); // Model 1 sends no echo but is powered now
    EXPECT_EQ(CallIds().size(), 5u);
    EXPECT_EQ(State().m_bPowerOn, 1);
    StateCode("RS04");
    EXPECT_FALSE(Armed(kTimerWatchdog)); // no watchdog from RS04 in Model 1
    Advance(1000);
    EXPECT_EQ(OwnerNotes().back(), "charged");

    Clear();
    panel->console.PowerOff();
    EXPECT_EQ(PortValues(), (std::vector<std::uint8_t>{0xFF, 0xFB}));
    EXPECT_EQ(CallIds(), (std::vector<int>{kMethodPowerOff}));
    EXPECT_EQ(OwnerNotes().back(), "powered off");

    // Powered off, a PS "01" powers nothing on.
    Clear();
    Report("PS", "01");
    Advance(2000);
    EXPECT_TRUE(Calls().empty());
    EXPECT_TRUE(Logged("Generator power (PS 01) without a power on under way: ignored"));
}

TEST_F(ConsolePower, Model1WatchdogReleasesThePortLinesFirst) {
    Start("Model=1\r\n");
    panel->console.PowerOn();
    Advance(2000);
    Report("R101", "3A");
    StateCode("RS04");
    Advance(1000);
    Report("HS", "30");
    Clear();
    Advance(10000);
    EXPECT_EQ(PortValues(), (std::vector<std::uint8_t>{0xFF, 0xFB}));
    EXPECT_EQ(CallIds(), (std::vector<int>{kMethodPowerOff}));
    EXPECT_EQ(View(panel::kStatusEdit).text, "USB Link Deconnection !!");
}

TEST_F(ConsolePower, PowerOffClearsTheStateAndWaitsInModel2) {
    ChargeModel2();
    ConsoleState charged = State();
    charged.m_bErrorLatched = 1;
    charged.m_bCheckLatched = 1;
    charged.m_bMasMode = 1;
    charged.m_nKvIndex = 30;
    charged.m_nSecIndex = 3;
    charged.m_nLinkSwitch = 0x20;
    charged.m_strKvFeedback = "1F4";
    panel->console.RestoreState(charged);
    const std::uint64_t before = sim::World::Get().NowMs();

    panel->console.OnCommand(panel::kPowerOff);
    EXPECT_EQ(Calls(), (std::vector<LinkCall>{{kMethodPowerLine, {"00"}},
                                              {kMethodSwitchLines, {"00", "00"}},
                                              {kMethodPowerOff, {}}}));
    EXPECT_EQ(sim::World::Get().NowMs() - before, 200u);
    EXPECT_EQ(OwnerNotes(),
              (std::vector<std::string>{"wait 100", "wait 100", "status Generator Charge OFF OK !!",
                                        "status Generator Power OFF OK !!", "powered off"}));
    const ConsoleState& s = State();
    EXPECT_EQ((std::vector<int>{s.m_bPowerOn, s.m_bChargeOn, s.m_bErrorLatched, s.m_bCheckLatched,
                                s.m_bMasMode, s.m_nBucky, s.m_nKvIndex, s.m_nSecIndex}),
              (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 14}));
    EXPECT_EQ(s.m_nLinkSwitch, kLinkSwitchUnknown); // forgotten
    EXPECT_EQ(s.m_strKvFeedback, "1F4");
    EXPECT_FALSE(Armed(kTimerWatchdog));
    for (int id : {panel::kKvEdit, panel::kTimeEdit, panel::kKvRefEdit, panel::kPreheatEdit}) {
        EXPECT_EQ(View(id).text, "") << id;
        EXPECT_FALSE(View(id).enabled) << id;
    }
    for (int id : {panel::kLampBucky1, panel::kLampSec, panel::kLampSmallFocus,
                   panel::kLampPortOpen, panel::kLampCharge}) {
        EXPECT_FALSE(View(id).lit) << id;
    }
    EXPECT_FALSE(View(panel::kReady).enabled);
    EXPECT_FALSE(View(panel::kPowerOff).enabled);
    EXPECT_TRUE(View(panel::kModel50kW).enabled);
}

TEST_F(ConsolePower, PowerOffWithoutPowerInModel2SendsNothingButCompletes) {
    Start("Model=2\r\n");
    panel->console.PowerOff();
    EXPECT_TRUE(Calls().empty());
    EXPECT_TRUE(panel->port.writes.empty());
    EXPECT_EQ(OwnerNotes(),
              (std::vector<std::string>{"status Generator Charge OFF OK !!",
                                        "status Generator Power OFF OK !!", "powered off"}));
}

// Every power off ends in Power OFF OK, also without the power flag: after
// PS "00" (an error's power off), and in Model 1 when R101 never came.
TEST_F(ConsolePower, EveryPowerOffCompletes) {
    ChargeModel2();
    Report("PS", "00");
    Report("R104", "0A");
    Advance(100);
    EXPECT_EQ(OwnerNotes().back(), "powered off");
    EXPECT_EQ(CallIds().back(), kMethodPowerOff);
    EXPECT_EQ(State().m_bErrorLatched, 0);
    EXPECT_TRUE(View(panel::kPowerOn).enabled);
    Clear();
    panel->console.PowerOn();
    Report("R104", "0B"); // not dropped behind a latch left over
    EXPECT_EQ(View(panel::kStatusEdit).text, "Error : 11 = :kVp FEEDBACK ERROR AT STANDBY");

    Start("Model=1\r\n");
    panel->console.PowerOn();
    Advance(2000);
    StateCode("RS04");
    EXPECT_FALSE(View(panel::kModel20kW).enabled);
    EXPECT_FALSE(View(panel::kPowerOn).enabled);
    EXPECT_TRUE(View(panel::kPowerOff).enabled);
    Clear();
    panel->console.OnCommand(panel::kPowerOff);
    EXPECT_EQ(CallIds(), (std::vector<int>{kMethodPowerOff}));
    EXPECT_EQ(OwnerNotes().back(), "powered off");
}

// RS04, PS "01" and R101 count only during a power on; a power on while
// one is under way or done is only logged.
TEST_F(ConsolePower, PowerOnEventsCountOnlyDuringAPowerOn) {
    ChargeModel2();
    Report("R101", "3A");
    Report("PS", "01");
    panel->console.PowerOn();
    Advance(5000);
    EXPECT_TRUE(Calls().empty());
    EXPECT_TRUE(Logged("Generator Power ON (R101) again while powered: ignored"));
    EXPECT_TRUE(Logged("Power on while the console is powering or powered: ignored"));

    panel->console.PowerOff();
    Clear();
    for (const char* code : {"R101", "PS"}) {
        Report(code, code[0] == 'P' ? "01" : "3A");
    }
    StateCode("RS04"); // late: the host was just told the console is off
    Advance(5000);
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(State().m_bChargeOn, 0);
    EXPECT_TRUE(Logged("Generator Charge ON (RS04) without a power on under way: ignored"));
    for (const auto& note : OwnerNotes()) {
        EXPECT_NE(note, "charged");
    }

    Start("Model=1\r\n");
    panel->console.PowerOn();
    Clear();
    panel->console.PowerOn();
    Advance(2000);
    EXPECT_EQ(CallIds(), (std::vector<int>{1, 23, 8, 9, 22})); // once
    Report("R101", "3A");
    StateCode("RS04");
    Clear();
    panel->console.PowerOn(); // the host's 100 "1" while charged
    EXPECT_TRUE(PortValues().empty());
    EXPECT_TRUE(Calls().empty());
}

// The model buttons are disabled from Charge ON OK too, and a model chosen
// is judged against OVER at once: 60 kV at 400 mA for 0.025 s is OVER for
// 20 kW (at most 50 kV), not for 50 kW.
TEST_F(ConsolePower, AModelChangeCannotBypassOver) {
    Start("Model=1\r\n");
    ConsoleState state = State();
    state.m_nKvIndex = 20;
    state.m_nMaIndex = 16;
    panel->console.RestoreState(state);
    panel->console.OnCommand(panel::kModel20kW);
    EXPECT_EQ(State().m_bOver, 1);
    panel->console.OnCommand(panel::kModel50kW);
    EXPECT_EQ(State().m_bOver, 0);

    panel->console.PowerOn();
    Advance(2000);
    StateCode("RS04"); // R101 late or never
    panel->console.OnCommand(panel::kModel20kW);
    EXPECT_EQ(State().m_nPowerModel, 4);
    EXPECT_TRUE(Logged("Power model 1 refused: the console is powered"));
}

// Powering off while the power-on chain still runs must not power on,
// charge or report charged afterwards: at each pending timer of the chain.
TEST_F(ConsolePower, PowerOffStopsAPowerSequenceUnderWay) {
    for (int pending : {kTimerPowerOn, kTimerChargeStart, kTimerChargeDone}) {
        Start("Model=2\r\n");
        panel->console.PowerOn();
        Report("PS", "01");
        if (pending != kTimerPowerOn) {
            Advance(1000);
            Report("R101", "3A");
        }
        if (pending == kTimerChargeDone) {
            Advance(3000);
            StateCode("RS04");
        }
        ASSERT_TRUE(Armed(static_cast<unsigned>(pending))) << pending;
        panel->console.PowerOff();
        Clear();
        Advance(5000);
        EXPECT_TRUE(Calls().empty()) << pending;
        EXPECT_TRUE(OwnerNotes().empty()) << pending;
    }
}

TEST_F(ConsolePower, ExitPowersOffThenAsksTheOwnerToClose) {
    ChargeModel2();
    panel->console.OnCommand(panel::kExit);
    EXPECT_EQ(OwnerNotes().back(), "powered off");
    Advance(499);
    EXPECT_NE(OwnerNotes().back(), "close");
    Advance(1);
    EXPECT_EQ(OwnerNotes().back(), "close");
    EXPECT_FALSE(Armed(kTimerExit));

    Clear();
    panel->console.OnClose();
    EXPECT_EQ(OwnerNotes(), (std::vector<std::string>{"close"}));
    EXPECT_TRUE(Calls().empty());
}

TEST_F(ConsolePower, DestroyIdlesThePortInModel1Only) {
    for (int model : {1, 2, 3}) {
        Start("Model=" + std::to_string(model) + "\r\n");
        const unsigned poll = model == 2 ? kTimerLinkPoll : kTimerPortPoll;
        EXPECT_TRUE(Armed(poll)) << model;
        Clear();
        panel->console.OnDestroy();
        EXPECT_EQ(PortValues(),
                  model == 1 ? std::vector<std::uint8_t>{0xFB} : std::vector<std::uint8_t>{})
            << model;
        EXPECT_EQ(Remaining(poll), -1) << model;
        EXPECT_TRUE(State().m_timers.empty()) << model;
    }
}

TEST_F(ConsolePower, ThePollPutsTheHandSwitchLampsOutWhileNotCharged) {
    for (int model : {1, 2}) {
        Start("Model=" + std::to_string(model) + "\r\n");
        ConsoleState state = State();
        for (int id : {panel::kLampStanding, panel::kLampHandReady, panel::kLampHandExposure}) {
            state.m_view[id].lit = true;
        }
        panel->console.RestoreState(state);
        Advance(10);
        for (int id : {panel::kLampStanding, panel::kLampHandReady, panel::kLampHandExposure}) {
            EXPECT_FALSE(View(id).lit) << model << " " << id;
        }
    }
}
