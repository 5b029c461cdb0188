// make explore: the console explored breadth-first from each start state,
// every invariant of ConsoleInvariants.h judged after every event: first
// with only the events of the exposure sequence (the hand switch, the power
// and sequence buttons, the host's power, the state codes, HS, PS, LINK,
// R101, R104, R105, R201, time, the composite conversations), deeper; then
// with every event, to the depth the last line gives. Prints the figures
// per start and in total; a violation prints the events that lead to it
// with what the console sent, and fails the run.
// Usage: relvan_explore [--depth N] [--sequence-depth N] [--start TEXT]...
//                       [--with EVENT]... [--replay EVENT]...
//   --sequence-depth 0 leaves out the first search; --start runs only the
//   starts whose name contains TEXT; --with prints only counterexamples
//   whose events include EVENT (as a trace writes it); --replay performs
//   the events from each selected start and prints what broke.
#include "Explorer.h"
#include "tests/console/SampleData.h"
#include "tests/console/StartStates.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using namespace check;

constexpr int kDefaultDepth = 3;
constexpr int kDefaultSequenceDepth = 4;

struct Options {
    int depth = kDefaultDepth;
    int sequenceDepth = kDefaultSequenceDepth;
    std::vector<std::string> starts;
    std::vector<std::size_t> with;
    std::vector<std::size_t> replay;
};

bool Parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--depth") == 0 && i + 1 < argc) {
            options.depth = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--sequence-depth") == 0 && i + 1 < argc) {
            options.sequenceDepth = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--start") == 0 && i + 1 < argc) {
            options.starts.push_back(argv[++i]);
        } else if ((std::strcmp(argv[i], "--with") == 0 || std::strcmp(argv[i], "--replay") == 0) &&
                   i + 1 < argc) {
            std::vector<std::size_t>& events = argv[i][2] == 'w' ? options.with : options.replay;
            events.push_back(FindEvent(argv[++i]));
            if (events.back() == ExplorerEvents().size()) {
                return false;
            }
        } else {
            return false;
        }
    }
    return options.depth > 0 && options.sequenceDepth >= 0;
}

