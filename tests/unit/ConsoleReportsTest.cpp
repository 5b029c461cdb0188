// The generator's status reports as the operator and the host see them: the
// error and check texts with their consequences, and the feedback and
// actual-mAs report after an exposure.
#include "ConsoleExposureFixture.h"

using Lines = std::vector<std::string>;

class ConsoleReports : public ConsoleExposureFixture {
protected:
    // Model 2 with an exposure under way (X-ray Start OK seen).
    void Exposing() {
        Charge(2);
        Switch(2);
        Poll();
        StateCode("RS05");
        StateCode("RS06");
        ClearTrace();
    }
};

TEST_F(ConsoleReports, ErrorAndCheckTexts) {
    struct Case {
        const char* value;
        const char* line;
        int level;
        bool powersOff;
    };
    const Case cases[] = {
        {"22", "Error : 34 = :LARGE-FOCUS SELECTION ERROR", 1, true},
        {"01", "Error :  1 = :CHARGE MONITOR ERROR", 1, true},
        {"1a", "Error :  0 = ", 1, true}, // matched as text: not in the table
        {"6E", "Check : 10 = : - ", 3, false},
        {"65", "Check :  1 = :TUBE THERMOSTAT OPERATION", 3, false},
        {"6F", "6F", 3, false},
    };
    for (const Case& c : cases) {
        Charge(2);
        Report("R104", c.value);
        EXPECT_EQ(View(panel::kStatusEdit).text, c.line) << c.value;
        EXPECT_EQ(OwnerNotes(), (Lines{std::string("status ") + c.line})) << c.value;
        EXPECT_EQ(panel->logs, (Lines{"[" + std::to_string(c.level) + "] " + c.line})) << c.value;
        EXPECT_EQ(Armed(kTimerErrorPowerOff), c.powersOff) << c.value;
        EXPECT_FALSE(View(panel::kLampError).lit);
        EXPECT_FALSE(View(panel::kLampCheck).lit);
    }
}

TEST_F(ConsoleReports, AnErrorPowersOffAfter100ms) {
    Exposing();
    Report("R104", "22");
    Advance(99);
    EXPECT_TRUE(Sent().empty());
    Advance(1);
    EXPECT_EQ(Sent(), (Lines{"56 00", "57 00 00", "2"}));
    EXPECT_EQ(OwnerNotes().back(), "powered off");
    EXPECT_EQ(State().m_bErrorLatched, 0);
}

TEST_F(ConsoleReports, ACheckEndsTheExposureWithoutPowerOff) {
    Exposing();
    Report("R104", "6E");
    EXPECT_EQ(Trace(), (Lines{"57 00 00", "beep 3000 300", "status Check : 10 = : - "}));
    EXPECT_EQ(State().m_bExposureStarted, 0);
    EXPECT_TRUE(View(panel::kReady).enabled);
    Advance(1000);
    EXPECT_EQ(State().m_bPowerOn, 1);
    EXPECT_EQ(Sent(), (Lines{"57 00 00"})); // the held switch starts nothing meanwhile

    Report("R105", "");
    EXPECT_EQ(View(panel::kStatusEdit).text, "Generator HT Reset !!");
    EXPECT_EQ(State().m_bCheckLatched, 0);

    // Without a ready or exposure a check shows its text only.
    Charge(2);
    Report("R104", "65");
    EXPECT_EQ(Trace(), (Lines{"status Check :  1 = :TUBE THERMOSTAT OPERATION"}));
}

TEST_F(ConsoleReports, FeedbackAndActualMas) {
    struct Case {
        const char* kv;
        const char* ma;
        int highScale;
        const char* units;
        const char* tens;
        const char* line;
        const char* value;
    };
    const Case cases[] = {
        {"1F4", "65", 0, "25", "1", "kV FB DATA : 632 , mA FB DATA : 57 , Actual mAs : 12.5 mAs",
         "12.5"},
        {"1F4", "65", 1, "25", "1", "kV FB DATA : 632 , mA FB DATA : 575 , Actual mAs : 12.5 mAs",
         "12.5"},
        {"", "", 0, "30", "0", "Actual mAs : 3 mAs", "3"},
        {"1F4", "", 0, "05", "0", "Actual mAs : 0.5 mAs", "0.5"}, // one feedback only
        {"", "", 0, "x", "", "Actual mAs : 0 mAs", "0"},
        {"", "", 0, "9", "99999999999", "Actual mAs : 21474836479 mAs", "21474836479"},
    };
    for (const Case& c : cases) {
        Charge(2);
        Preset([&c](ConsoleState& s) { s.m_bHighScale = c.highScale; });
        Report("R102", c.kv);
        Report("R103", c.ma);
        panel->link.Raise(kEventData, {"R201", c.units, c.tens});
        Advance(100);
        EXPECT_EQ(View(panel::kStatusEdit).text, c.line) << c.units;
        EXPECT_EQ(OwnerNotes(),
                  (Lines{std::string("status ") + c.line, std::string("value ") + c.value}))
            << c.units;
    }

    // The next ready within the report's delay: the host still gets the
    // value R201 carried, once.
    Charge(2);
    panel->link.Raise(kEventData, {"R201", "25", "1"});
    Press(panel::kReady);
    Advance(100);
    EXPECT_EQ(OwnerNotes(), (Lines{"status Actual mAs : 12.5 mAs", "value 12.5",
                                   "status Generator Ready Start"}));
}
