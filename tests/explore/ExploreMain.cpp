// make explore: the console explored breadth-first from each start state up
// to a depth, every invariant of ConsoleInvariants.h judged after every
// event. Prints the figures per start and in total; a violation prints the
// events that lead to it with what the console sent, and fails the run.
// Usage: relvan_explore [--depth N] [--start TEXT]...
//   --start runs only the starts whose name contains TEXT.
#include "Explorer.h"
#include "tests/console/SampleData.h"
#include "tests/console/StartStates.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using namespace check;

constexpr int kDefaultDepth = 3;

struct Options {
    int depth = kDefaultDepth;
    std::vector<std::string> starts;
};

bool Parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--depth") == 0 && i + 1 < argc) {
            options.depth = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--start") == 0 && i + 1 < argc) {
            options.starts.push_back(argv[++i]);
        } else {
            return false;
        }
    }
    return options.depth > 0;
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
// sent.
void PrintCounterexample(const SampleData& data, const StartState& start,
                         const std::vector<std::size_t>& prefix, const Counterexample& example) {
    std::printf("\nCounterexample [%s] from \"%s\":\n  %s\n", invariants::RuleName(example.rule),
                start.name.c_str(), example.violation.c_str());
    ConsoleWorld world(data.Root(), data.IniFor(start.model));
    world.TakeOutputs();
    invariants::SafetyMonitor monitor(world.PollMs());
    std::vector<std::size_t> events = prefix;
    events.insert(events.end(), example.events.begin(), example.events.end());
    for (std::size_t i = 0; i < events.size(); ++i) {
        const StepResult step = RunStep(ExplorerEvents()[events[i]], world, monitor);
        std::printf("  %s%s\n", i < prefix.size() ? "(start) " : "", step.what.c_str());
        for (const invariants::Output& output : step.outputs) {
            std::printf("      -> %s\n", Describe(output).c_str());
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!Parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: relvan_explore [--depth N] [--start TEXT]...\n");
        return 2;
    }
    const SampleData data;
    ExploreFigures total;
    bool broken = false;
    for (const StartState& start : StartStates()) {
        if (!Selected(options, start)) {
            continue;
        }
        ConsoleWorld world(data.Root(), data.IniFor(start.model));
        world.TakeOutputs();
        invariants::SafetyMonitor monitor(world.PollMs());
        std::string error;
        const std::vector<std::size_t> prefix = Reach(start, world, monitor, error);
        if (!error.empty() || !monitor.Violations().empty()) {
            std::printf("%s: cannot start: %s\n", start.name.c_str(),
                        error.empty() ? monitor.Violations().front().c_str() : error.c_str());
            broken = true;
            continue;
        }
        world.TakeOutputs();
        Explorer explorer(world, monitor);
        const ExploreFigures figures = explorer.Run(options.depth);
        PrintFigures(start.name.c_str(), figures);
        for (const Counterexample& example : explorer.Counterexamples()) {
            PrintCounterexample(data, start, prefix, example);
        }
        total.Add(figures);
    }
    PrintFigures("total", total);
    std::printf("%llu states, %llu transitions, depth %d, %llu violations\n",
                static_cast<unsigned long long>(total.states),
                static_cast<unsigned long long>(total.transitions), total.depth,
                static_cast<unsigned long long>(total.Violations()));
    return broken || total.Violations() != 0 ? 1 : 0;
}
