// The exposure sequence on the virtual clock: the hand switch in both
// models, the ready orders, OVER and the latches holding the switch back,
// the buttons, and what must never expose (a let-go switch, a cancelled
// ready, a step without codes, a destroyed panel).
#include "ConsoleExposureFixture.h"

using Lines = std::vector<std::string>;

class ConsoleExposure : public ConsoleExposureFixture {
protected:
    // The ready of the start steps without AEC, in time mode.
    static Lines ReadyCalls() { return {"15", "27", "43 28 444 444", "44 64 4B0 4A6", "46 9C4"}; }
    Lines ReadyThenLine() const {
        Lines lines = ReadyCalls();
        lines.push_back(m_model == 2 ? "57 01 00" : "port FD");
        return lines;
    }
    Lines Release() const { return {m_model == 2 ? "57 00 00" : "port FF"}; }
    // Whether a ready or an exposure was asserted since the last ClearTrace().
    bool Asserted() const {
        for (const char* line : {"port FD", "port FC", "57 01 00", "57 01 01", "25"}) {
            if (Traced(line)) {
                return true;
            }
        }
        return false;
    }
};

TEST_F(ConsoleExposure, Model2HandSwitchFromReadyToEndAndXrayDoneUntilStanding) {
    Charge(2);
    Preset([](ConsoleState& s) { s.m_strKvFeedback = "1F4"; });
    Switch(1);
    Poll();
    EXPECT_EQ(Sent(), ReadyThenLine());
    EXPECT_EQ(Trace().front(), "status Generator Ready Start");
    EXPECT_EQ(State().m_strKvFeedback, ""); // forgotten at a ready without AEC
    const std::pair<int, const char*> shown[] = {
        {panel::kKvTrans1, "28"},  {panel::kKvTrans2, "444"}, {panel::kKvTrans3, "444"},
        {panel::kMaTrans1, "64"},  {panel::kMaTrans2, "4B0"}, {panel::kMaTrans3, "4A6"},
        {panel::kSecTrans, "9C4"}, {panel::kMasTrans1, ""},   {panel::kMasTrans2, ""}};
    for (const auto& [id, text] : shown) {
        EXPECT_EQ(View(id).text, text) << id;
    }
    EXPECT_FALSE(View(panel::kReady).enabled);
    EXPECT_TRUE(View(panel::kLampHandReady).lit);

    ClearTrace();
    Poll(); // once per cycle
    StateCode("RS05");
    EXPECT_TRUE(Sent().empty());
    EXPECT_TRUE(View(panel::kLampReadyUp).lit);

    ClearTrace();
    Switch(2);
    Poll();
    EXPECT_EQ(Trace(), (Lines{"status Generator Exposure Start", "57 01 01", "25"}));
    EXPECT_TRUE(View(panel::kLampHandExposure).lit);

    ClearTrace();
    StateCode("RS06");
    StateCode("RS07");
    StateCode("RS07");  // a repeat does not restart timer 4
    Report("HS", "30"); // not taken while the ended exposure waits
    Advance(499);
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(View(panel::kStatusEdit).text, "Generator X-ray End OK");
    Advance(1);
    EXPECT_EQ(Sent(), Release());
    EXPECT_TRUE(Traced("beep 3000 300"));
    for (int id : {panel::kLampReadyUp, panel::kLampXrayStart, panel::kLampXrayEnd}) {
        EXPECT_FALSE(View(id).lit) << id;
    }
    EXPECT_TRUE(View(panel::kReady).enabled);
    EXPECT_EQ(View(panel::kKvTrans1).text, "");

    // Still held at the second stage, then the first: nothing starts again.
    ClearTrace();
    Advance(200);
    Switch(1);
    Advance(200);
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(State().m_bXrayDone, 1);
    Switch(0);
    Poll();
    EXPECT_EQ(State().m_bXrayDone, 0);
    EXPECT_TRUE(View(panel::kLampStanding).lit);
    Switch(1);
    Poll();
    EXPECT_EQ(Sent(), ReadyThenLine());
}

