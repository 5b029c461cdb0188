// The events that can happen to a console, as the explorer and the fuzzers
// perform them: a button click, a host command, the host's power on or off,
// the operator's hand switch on the port, a link event, time passing to the
// next timer. One step performs one event with the safety monitor watching.
#pragma once

#include "ConsoleInvariants.h"
#include "ConsoleWorld.h"

#include <string>
#include <vector>

namespace check {

struct ConsoleEvent {
    enum class Kind { kButton, kHostCommand, kHostPower, kSwitch, kLink, kAdvance, kComposite };
    Kind kind = Kind::kAdvance;
    // The button's id, the host's code, 1 power on / 0 power off, the index
    // into kSwitchRaw, the link event's id, the composite's index.
    int id = 0;
    std::string text; // the host command's text, the composite's name
    LinkArgs args;    // the link event's texts
};

// A conversation performed as one event, so that long sequences fall within
// the searched depth: its steps per model (none: not in that model), as
// Describe() writes them; "until timer N" lets time pass until timer N has
// fired, and ends the composite while N is not armed.
struct Composite {
    std::string name;
    std::vector<std::string> steps[2];
};
const std::vector<Composite>& Composites();

// Every event the explorer tries, in one table: each button (performed
// only while enabled), each host console command (typical texts for 101 and
// 110), the host's power on and off, the hand switch's three positions and
// one value that matches none, each link event with typical and odd texts,
// and time passing to the next timer.
const std::vector<ConsoleEvent>& ExplorerEvents();

// The index in ExplorerEvents() of the event that Describe() writes as
// `text`; the table's size when there is none.
std::size_t FindEvent(const std::string& text);

// Whether the explorer performs `event` in `world` now: a button only while
// enabled, the port's hand switch only in Model 1.
bool Enabled(const ConsoleEvent& event, const ConsoleWorld& world);

// How `event` reads in a trace.
std::string Describe(const ConsoleEvent& event);

// What one step did: what the console sent out, and what the step came to
// (for time passing: which timer fired and when).
struct StepResult {
    std::vector<invariants::Output> outputs;
    std::string what;
    unsigned timer = 0; // the timer that fired last, for time passing
};

// Performs `event` in `world` and lets `monitor` judge what came out; a
// composite is judged step by step.
StepResult RunStep(const ConsoleEvent& event, ConsoleWorld& world,
                   invariants::SafetyMonitor& monitor);

// A monitor for a run of `world` from the panel's set-up: its model, poll
// and step tables, the console off.
invariants::SafetyMonitor MonitorFor(const ConsoleWorld& world);

// R104's value read as the console reads it: an error up to 0x63, else a
// check.
bool IsErrorValue(const std::string& value);

// An output as a trace shows it: "57 01 00", "port FD", "status <text>".
std::string Describe(const invariants::Output& output);

} // namespace check
