// What the console fuzz targets share: a reader over the input bytes, and a
// run of a console from one of the explorer's starts with the safety monitor
// judging every step. The worlds and the starts are made once per process
// and put back for every input.
#pragma once

#include "tests/console/ConsoleEvents.h"
#include "tests/console/SampleData.h"
#include "tests/console/StartStates.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace fuzz {

// The input, taken from the front.
class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    bool Empty() const { return m_at >= m_size; }
    // The next byte; 0 past the end.
    std::uint8_t Byte() { return Empty() ? 0 : m_data[m_at++]; }
    // A text: a length byte, then up to that many bytes.
    std::string Text() {
        const std::size_t length = std::min<std::size_t>(Byte(), m_size - m_at);
        return Take(length);
    }
    // Everything left.
    std::string Rest() { return Take(m_size - m_at); }

private:
    std::string Take(std::size_t length) {
        std::string text(reinterpret_cast<const char*>(m_data + m_at), length);
        m_at += length;
        return text;
    }

    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

// The sample data set of the whole fuzzing run.
inline const check::SampleData& Data() {
    static const check::SampleData data;
    return data;
}

// A console put at one of the explorer's starts (`choice` modulo their
// number), its steps judged by the safety monitor: a violation prints what
// broke and aborts.
class ConsoleRun {
public:
    explicit ConsoleRun(std::uint8_t choice) {
        const std::vector<check::StartState>& starts = check::StartStates();
        Start& start = Cached(choice % starts.size());
        m_world = start.world.get();
        m_world->Restore(start.snapshot);
        m_monitor = std::make_unique<invariants::SafetyMonitor>(start.monitor);
    }

    check::ConsoleWorld& World() { return *m_world; }

    void Step(const check::ConsoleEvent& event) {
        check::RunStep(event, *m_world, *m_monitor);
        if (!m_monitor->Violations().empty()) {
            std::fprintf(stderr, "violation: %s\n", m_monitor->Violations().front().c_str());
            std::abort();
        }
    }

private:
    struct Start {
        std::unique_ptr<check::ConsoleWorld> world;
        check::ConsoleWorld::Snapshot snapshot;
        invariants::SafetyMonitor monitor{0};
    };

    // Each start is reached once, in a world of its own.
    static Start& Cached(std::size_t index) {
        static std::vector<Start> cache(check::StartStates().size());
        Start& start = cache[index];
        if (start.world == nullptr) {
            const check::StartState& recipe = check::StartStates()[index];
            start.world =
                std::make_unique<check::ConsoleWorld>(Data().Root(), Data().IniFor(recipe.model));
            start.monitor = check::MonitorFor(*start.world);
            std::string error;
            check::Reach(recipe, *start.world, start.monitor, error);
            if (!error.empty() || !start.monitor.Violations().empty()) {
                std::fprintf(stderr, "start \"%s\" not reached: %s\n", recipe.name.c_str(),
                             error.c_str());
                std::abort();
            }
            start.world->TakeOutputs();
            start.snapshot = start.world->Take();
        }
        return start;
    }

    check::ConsoleWorld* m_world = nullptr;
    std::unique_ptr<invariants::SafetyMonitor> m_monitor;
};

} // namespace fuzz
