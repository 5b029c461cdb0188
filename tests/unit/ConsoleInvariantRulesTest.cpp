// The safety monitor's rules beyond the sequence's own (those are in
// ConsoleExposureSafetyTest): each broken once names its rule, and the same
// steps kept whole break none.
#include "tests/console/ConsoleInvariants.h"

#include <gtest/gtest.h>

namespace {

using invariants::Output;
using invariants::Rule;
using invariants::StepInputs;

Output Status(const std::string& text, bool sent = false) {
    Output out;
    out.kind = Output::Kind::kStatus;
    out.text = text;
    out.sent = sent;
    return out;
}

Output Lines(const char* a, const char* b) {
    Output out;
    out.call = {kMethodSwitchLines, {a, b}};
    return out;
}

struct Step {
    StepInputs inputs;
    std::vector<Output> outputs;
    unsigned elapsedMs;
};

StepInputs Error() {
    StepInputs inputs;
    inputs.errorReport = true;
    return inputs;
}

StepInputs Check() {
    StepInputs inputs;
    inputs.checkReport = true;
    return inputs;
}

StepInputs HandSwitch(int stage) {
    StepInputs inputs;
    inputs.switchStage = stage;
    inputs.handSwitchOnly = true;
    return inputs;
}

std::vector<Rule> Judge(const std::vector<Step>& steps) {
    invariants::SafetyMonitor monitor(10);
    for (const Step& step : steps) {
        monitor.Begin(step.inputs);
        monitor.End("step", step.outputs, step.elapsedMs);
    }
    return monitor.ViolatedRules();
}

} // namespace

TEST(ConsoleInvariantRules, EachRuleNamesWhatBrokeIt) {
    const Output charged = Status("Generator Charge ON OK !!");
    const Output chargeOff = Status("Generator Charge OFF OK !!");
    const Output ready = Lines("01", "00");
    const Output release = Lines("00", "00");
    struct Case {
        const char* what;
        std::vector<Step> broken;
        std::vector<Step> kept; // the same without the fault
        Rule rule;
    };
    const Case cases[] = {
        {"a line still asserted at Charge OFF OK",
         {{{}, {charged, ready}, 0}, {{}, {chargeOff}, 0}},
         {{{}, {charged, ready}, 0}, {{}, {release, chargeOff}, 0}},
         Rule::kChargeOff},
        {"no power off within 100 ms and a poll after an error",
         {{{}, {charged}, 0}, {Error(), {}, 0}, {{}, {}, 111}},
         {{{}, {charged}, 0}, {Error(), {}, 0}, {{}, {chargeOff}, 110}},
         Rule::kReportLatch},
        {"the hand switch releasing while a check is pending",
         {{HandSwitch(1), {charged, ready}, 0}, {Check(), {}, 0}, {HandSwitch(0), {release}, 10}},
         {{HandSwitch(1), {charged, ready}, 0}, {Check(), {release}, 0}, {HandSwitch(0), {}, 10}},
         Rule::kReportLatch},
        {"a ready after the console judged OVER",
         {{{}, {charged, Status("OVER !!", true)}, 0}, {{}, {ready}, 0}},
         {{{}, {charged, Status("OVER !!", true), Status("", true)}, 0}, {{}, {ready}, 0}},
         Rule::kOver},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Judge(c.broken), std::vector<Rule>{c.rule}) << c.what;
        EXPECT_TRUE(Judge(c.kept).empty()) << c.what;
    }
}
