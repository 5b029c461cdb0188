#include "Explorer.h"

#include <algorithm>
#include <chrono>
#include <numeric>
#include <unordered_set>

namespace check {

std::uint64_t ExploreFigures::Violations() const {
    return std::accumulate(violations.begin(), violations.end(), std::uint64_t{0});
}

void ExploreFigures::Add(const ExploreFigures& other) {
    states += other.states;
    transitions += other.transitions;
    depth = std::max(depth, other.depth);
    seconds += other.seconds;
    for (int i = 0; i < invariants::kRuleCount; ++i) {
        violations[i] += other.violations[i];
    }
}

Explorer::Explorer(ConsoleWorld& world, const invariants::SafetyMonitor& monitor,
                   std::vector<bool> tried)
    : m_world(world), m_start(world.Take()), m_startMonitor(monitor), m_tried(std::move(tried)) {
    m_tried.resize(ExplorerEvents().size(), m_tried.empty());
}

ExploreFigures Explorer::Run(int maxDepth) {
    const auto started = std::chrono::steady_clock::now();
    const std::vector<ConsoleEvent>& events = ExplorerEvents();
    ExploreFigures figures;
    std::unordered_set<std::uint64_t> seen;
    auto key = [this](const invariants::SafetyMonitor& monitor) {
        return m_world.Key() ^ (monitor.Key() * 0x9e3779b97f4a7c15ULL);
    };
    m_world.Restore(m_start);
    seen.insert(key(m_startMonitor));
    m_nodes.assign(1, {kNoParent, 0});
    std::vector<std::uint32_t> level{0};
    for (int depth = 0; depth < maxDepth && !level.empty(); ++depth) {
        std::vector<std::uint32_t> next;
        for (std::uint32_t index : level) {
            invariants::SafetyMonitor monitor = m_startMonitor;
            Rebuild(index, monitor);
            const ConsoleWorld::Snapshot snapshot = m_world.Take();
            std::vector<std::size_t> possible;
            for (std::size_t e = 0; e < events.size(); ++e) {
                if (m_tried[e] && Enabled(events[e], m_world)) {
                    possible.push_back(e);
                }
            }
            for (std::size_t e : possible) {
                m_world.Restore(snapshot);
                invariants::SafetyMonitor after = monitor;
                RunStep(events[e], m_world, after);
                ++figures.transitions;
                if (!after.Violations().empty()) {
                    Record(after, index, e, figures);
                    continue;
                }
                if (seen.insert(key(after)).second) {
                    next.push_back(static_cast<std::uint32_t>(m_nodes.size()));
                    m_nodes.push_back({index, static_cast<std::uint32_t>(e)});
                }
            }
        }
        if (!next.empty()) {
            figures.depth = depth + 1;
        }
        level.swap(next);
    }
    figures.states = m_nodes.size();
    figures.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return figures;
}

void Explorer::Rebuild(std::uint32_t index, invariants::SafetyMonitor& monitor) {
    m_world.Restore(m_start);
    for (std::size_t e : PathTo(index)) {
        RunStep(ExplorerEvents()[e], m_world, monitor);
    }
}

std::vector<std::size_t> Explorer::PathTo(std::uint32_t index) const {
    std::vector<std::size_t> path;
    for (; m_nodes[index].parent != kNoParent; index = m_nodes[index].parent) {
        path.push_back(m_nodes[index].event);
    }
    std::reverse(path.begin(), path.end());
    return path;
}

// Counts every violation of the step; keeps the path to the first of each
// rule.
void Explorer::Record(const invariants::SafetyMonitor& monitor, std::uint32_t parent,
                      std::size_t event, ExploreFigures& figures) {
    const std::vector<invariants::Rule>& rules = monitor.ViolatedRules();
    for (std::size_t i = 0; i < rules.size(); ++i) {
        ++figures.violations[static_cast<int>(rules[i])];
        const bool known = std::any_of(m_counterexamples.begin(), m_counterexamples.end(),
                                       [&](const Counterexample& c) { return c.rule == rules[i]; });
        std::vector<std::size_t> path = PathTo(parent);
        path.push_back(event);
        const bool wanted = std::all_of(m_with.begin(), m_with.end(), [&path](std::size_t e) {
            return std::find(path.begin(), path.end(), e) != path.end();
        });
        if (!known && wanted) {
            m_counterexamples.push_back({rules[i], monitor.Violations()[i], path});
        }
    }
}

} // namespace check