TEST_F(ConsoleExposure, Model1PortLinesAndLettingGoMidExposure) {
    Charge(1);
    Switch(1);
    Advance(kPortPollMs);
    EXPECT_EQ(Sent(), ReadyThenLine());

    ClearTrace();
    Switch(2);
    Advance(kPortPollMs);
    EXPECT_TRUE(Sent().empty()); // no exposure before Ready UP OK
    StateCode("RS05");
    EXPECT_EQ(Trace(), (Lines{"25", "status Generator Exposure Start", "port FC",
                              "status Generator Ready UP OK !!"}));

    StateCode("RS06");
    ClearTrace();
    Switch(1);
    Advance(kPortPollMs);
    EXPECT_EQ(Trace(), (Lines{"port FF", "status Warning !! - Exposure Cancel !!", "port FF",
                              "beep 3000 300"}));
    EXPECT_EQ(State().m_bExposureStarted, 0);

    // A status value that matches no position keeps the position.
    ClearTrace();
    panel->port.space[kStatusRegister] = 0x10;
    Advance(kPortPollMs);
    EXPECT_EQ(State().m_nHandSwitch, 0); // as the exposure end left it
    EXPECT_TRUE(View(panel::kLampStanding).lit);

    // Nor is it the second stage held: the switch's exposure lets go.
    Switch(0); // released after the cancel: the next press is a new one
    Advance(kPortPollMs);
    Switch(1);
    Advance(kPortPollMs);
    StateCode("RS05");
    Switch(2);
    Advance(kPortPollMs);
    StateCode("RS06");
    ClearTrace();
    panel->port.space[kStatusRegister] = 0x10;
    Advance(kPortPollMs);
    EXPECT_EQ(Sent(), (Lines{"port FF", "port FF"}));
}

// One press, one exposure: a switch held through the end of an exposure, a
// check, a power cycle or a link loss starts nothing until released.
TEST_F(ConsoleExposure, OnePressGivesOneExposure) {
    // Model 1: held through an exposure, an error and a power cycle.
    Charge(1);
    Switch(2);
    Poll();
    StateCode("RS05");
    StateCode("RS06");
    Report("R104", "0A");
    Advance(100);
    panel->console.PowerOn();
    Advance(2000);
    Report("R101", "3A");
    StateCode("RS04");
    ClearTrace();
    Advance(2000);
    EXPECT_FALSE(Asserted());
    Report("HS", "30"); // the link's word is not the port's reading
    Poll();
    EXPECT_FALSE(Asserted());
    Switch(0);
    Poll();
    Switch(2);
    Poll();
    EXPECT_EQ(Sent().back(), "port FD");

    // Model 2: a check cuts the exposure; the held switch does not restart
    // it when the check clears, nor after EXP-Cancel of a button exposure.
    Charge(2);
    Switch(2);
    Poll();
    StateCode("RS05");
    StateCode("RS06");
    Report("R104", "6D");
    Report("R105", "");
    ClearTrace();
    Advance(200);
    StateCode("RS05");
    EXPECT_FALSE(Asserted());
    Switch(0);
    Switch(1);
    Poll();
    EXPECT_EQ(Sent(), ReadyThenLine());

    // Model 2: letting go mid-exposure cancels it, and that release is the
    // switch seen standing: the next press starts the next ready.
    Charge(2);
    Switch(1);
    Poll();
    StateCode("RS05");
    Switch(2);
    Poll();
    StateCode("RS06");
    Switch(0);
    Poll();
    ASSERT_TRUE(Traced("status Warning !! - Exposure Cancel !!"));
    ClearTrace();
    Switch(1);
    Poll();
    EXPECT_EQ(Sent(), ReadyThenLine());

    // Model 2: the link lost with the switch held; charged again, no report
    // since: nothing. The first press reported after the charge starts.
    Charge(2);
    Switch(2);
    Poll();
    Advance(10000);
    ASSERT_TRUE(Traced("status USB Link Deconnection !!"));
    PowerOnToCharge();
    ClearTrace();
    Advance(1000);
    StateCode("RS05");
    EXPECT_FALSE(Asserted());
    Switch(1);
    Poll();
    EXPECT_EQ(Sent().back(), "57 01 00");
}

TEST_F(ConsoleExposure, ReadyOrdersWithAec) {
    struct Case {
        int model;
        int masMode;
        Lines sent;
    };
    const Case cases[] = {
        {2, 0, {"15", "27", "43 28 444 444", "44 64 4B0 4A6", "46 9C4", "45 A 01", "57 01 00"}},
        {2, 1, {"15", "26", "43 28 444 444", "44 64 4B0 4A6", "45 A 01", "46 9C4", "57 01 00"}},
        {1, 0, {"port FD", "43 28 444 444", "44 64 4B0 4A6", "46 9C4", "45 A 01"}},
        {1, 1, {"port FD", "43 28 444 444", "44 64 4B0 4A6", "45 A 01", "46 9C4"}},
    };
    for (const Case& c : cases) {
        Charge(c.model);
        Preset([&c](ConsoleState& s) {
            s.m_bAec = 1;
            s.m_bMasMode = c.masMode;
            s.m_strKvFeedback = "1F4";
        });
        Press(panel::kReady);
        EXPECT_EQ(Sent(), c.sent) << c.model << " " << c.masMode;
        const Lines trace = Trace();
        const auto ready = std::find(trace.begin(), trace.end(), "status Generator Ready Start");
        EXPECT_EQ(trace.end() - ready, c.model == 2 ? 2 : 1) << c.model << " " << c.masMode;
        EXPECT_EQ(State().m_strKvFeedback, "1F4"); // kept with AEC
        EXPECT_EQ(View(panel::kSecTrans).text, "9C4");
        EXPECT_EQ(View(panel::kMasTrans1).text, "A");
        EXPECT_EQ(View(panel::kMasTrans2).text, "01");
    }
}

