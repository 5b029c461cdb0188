// Breadth-first exploration of a console from one start: every event of
// the table that is possible, in every distinct world reached, up to a
// depth. Worlds are told apart by their key (the console's state, the
// timers' remaining times, the hand switch, the safety monitor's state), so
// the search covers distinct states rather than sequences. Only the path to
// each state is kept; a state is rebuilt by replaying its path from the start.
#pragma once

#include "tests/console/ConsoleEvents.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace check {

struct ExploreFigures {
    std::uint64_t states = 0;
    std::uint64_t transitions = 0;
    int depth = 0;
    double seconds = 0;
    std::array<std::uint64_t, invariants::kRuleCount> violations{};

    std::uint64_t Violations() const;
    void Add(const ExploreFigures& other);
};

// The first violation of a rule: the events from the start that lead to it.
struct Counterexample {
    invariants::Rule rule;
    std::string violation;
    std::vector<std::size_t> events; // indexes into ExplorerEvents()
};

class Explorer {
public:
    // Explores from the world and monitor as they are now, with the events
    // of ExplorerEvents() that `tried` marks (all when empty).
    Explorer(ConsoleWorld& world, const invariants::SafetyMonitor& monitor,
             std::vector<bool> tried = {});

    ExploreFigures Run(int maxDepth);
    // Keeps as counterexamples only paths that hold each of these events
    // (indexes into ExplorerEvents()); violations are counted all the same.
    void KeepOnlyWith(std::vector<std::size_t> events) { m_with = std::move(events); }
    const std::vector<Counterexample>& Counterexamples() const { return m_counterexamples; }

private:
    struct Node {
        std::uint32_t parent;
        std::uint32_t event;
    };
    static constexpr std::uint32_t kNoParent = 0xFFFFFFFF;

    // Puts the world and the monitor into the state of node `index`.
    void Rebuild(std::uint32_t index, invariants::SafetyMonitor& monitor);
    std::vector<std::size_t> PathTo(std::uint32_t index) const;
    void Record(const invariants::SafetyMonitor& monitor, std::uint32_t parent, std::size_t event,
                ExploreFigures& figures);

    ConsoleWorld& m_world;
    ConsoleWorld::Snapshot m_start;
    invariants::SafetyMonitor m_startMonitor;
    std::vector<bool> m_tried;
    std::vector<Node> m_nodes;
    std::vector<Counterexample> m_counterexamples;
    std::vector<std::size_t> m_with;
};

} // namespace check
