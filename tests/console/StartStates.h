// The starts the explorer searches from, in each model: the console off,
// charged, charged with AEC on, charged with an exposure judged OVER, and
// along the exposure sequence (ready up and exposing from the hand switch,
// exposing from the buttons, X-ray ended); in Model 1 also charged before a
// late R101. Each is reached from set-up by a short conversation of events
// from the table.
#pragma once

#include "ConsoleEvents.h"

#include <string>
#include <vector>

namespace check {

struct StartState {
    std::string name;
    int model;
    // The events from set-up, as Describe() writes them; "until timer N"
    // lets time pass until timer N has fired.
    std::vector<std::string> steps;
    // What the start must have reached.
    bool (*reached)(const ConsoleState& state);
};

const std::vector<StartState>& StartStates();
// The start of that name (one of StartStates()).
const StartState& StartNamed(const std::string& name);

// Runs the steps of `start` in `world` under `monitor`; returns the events
// performed (indexes into ExplorerEvents()), or an empty list with `error`
// set when a step is unknown or the start was not reached.
std::vector<std::size_t> Reach(const StartState& start, ConsoleWorld& world,
                               invariants::SafetyMonitor& monitor, std::string& error);

} // namespace check