bool Selected(const Options& options, const StartState& start) {
    if (options.starts.empty()) {
        return true;
    }
    for (const std::string& text : options.starts) {
        if (start.name.find(text) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// The events of the exposure sequence.
std::vector<bool> SequenceEvents() {
    static const std::string kCodes[] = {"RS04", "RS05", "RS06", "RS07", "HS",  "PS",
                                         "LINK", "R101", "R104", "R105", "R201"};
    static const int kButtons[] = {panel::kPowerOn,     panel::kPowerOff, panel::kReady,
                                   panel::kReadyCancel, panel::kExposure, panel::kExposureCancel};
    std::vector<bool> tried;
    for (const ConsoleEvent& event : ExplorerEvents()) {
        const std::string code = event.args.empty() ? "" : event.args[0];
        switch (event.kind) {
        case ConsoleEvent::Kind::kButton:
            tried.push_back(std::find(std::begin(kButtons), std::end(kButtons), event.id) !=
                            std::end(kButtons));
            break;
        case ConsoleEvent::Kind::kHostCommand:
            tried.push_back(false);
            break;
        case ConsoleEvent::Kind::kLink:
            tried.push_back(std::find(std::begin(kCodes), std::end(kCodes), code) !=
                            std::end(kCodes));
            break;
        default:
            tried.push_back(true);
            break;
        }
    }
    return tried;
}

void PrintFigures(const char* name, const ExploreFigures& f) {
    std::printf("%s: %llu states, %llu transitions, depth %d, %.1f s; violations:", name,
                static_cast<unsigned long long>(f.states),
                static_cast<unsigned long long>(f.transitions), f.depth, f.seconds);
    for (int i = 0; i < invariants::kRuleCount; ++i) {
        std::printf("%s %s %llu", i == 0 ? "" : ",", invariants::RuleName(invariants::Rule(i)),
                    static_cast<unsigned long long>(f.violations[i]));
    }
    std::printf("\n");
    std::fflush(stdout);
}

// Replays the events from set-up in a new world, each with what the console
// sent and what broke.
void PrintTrace(const SampleData& data, const StartState& start,
                const std::vector<std::size_t>& prefix, const std::vector<std::size_t>& more) {
    ConsoleWorld world(data.Root(), data.IniFor(start.model));
    world.TakeOutputs();
    invariants::SafetyMonitor monitor = MonitorFor(world);
    std::vector<std::size_t> events = prefix;
    events.insert(events.end(), more.begin(), more.end());
    for (std::size_t i = 0; i < events.size(); ++i) {
        const StepResult step = RunStep(ExplorerEvents()[events[i]], world, monitor);
        std::printf("  %s%s\n", i < prefix.size() ? "(start) " : "", step.what.c_str());
        for (const invariants::Output& output : step.outputs) {
            if (output.kind != invariants::Output::Kind::kRead) {
                std::printf("      -> %s\n", Describe(output).c_str());
            }
        }
        for (const std::string& violation : monitor.Violations()) {
            std::printf("      !! %s\n", violation.c_str());
        }
        monitor.ClearViolations();
    }
}

void PrintCounterexample(const SampleData& data, const StartState& start,
                         const std::vector<std::size_t>& prefix, const Counterexample& example) {
    std::printf("\nCounterexample [%s] from \"%s\", depth %zu:\n  %s\n",
                invariants::RuleName(example.rule), start.name.c_str(), example.events.size(),
                example.violation.c_str());
    PrintTrace(data, start, prefix, example.events);
}

// --replay: the events from each selected start.
void Replay(const SampleData& data, const Options& options) {
    for (const StartState& start : StartStates()) {
        if (!Selected(options, start)) {
            continue;
        }
        ConsoleWorld world(data.Root(), data.IniFor(start.model));
        world.TakeOutputs();
        invariants::SafetyMonitor monitor = MonitorFor(world);
        std::string error;
        const std::vector<std::size_t> prefix = Reach(start, world, monitor, error);
        std::printf("\nReplay from \"%s\":\n", start.name.c_str());
        PrintTrace(data, start, prefix, options.replay);
    }
}

// Explores from every selected start to `depth` with the events `tried`
// marks; prints the figures of each start and their total, with `name`.
ExploreFigures Search(const char* name, const SampleData& data, const Options& options, int depth,
                      const std::vector<bool>& tried, bool& broken) {
    ExploreFigures total;
    for (const StartState& start : StartStates()) {
        if (!Selected(options, start)) {
            continue;
        }
        ConsoleWorld world(data.Root(), data.IniFor(start.model));
        world.TakeOutputs();
        invariants::SafetyMonitor monitor = MonitorFor(world);
        std::string error;
        const std::vector<std::size_t> prefix = Reach(start, world, monitor, error);
        if (!error.empty() || !monitor.Violations().empty()) {
            std::printf("%s: cannot start: %s\n", start.name.c_str(),
                        error.empty() ? monitor.Violations().front().c_str() : error.c_str());
            broken = true;
            continue;
        }
        world.TakeOutputs();
        Explorer explorer(world, monitor, tried);
        explorer.KeepOnlyWith(options.with);
        const ExploreFigures figures = explorer.Run(depth);
        PrintFigures((std::string(name) + ", " + start.name).c_str(), figures);
        for (const Counterexample& example : explorer.Counterexamples()) {
            PrintCounterexample(data, start, prefix, example);
        }
        total.Add(figures);
    }
    PrintFigures((std::string(name) + ", total").c_str(), total);
    broken = broken || total.Violations() != 0;
    return total;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!Parse(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: relvan_explore [--depth N] [--sequence-depth N] [--start TEXT]... "
                     "[--with EVENT]... [--replay EVENT]...\n");
        return 2;
    }
    const SampleData data;
    if (!options.replay.empty()) {
        Replay(data, options);
        return 0;
    }
    bool broken = false;
    if (options.sequenceDepth > 0) {
        Search("sequence events", data, options, options.sequenceDepth, SequenceEvents(), broken);
    }
    const ExploreFigures total = Search("all events", data, options, options.depth, {}, broken);
    std::printf("%llu states, %llu transitions, depth %d, %llu violations\n",
                static_cast<unsigned long long>(total.states),
                static_cast<unsigned long long>(total.transitions), total.depth,
                static_cast<unsigned long long>(total.Violations()));
    return broken ? 1 : 0;
}
