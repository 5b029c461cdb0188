#include "platform/sim/SimWorld.h"

#include <algorithm>
#include <ctime>

namespace sim {

World& World::Get() {
    static World world;
    return world;
}

platform::LocalTime World::DefaultStart() {
    platform::LocalTime t;
    t.year = 2026;
    t.month = 12;
    t.day = 7;
    t.hour = 14;
    return t;
}

void World::Reset(platform::LocalTime start) {
    std::string directory = currentDirectory;
    *this = World();
    currentDirectory = directory;
    m_start = start;
}

platform::LocalTime World::LocalNow() const {
    std::tm tm{};
    tm.tm_year = m_start.year - 1900;
    tm.tm_mon = m_start.month - 1;
    tm.tm_mday = m_start.day;
    tm.tm_hour = m_start.hour;
    tm.tm_min = m_start.minute;
    tm.tm_sec = m_start.second;
    std::uint64_t totalMs = static_cast<std::uint64_t>(m_start.millisecond) + m_nowMs;
    tm.tm_sec += static_cast<int>(totalMs / 1000);
    tm.tm_isdst = -1;
    std::time_t seconds = timegm(&tm);
    std::tm out{};
    gmtime_r(&seconds, &out);
    platform::LocalTime now;
    now.year = out.tm_year + 1900;
    now.month = out.tm_mon + 1;
    now.day = out.tm_mday;
    now.hour = out.tm_hour;
    now.minute = out.tm_min;
    now.second = out.tm_sec;
    now.millisecond = static_cast<int>(totalMs % 1000);
    return now;
}

void World::Advance(std::uint64_t ms) {
    const std::uint64_t until = m_nowMs + ms;
    Settle();
    while (FireNextDueTimer(until)) {
        Settle();
    }
    m_nowMs = std::max(m_nowMs, until);
}

void World::Settle() {
    // A port thread writes its frame as soon as the GUI thread lets go; posted
    // messages are then taken from the queue in order.
    for (;;) {
        FlushPortWrites();
        if (m_posted.empty()) {
            return;
        }
        DeliverPosted();
    }
}

void World::DeliverPosted() {
    Posted p = m_posted.front();
    m_posted.pop_front();
    if (CDialog* dialog = DialogOf(p.hwnd)) {
        LRESULT ignored = 0;
        dialog->WindowProc(p.message, p.wParam, p.lParam, ignored);
    }
}

void World::FlushPortWrites() {
    for (auto& [name, device] : m_serial) {
        if (device.open && device.flushWrites) {
            device.flushWrites();
        }
    }
}

bool World::FireNextDueTimer(std::uint64_t until) {
    auto next = m_timers.end();
    for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
        if (it->due > until) {
            continue;
        }
        if (next == m_timers.end() || it->due < next->due ||
            (it->due == next->due && it->order < next->order)) {
            next = it;
        }
    }
    if (next == m_timers.end()) {
        return false;
    }
    m_nowMs = std::max(m_nowMs, next->due);
    // A window timer keeps running until it is killed: re-arm it first.
    next->due = m_nowMs + std::max<UINT>(next->period, 1);
    next->order = ++m_timerOrder;
    HWND hwnd = next->hwnd;
    WPARAM id = next->id;
    if (CDialog* dialog = DialogOf(hwnd)) {
        LRESULT ignored = 0;
        dialog->WindowProc(WM_TIMER, id, 0, ignored);
    }
    return true;
}

HWND World::AddWindow(CDialog* dialog) {
    HWND hwnd = reinterpret_cast<HWND>(m_nextHandle += 0x10);
    m_windows.push_back({hwnd, dialog});
    return hwnd;
}

void World::RemoveWindow(HWND hwnd) {
    m_windows.erase(std::remove_if(m_windows.begin(), m_windows.end(),
                                   [hwnd](const Window& w) { return w.hwnd == hwnd; }),
                    m_windows.end());
    m_timers.erase(std::remove_if(m_timers.begin(), m_timers.end(),
                                  [hwnd](const Timer& t) { return t.hwnd == hwnd; }),
                   m_timers.end());
}

CDialog* World::DialogOf(HWND hwnd) const {
    for (const Window& w : m_windows) {
        if (w.hwnd == hwnd) {
            return w.dialog;
        }
    }
    return nullptr;
}

UINT_PTR World::SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs) {
    if (DialogOf(hwnd) == nullptr) {
        return 0;
    }
    KillTimer(hwnd, id);
    m_timers.push_back({hwnd, id, elapseMs, m_nowMs + std::max<UINT>(elapseMs, 1), ++m_timerOrder});
    return id;
}

bool World::KillTimer(HWND hwnd, UINT_PTR id) {
    auto it = std::find_if(m_timers.begin(), m_timers.end(),
                           [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    if (it == m_timers.end()) {
        return false;
    }
    m_timers.erase(it);
    return true;
}

bool World::HasTimer(HWND hwnd, UINT_PTR id) const {
    return TimerRemaining(hwnd, id) >= 0;
}

std::int64_t World::TimerRemaining(HWND hwnd, UINT_PTR id) const {
    for (const Timer& t : m_timers) {
        if (t.hwnd == hwnd && t.id == id) {
            return static_cast<std::int64_t>(t.due - m_nowMs);
        }
    }
    return -1;
}

UINT World::TimerPeriod(HWND hwnd, UINT_PTR id) const {
    for (const Timer& t : m_timers) {
        if (t.hwnd == hwnd && t.id == id) {
            return t.period;
        }
    }
    return 0;
}

void World::Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    m_posted.push_back({hwnd, message, wParam, lParam});
}

HWND World::AddHostWindow(const std::string& title) {
    HostWindow host;
    host.hwnd = reinterpret_cast<HWND>(m_nextHandle += 0x10);
    host.title = title;
    m_hosts.push_back(host);
    return host.hwnd;
}

void World::RemoveHostWindow(HWND hwnd) {
    m_hosts.erase(std::remove_if(m_hosts.begin(), m_hosts.end(),
                                 [hwnd](const HostWindow& h) { return h.hwnd == hwnd; }),
                  m_hosts.end());
}

HostWindow* World::HostOf(HWND hwnd) {
    for (HostWindow& h : m_hosts) {
        if (h.hwnd == hwnd) {
            return &h;
        }
    }
    return nullptr;
}

const HostWindow* World::HostOf(HWND hwnd) const {
    return const_cast<World*>(this)->HostOf(hwnd);
}

HWND World::FindTopLevel(const std::string& title) const {
    for (const HostWindow& h : m_hosts) {
        if (h.title == title) {
            return h.hwnd;
        }
    }
    return nullptr;
}

void World::Receive(const std::string& deviceName, const std::vector<std::uint8_t>& bytes) {
    SerialDevice& device = m_serial[deviceName];
    if (device.open && device.receive) {
        device.receive(bytes);
    }
}

void World::Lose(const std::string& deviceName, unsigned long errorCode) {
    SerialDevice& device = m_serial[deviceName];
    device.present = false;
    if (device.open && device.lose) {
        device.lose(errorCode);
    }
}

std::vector<std::uint8_t> World::Written(const std::string& deviceName) const {
    std::vector<std::uint8_t> all;
    auto it = m_serial.find(deviceName);
    if (it != m_serial.end()) {
        for (const auto& write : it->second.writes) {
            all.insert(all.end(), write.begin(), write.end());
        }
    }
    return all;
}

void World::ClearWritten(const std::string& deviceName) {
    m_serial[deviceName].writes.clear();
}

} // namespace sim
