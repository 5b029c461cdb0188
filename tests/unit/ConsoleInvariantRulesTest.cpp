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

// The link's HS report (Model 2).
StepInputs HandSwitch(int stage) {
    StepInputs inputs;
    inputs.switchStage = stage;
    inputs.handSwitchOnly = true;
    inputs.switchReport = true;
    return inputs;
}

StepInputs Reset() {
    StepInputs inputs;
    inputs.reset = true;
    return inputs;
}

StepInputs ReadyButton() {
    StepInputs inputs;
    inputs.readyButton = true;
    return inputs;
}

StepInputs Power(bool on) {
    StepInputs inputs;
    inputs.powerOn = on;
    inputs.powerOff = !on;
    return inputs;
}

StepInputs ActualMas(const char* units, const char* tens) {
    StepInputs inputs;
    inputs.masReport = true;
    inputs.masUnits = units;
    inputs.masTens = tens;
    return inputs;
}

Output Call(int method, LinkArgs args = {}) {
    Output out;
    out.call = {method, std::move(args)};
    return out;
}

std::vector<Rule> Judge(const std::vector<Step>& steps) {
    invariants::SafetyMonitor monitor(10, 2);
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
    const Output powerOffOk = Status("Generator Power OFF OK !!");
    const Output toldOff = Status("(powered off)");
    const Case cases[] = {
        {"a line still asserted at Charge OFF OK",
         {{ReadyButton(), {charged, ready}, 0},
          {Power(false), {chargeOff, powerOffOk, toldOff}, 0}},
         {{ReadyButton(), {charged, ready}, 0},
          {Power(false), {release, chargeOff, powerOffOk, toldOff}, 0}},
         Rule::kChargeOff},
        {"no power off within 100 ms and a poll after an error",
         {{{}, {charged}, 0}, {Error(), {}, 0}, {{}, {}, 111}},
         {{{}, {charged}, 0}, {Error(), {}, 0}, {{}, {chargeOff, powerOffOk, toldOff}, 110}},
         Rule::kReportLatch},
        {"the hand switch releasing while a check is pending",
         {{{}, {charged}, 0},
          {HandSwitch(1), {ready}, 0},
          {Check(), {}, 0},
          {HandSwitch(0), {release}, 10}},
         {{{}, {charged}, 0},
          {HandSwitch(1), {ready}, 0},
          {Check(), {release}, 0},
          {HandSwitch(0), {}, 10}},
         Rule::kReportLatch},
        {"a ready after the console judged OVER",
         {{{}, {charged, Status("OVER !!", true)}, 0}, {ReadyButton(), {ready}, 0}},
         {{{}, {charged, Status("OVER !!", true), Status("", true)}, 0},
          {ReadyButton(), {ready}, 0}},
         Rule::kOver},
        {"a ready from a switch pressed before the charge",
         {{HandSwitch(1), {}, 0}, {{}, {charged}, 0}, {{}, {ready}, 10}},
         {{HandSwitch(1), {}, 0}, {{}, {charged}, 0}, {HandSwitch(1), {ready}, 10}},
         Rule::kFreshPress},
        {"a ready again from the switch held after a check cut the exposure",
         {{{}, {charged}, 0},
          {HandSwitch(2), {ready, Lines("01", "01")}, 0},
          {Check(), {release}, 0},
          {Reset(), {Status("Generator HT Reset !!")}, 0},
          {{}, {ready}, 10}},
         {{{}, {charged}, 0},
          {HandSwitch(2), {ready, Lines("01", "01")}, 0},
          {Check(), {release}, 0},
          {Reset(), {Status("Generator HT Reset !!")}, 0},
          {HandSwitch(0), {}, 10},
          {HandSwitch(1), {ready}, 10}},
         Rule::kFreshPress},
        {"the generator told something after Power OFF OK",
         {{Power(false), {chargeOff, powerOffOk, toldOff}, 0},
          {{}, {Call(kMethodBucky1, {"00", "20"})}, 0}},
         {{Power(false), {chargeOff, powerOffOk, toldOff}, 0},
          {Power(true), {Call(kMethodPowerOn)}, 0}},
         Rule::kPowerDiscipline},
        {"a second power on while powered",
         {{Power(true), {Call(kMethodPowerOn)}, 0}, {Power(true), {Call(kMethodPowerOn)}, 0}},
         {{Power(true), {Call(kMethodPowerOn)}, 0}, {Power(true), {}, 0}},
         Rule::kPowerDiscipline},
        {"a power off that never reaches Power OFF OK",
         {{{}, {charged}, 0}, {Power(false), {chargeOff}, 0}},
         {{{}, {charged}, 0}, {Power(false), {chargeOff, powerOffOk, toldOff}, 0}},
         Rule::kPowerOffCompletes},
        {"an actual mAs to the host other than R201's",
         {{ActualMas("25", "1"), {}, 0}, {{}, {Status("(value 0)")}, 100}},
         {{ActualMas("25", "1"), {}, 0}, {{}, {Status("(value 12.5)")}, 100}},
         Rule::kHostTruth},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Judge(c.broken), std::vector<Rule>{c.rule}) << c.what;
        EXPECT_TRUE(Judge(c.kept).empty()) << c.what;
    }
}
