#include "StartStates.h"

#include "console/ConsoleIds.h"

#include <cstdlib>

namespace check {

namespace {

constexpr int kMaxWaits = 2000;

// The power-on conversation of each model, up to charge completion.
const std::vector<std::string> kCharge[] = {
    {"click 1016", "until timer 1", "until timer 2", "event 6 \"R101\" \"3A\"", "event 9 \"RS04\"",
     "until timer 3"},
    {"click 1016", "event 6 \"PS\" \"01\"", "until timer 1", "event 6 \"R101\" \"3A\"",
     "until timer 2", "event 9 \"RS04\"", "until timer 3", "event 6 \"HS\" \"30\""},
};

// The hand switch at `stage` in each model: the port, or the link's HS.
const std::string kStage[][3] = {
    {"switch 0x30", "switch 0x20", "switch 0x00"},
    {"event 6 \"HS\" \"30\"", "event 6 \"HS\" \"20\"", "event 6 \"HS\" \"00\""},
};

bool Off(const ConsoleState& s) {
    return s.m_bPowerOn == 0 && s.m_bChargeOn == 0;
}
bool Charged(const ConsoleState& s) {
    return s.m_bChargeOn != 0 && s.m_timers.count(kTimerChargeDone) == 0 && s.m_bOver == 0;
}
bool ChargedWithAec(const ConsoleState& s) {
    return Charged(s) && s.m_bAec != 0;
}
bool ChargedOver(const ConsoleState& s) {
    return s.m_bChargeOn != 0 && s.m_bOver != 0;
}
bool ReadyUpFromSwitch(const ConsoleState& s) {
    return s.m_bReadyUp != 0 && s.m_bSwitchReady != 0;
}
bool ExposingFromSwitch(const ConsoleState& s) {
    return s.m_bXrayStarted != 0 && s.m_bSwitchReady != 0;
}
bool ExposingFromButtons(const ConsoleState& s) {
    return s.m_bXrayStarted != 0 && s.m_bButtonReady != 0;
}
bool XrayEnded(const ConsoleState& s) {
    return s.m_bXrayEnded != 0 && s.m_timers.count(kTimerExposureEnd) != 0;
}

// The starts of one model: each a charge and a few more steps.
void AddStarts(int model, std::vector<StartState>& starts) {
    const std::vector<std::string>& charge = kCharge[model - 1];
    const std::string(&stage)[3] = kStage[model - 1];
    auto after = [&charge](std::initializer_list<std::string> more) {
        std::vector<std::string> steps = charge;
        steps.insert(steps.end(), more);
        return steps;
    };
    const std::string suffix = ", model " + std::to_string(model);
    const std::vector<std::string> readyUp = after({stage[1], "advance", "event 9 \"RS05\""});
    std::vector<std::string> exposing = readyUp;
    exposing.insert(exposing.end(), {stage[2], "advance", "event 9 \"RS06\""});
    std::vector<std::string> ended = exposing;
    ended.push_back("event 9 \"RS07\"");
    const std::vector<StartState> mine = {
        {"off" + suffix, model, {}, Off},
        {"charged" + suffix, model, charge, Charged},
        {"charged with AEC" + suffix, model, after({"click 1061"}), ChargedWithAec},
        {"OVER" + suffix, model, after({"host 110 \"150;630;0.1;20;0;0;0;0;0\""}), ChargedOver},
        {"ready up from the switch" + suffix, model, readyUp, ReadyUpFromSwitch},
        {"exposing from the switch" + suffix, model, exposing, ExposingFromSwitch},
        {"exposing from the buttons" + suffix, model,
         after({"click 1040", "event 9 \"RS05\"", "click 1042", "event 9 \"RS06\""}),
         ExposingFromButtons},
        {"X-ray ended" + suffix, model, ended, XrayEnded},
    };
    starts.insert(starts.end(), mine.begin(), mine.end());
}

} // namespace

bool ChargedWithoutEcho(const ConsoleState& s) {
    return Charged(s) && s.m_bPowerOn == 0;
}

const std::vector<StartState>& StartStates() {
    static const std::vector<StartState> starts = [] {
        std::vector<StartState> all;
        AddStarts(1, all);
        // Model 1 charged while R101 is late, with an exposure allowed at
        // 50 kW and not at 20 kW: the model buttons are still enabled.
        all.push_back({"charged before R101, model 1",
                       1,
                       {"click 1016", "until timer 1", "until timer 2", "event 9 \"RS04\"",
                        "until timer 3", "host 110 \"100;250;0.1;25;0;0;0;0;0\""},
                       ChargedWithoutEcho});
        AddStarts(2, all);
        return all;
    }();
    return starts;
}

const StartState& StartNamed(const std::string& name) {
    for (const StartState& start : StartStates()) {
        if (start.name == name) {
            return start;
        }
    }
    std::abort();
}

std::vector<std::size_t> Reach(const StartState& start, ConsoleWorld& world,
                               invariants::SafetyMonitor& monitor, std::string& error) {
    const std::string until = "until timer ";
    const std::size_t advance = FindEvent("advance");
    std::vector<std::size_t> performed;
    for (const std::string& step : start.steps) {
        if (step.rfind(until, 0) == 0) {
            const unsigned timer = static_cast<unsigned>(std::stoul(step.substr(until.size())));
            int waits = 0;
            while (waits++ < kMaxWaits &&
                   RunStep(ExplorerEvents()[advance], world, monitor).timer != timer) {
                performed.push_back(advance);
            }
            performed.push_back(advance);
            continue;
        }
        const std::size_t event = FindEvent(step);
        if (event == ExplorerEvents().size()) {
            error = "no event \"" + step + "\" in the table";
            return {};
        }
        RunStep(ExplorerEvents()[event], world, monitor);
        performed.push_back(event);
    }
    if (!start.reached(world.State())) {
        error = "the steps do not reach it";
        return {};
    }
    return performed;
}

} // namespace check