TEST_F(ConsoleExposure, OverRefusesTheSwitchAtBothStagesAndTheButton) {
    for (int model : {1, 2}) {
        for (int stage : {1, 2}) {
            Charge(model);
            Preset([](ConsoleState& s) { s.m_bOver = 1; });
            Switch(stage); // straight from standing
            Poll();
            Poll();
            const Lines release = Release();
            EXPECT_EQ(Sent(), (Lines{release[0], release[0]})) << model << " " << stage;
            const Lines trace = Trace();
            EXPECT_EQ(std::count(trace.begin(), trace.end(), "status Ready Start Fail !!"), 2)
                << model << " " << stage;
            EXPECT_EQ(State().m_bReadyStarted, 0);
        }
        ClearTrace();
        Switch(0);
        Poll();
        Press(panel::kReady);
        EXPECT_EQ(Trace(), (Lines{"status Ready Start Fail !! - Hand Switch or OVER Check ",
                                  Release()[0], "status Generator Ready Cancel !!"}))
            << model;
    }

    // OVER judged during a ready: RS05 does not expose, the next poll cancels.
    Charge(2);
    Switch(2);
    Poll();
    Preset([](ConsoleState& s) { s.m_bOver = 1; });
    ClearTrace();
    StateCode("RS05");
    EXPECT_TRUE(Sent().empty());
    Poll();
    EXPECT_EQ(Sent(), (Lines{"57 00 00"}));
}

TEST_F(ConsoleExposure, LatchedReportsFreezeTheHandSwitch) {
    // A check ends the ready at once; the switch then moves unseen.
    Charge(1);
    Switch(1);
    Poll();
    Report("R104", "65");
    ClearTrace();
    Switch(2);
    Advance(200);
    EXPECT_TRUE(Sent().empty());
    EXPECT_TRUE(View(panel::kLampHandReady).lit); // the lamps keep their last state
    EXPECT_FALSE(View(panel::kLampHandExposure).lit);
    EXPECT_EQ(State().m_nHandSwitch, 0);
    Report("R105", ""); // the switch held since the check is no new press
    Advance(200);
    EXPECT_TRUE(Sent().empty());
    Switch(0);
    Poll();
    Switch(1);
    Poll();
    EXPECT_EQ(Sent(), ReadyThenLine());

    // An error holds the ready until its power off, whatever the switch does.
    Charge(2);
    Switch(1);
    Poll();
    Report("R104", "0A");
    ClearTrace();
    Switch(0);
    Advance(99);
    EXPECT_TRUE(Sent().empty());
    Advance(1);
    EXPECT_EQ(Sent(), (Lines{"56 00", "57 00 00", "2"}));
}

TEST_F(ConsoleExposure, ReadyAndExposureFromTheButtons) {
    Charge(2);
    Press(panel::kReady);
    EXPECT_EQ(Sent(), ReadyThenLine());
    EXPECT_TRUE(Armed(kTimerWatchdog)); // a link lost meanwhile is noticed
    EXPECT_FALSE(View(panel::kReady).enabled);
    EXPECT_TRUE(View(panel::kReadyCancel).enabled);

    ClearTrace();
    Report("HS", "00"); // not taken during a ready from the button
    Poll();
    StateCode("RS05");
    EXPECT_TRUE(Sent().empty());
    EXPECT_TRUE(View(panel::kExposure).enabled);
    Press(panel::kExposure);
    EXPECT_EQ(Sent(), (Lines{"57 01 01", "25"}));
    StateCode("RS06");
    EXPECT_FALSE(View(panel::kExposure).enabled);
    EXPECT_TRUE(View(panel::kExposureCancel).enabled);
    StateCode("RS07");
    Advance(500);
    EXPECT_EQ(Sent(), (Lines{"57 01 01", "25", "57 00 00"}));
    EXPECT_TRUE(View(panel::kReady).enabled);
    for (int id : {panel::kReadyCancel, panel::kExposure, panel::kExposureCancel}) {
        EXPECT_FALSE(View(id).enabled) << id;
    }

    // Ready again while its ready is under way: refused and cancelled.
    ClearTrace();
    Press(panel::kReady);
    Poll(); // the poll at standing enables Ready again
    Press(panel::kReady);
    EXPECT_TRUE(Traced("status Ready Start Fail !! - Hand Switch or OVER Check "));
    EXPECT_EQ(Sent().back(), "57 00 00");

    // After RDY-Cancel the Exposure button has nothing to expose.
    Press(panel::kReady);
    StateCode("RS05");
    Press(panel::kReadyCancel);
    EXPECT_FALSE(View(panel::kExposure).enabled);
    ClearTrace();
    Press(panel::kExposure);
    EXPECT_TRUE(Sent().empty());

    // Uncharged, the buttons do nothing even if a click got through.
    panel->console.PowerOff();
    ClearTrace();
    Press(panel::kReady);
    Press(panel::kExposure);
    EXPECT_TRUE(Sent().empty());
    EXPECT_TRUE(Logged("Button 1040 is not enabled"));
}

