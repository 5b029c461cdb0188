#include "ConsoleWorld.h"

#include <algorithm>
#include <tuple>

namespace check {

namespace {

constexpr unsigned kLinkPollMs = 10;
// The bits of the status register other than the hand switch's.
constexpr std::uint8_t kOtherStatusBits = 0xC7;

void Mix(std::uint64_t& hash, std::uint64_t value) {
    hash ^= value + 0x9e3779b97f4a7c15ULL + (hash << 6) + (hash >> 2);
}

// The final mixing of splitmix64, so that keys spread over all 64 bits.
std::uint64_t Finish(std::uint64_t hash) {
    hash = (hash ^ (hash >> 30)) * 0xbf58476d1ce4e5b9ULL;
    hash = (hash ^ (hash >> 27)) * 0x94d049bb133111ebULL;
    return hash ^ (hash >> 31);
}

} // namespace

ConsoleWorld::ConsoleWorld(const std::string& root, const std::string& iniPath)
    : m_root(root), m_console(*this, *this, *this, m_profile) {
    m_profile.SetFile(iniPath);
    m_console.OnInitDialog();
}

unsigned ConsoleWorld::PollMs() const {
    return State().m_nModel == 2 ? kLinkPollMs : static_cast<unsigned>(State().m_nDelayCheck);
}

bool ConsoleWorld::IsPoll(unsigned timer) const {
    return timer != 0 && timer == State().m_nPollTimer;
}

// The timer due first; at the same time the poll comes after the others,
// and the others in the order of their ids. 0 when none is armed.
unsigned ConsoleWorld::NextTimer(bool skipPoll) const {
    unsigned next = 0;
    auto order = [this](unsigned id) {
        return std::make_tuple(m_timers.at(id).dueMs, IsPoll(id), id);
    };
    for (const auto& [id, timer] : m_timers) {
        if ((skipPoll && IsPoll(id)) || (next != 0 && order(next) < order(id))) {
            continue;
        }
        next = id;
    }
    return next;
}

unsigned ConsoleWorld::AdvanceToNextTimer() {
    const unsigned next = NextTimer(false);
    if (next == 0 || !IsPoll(next)) {
        if (next != 0) {
            Fire(next);
        }
        return next;
    }
    const ConsoleState before = State();
    const std::size_t outputs = m_outputs.size();
    Fire(next);
    const unsigned other = NextTimer(true);
    // The poll's read of the switch alone changes nothing.
    const bool onlyRead =
        m_outputs.size() == outputs + 1 && m_outputs.back().kind == invariants::Output::Kind::kRead;
    if ((m_outputs.size() != outputs && !onlyRead) || State() != before || other == 0) {
        return next;
    }
    FastForwardTo(other);
    return other;
}

// Skips the polls due before `timer` (each would change nothing) and fires
// it; a poll due at the same time stays due.
void ConsoleWorld::FastForwardTo(unsigned timer) {
    const std::uint64_t dueMs = m_timers.at(timer).dueMs;
    const auto poll = m_timers.find(State().m_nPollTimer);
    if (poll != m_timers.end() && poll->second.dueMs < dueMs && poll->second.periodMs != 0) {
        const std::uint64_t period = poll->second.periodMs;
        poll->second.dueMs += (dueMs - poll->second.dueMs + period - 1) / period * period;
    }
    Fire(timer);
}

// Panel timers repeat, as Win32 timers do, until killed or set again.
void ConsoleWorld::Fire(unsigned timer) {
    const std::uint64_t dueMs = m_timers.at(timer).dueMs;
    m_nowMs = std::max(m_nowMs, dueMs);
    m_console.OnTimer(timer);
    const auto again = m_timers.find(timer);
    if (again != m_timers.end() && again->second.dueMs == dueMs) {
        again->second.dueMs = m_nowMs + again->second.periodMs;
    }
}

std::vector<invariants::Output> ConsoleWorld::TakeOutputs() {
    std::vector<invariants::Output> outputs;
    outputs.swap(m_outputs);
    return outputs;
}

ConsoleWorld::Snapshot ConsoleWorld::Take() const {
    return {State(), m_nowMs, m_timers, m_switchRaw};
}

void ConsoleWorld::Restore(const Snapshot& snapshot) {
    m_console.RestoreState(snapshot.state);
    m_nowMs = snapshot.nowMs;
    m_timers = snapshot.timers;
    m_switchRaw = snapshot.switchRaw;
    m_outputs.clear();
}

std::uint64_t ConsoleWorld::Key() const {
    std::uint64_t hash = HashConsoleState(State());
    Mix(hash, m_switchRaw);
    for (const auto& [id, timer] : m_timers) {
        Mix(hash, id);
        Mix(hash, timer.dueMs - m_nowMs);
        Mix(hash, timer.periodMs);
    }
    return Finish(hash);
}

void ConsoleWorld::SetPanelTimer(unsigned id, unsigned periodMs) {
    m_timers[id] = {m_nowMs + periodMs, periodMs};
}

void ConsoleWorld::KillPanelTimer(unsigned id) {
    m_timers.erase(id);
}

void ConsoleWorld::PostStatusText(const std::string& text) {
    Note(text);
}

void ConsoleWorld::SendStatusText(const std::string& text) {
    Note(text);
    m_outputs.back().sent = true;
}

void ConsoleWorld::Note(const std::string& text) {
    invariants::Output output;
    output.kind = invariants::Output::Kind::kStatus;
    output.text = text;
    m_outputs.push_back(output);
}

void ConsoleWorld::Invoke(int dispatchId, const LinkArgs& args) {
    invariants::Output output;
    output.call = {dispatchId, args};
    m_outputs.push_back(output);
}

void ConsoleWorld::Write(std::uint16_t, std::uint8_t value) {
    invariants::Output output;
    output.kind = invariants::Output::Kind::kPort;
    output.portValue = value;
    m_outputs.push_back(output);
}

std::uint8_t ConsoleWorld::Read(std::uint16_t address) {
    const bool status = address == static_cast<std::uint16_t>(State().m_nPortAddress + 1);
    if (status) {
        invariants::Output output;
        output.kind = invariants::Output::Kind::kRead;
        output.portValue = static_cast<std::uint8_t>(m_switchRaw & 0x30);
        m_outputs.push_back(output);
    }
    return status ? static_cast<std::uint8_t>(m_switchRaw | kOtherStatusBits) : 0xFF;
}

} // namespace check