TEST_F(ConsoleExposure, ASwitchExposureInAButtonReadyEndsWhenTheSwitchLetsGo) {
    Charge(1);
    Press(panel::kReady);
    StateCode("RS05");
    Switch(2);
    Poll();
    EXPECT_EQ(Sent().back(), "port FC");
    ClearTrace();
    Switch(0);
    Poll();
    EXPECT_EQ(Sent(), (Lines{"port FF", "port FF"}));
    EXPECT_TRUE(Traced("status Warning !! - Exposure Cancel !!"));
}

TEST_F(ConsoleExposure, ReadyUpStartsNothingForASwitchLetGoOrAReadyCancelled) {
    // Let go to the first stage after the last poll: read again at RS05.
    Charge(1);
    Switch(2);
    Poll();
    Switch(1);
    ClearTrace();
    StateCode("RS05");
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(State().m_bReadyUp, 1);

    // A late RS05 after the switch cancelled the ready, pressed again
    // since: the new ready waits for its own RS05.
    Charge(2);
    Switch(2);
    Poll();
    Switch(0);
    Poll();
    Switch(2);
    ClearTrace();
    StateCode("RS05");
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(State().m_bReadyUp, 0);
    EXPECT_TRUE(Logged("Generator Ready UP OK without a ready under way: ignored"));
}

TEST_F(ConsoleExposure, AStepWithoutCodesRefusesTheReady) {
    struct Case {
        const char* file;
        const char* bytes;
        void (*preset)(ConsoleState&);
        const char* logged;
    };
    const Case cases[] = {
        {"step_kv.dat", "40\t28\t444\r\n", [](ConsoleState& s) { s.m_nKvIndex = 3; },
         "Ready Start Fail !! - kV step 3 has no codes in"},
        {"step_ma.dat", "10\t\t10\r\n", [](ConsoleState&) {},
         "Ready Start Fail !! - mA step 0 has no code in"},
        {"step_sec.dat", "0.001\t64\r\n", [](ConsoleState&) {},
         "Ready Start Fail !! - sec step 14 has no code in"},
        {"step_mas.dat", "", [](ConsoleState& s) { s.m_bMasMode = 1; },
         "Ready Start Fail !! - mAs step 0 has no code in"},
    };
    for (int model : {1, 2}) {
        for (const Case& c : cases) {
            TearDown(); // a fresh copy of the data set for each case
            SetUp();
            WriteData(c.file, c.bytes);
            Charge(model);
            Preset([&c](ConsoleState& s) {
                c.preset(s);
                s.m_bOver = 0; // as if the OVER judgement had not run
            });
            Press(panel::kReady);
            EXPECT_TRUE(Logged(c.logged)) << model << " " << c.file;
            EXPECT_EQ(Sent(), Release()) << model << " " << c.file;
            EXPECT_EQ(State().m_bReadyStarted, 0);
        }
    }
}

TEST_F(ConsoleExposure, DestroyReleasesAReadyOrExposureInModel2) {
    enum Reached { kIdle, kReady, kExposing };
    for (Reached reached : {kIdle, kReady, kExposing}) {
        Charge(2);
        if (reached != kIdle) {
            Switch(2);
            Poll();
        }
        if (reached == kExposing) {
            StateCode("RS05");
            StateCode("RS06");
        }
        ClearTrace();
        panel->console.OnDestroy();
        EXPECT_EQ(Sent(), reached == kIdle ? Lines{} : Lines{"57 00 00"}) << reached;
    }
}

// A move reported while the console does not take it (after X-ray End) must
// not be replaced later by the position before it: after a power cycle the
// old second stage would start a ready and, at RS05, an exposure.
TEST_F(ConsoleExposure, AMoveNotTakenLeavesTheLinkSwitchUnknown) {
    Charge(2);
    Switch(2);
    Poll();
    StateCode("RS05");
    StateCode("RS06");
    StateCode("RS07");
    Switch(1); // not taken: the exposure has ended
    EXPECT_EQ(State().m_nLinkSwitch, 30);
    Advance(500);
    panel->console.PowerOff();
    PowerUp();
    ClearTrace();
    Advance(100);
    StateCode("RS05");
    EXPECT_TRUE(Sent().empty());
    Switch(1);
    Poll();
    EXPECT_EQ(Sent(), ReadyThenLine());
}
