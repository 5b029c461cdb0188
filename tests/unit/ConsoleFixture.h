// The console's rules on the simulated desktop: a panel window whose timers
// run on the virtual clock, a recording link, a simulated parallel port, the
// host's INI file and a data root in a temporary folder (a copy of the
// sample data set unless a test starts from an empty one).
#pragma once

#include "console/Console.h"
#include "console/ConsoleIds.h"
#include "console/sim/RecordingLink.h"
#include "console/sim/SimParallelPort.h"
#include "platform/sim/SimWorld.h"
#include "support/Profile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <ostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace sim {
// Readable link calls in test failures.
inline void PrintTo(const LinkCall& call, std::ostream* out) {
    *out << call.dispatchId << "(";
    for (std::size_t i = 0; i < call.args.size(); ++i) {
        *out << (i == 0 ? "\"" : ", \"") << call.args[i] << "\"";
    }
    *out << ")";
}
} // namespace sim

// A panel window that runs a CConsole and records what it does for it.
class SimConsolePanel : public CDialog, public IConsoleOutputs {
public:
    SimConsolePanel(const CProfile& profile, std::string root)
        : CDialog(103), console(link, port, *this, profile), m_root(std::move(root)) {
        link.SetEventHandler(
            [this](int id, const LinkArgs& args) { console.OnLinkEvent(id, args); });
    }

    BOOL OnInitDialog() override {
        console.OnInitDialog();
        return TRUE;
    }
    bool WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message == WM_TIMER) {
            console.OnTimer(static_cast<unsigned>(wParam));
            return true;
        }
        return CDialog::WindowProc(message, wParam, lParam, result);
    }

    void SetPanelTimer(unsigned id, unsigned periodMs) override { SetTimer(id, periodMs); }
    void KillPanelTimer(unsigned id) override { KillTimer(id); }
    void PostStatusText(const std::string& text) override { Note("status " + text); }
    void SendStatusText(const std::string& text) override { Note("sent " + text); }
    void PostCharged() override { Note("charged"); }
    void PostPoweredOff() override { Note("powered off"); }
    void PostCloseRequest() override { Note("close"); }
    void SendValueToHost(const std::string& text) override { Note("value " + text); }
    void Beep(unsigned frequencyHz, unsigned durationMs) override {
        Note("beep " + std::to_string(frequencyHz) + " " + std::to_string(durationMs));
    }
    void Wait(unsigned ms) override {
        Note("wait " + std::to_string(ms));
        sim::World::Get().Sleep(ms);
    }
    void Log(const std::string& text, int level) override {
        logs.push_back("[" + std::to_string(level) + "] " + text);
    }
    std::string DataRoot() const override { return m_root; }

    // Times and what went to the owner.
    struct OwnerNote {
        std::uint64_t atMs;
        std::string what;
    };

    sim::RecordingLink link;
    sim::SimParallelPort port;
    CConsole console;
    std::vector<OwnerNote> owner;
    std::vector<std::string> logs;

private:
    void Note(const std::string& what) { owner.push_back({sim::World::Get().NowMs(), what}); }

    std::string m_root;
};

class ConsoleFixture : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/relvan-console-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_root = pattern;
        sim::World::Get().Reset();
        Run("cp -r '" RELVAN_SOURCE_DIR "/tools/consoledata/data' '" + m_root + "/'");
        m_profile.SetFile(m_root + "/Lumora.ini");
    }

    void TearDown() override {
        panel.reset();
        Run("rm -rf '" + m_root + "'");
    }

    static void Run(const std::string& command) { ASSERT_EQ(std::system(command.c_str()), 0); }

    // The host's INI file: the keys of section "Generator".
    void WriteHostIni(const std::string& generatorKeys) {
        std::ofstream(m_root + "/Lumora.ini", std::ios::binary) << "[Generator]\r\n"
                                                                << generatorKeys;
    }
    // A file under the data folder, relative to it (e.g. "step_kv.dat").
    void WriteData(const std::string& name, const std::string& bytes) {
        std::ofstream(m_root + "/data/" + name, std::ios::binary) << bytes;
    }
    // Removes data files; `pattern` may hold wildcards.
    void RemoveData(const std::string& pattern) { Run("rm -rf '" + m_root + "/data/'" + pattern); }

    // Creates the panel: its set-up runs.
    SimConsolePanel& Start(const std::string& generatorKeys) {
        WriteHostIni(generatorKeys);
        panel = std::make_unique<SimConsolePanel>(m_profile, m_root);
        panel->Create(nullptr);
        return *panel;
    }

    void Advance(std::uint64_t ms) { sim::World::Get().Advance(ms); }
    const ConsoleState& State() const { return panel->console.State(); }
    const panel::ControlView& View(int id) const { return State().m_view[id]; }
    bool Armed(unsigned id) const { return State().m_timers.count(id) != 0; }
    std::int64_t Remaining(unsigned id) const {
        return sim::World::Get().TimerRemaining(panel->GetSafeHwnd(), id);
    }

    void StateCode(const std::string& code) { panel->link.Raise(kEventStateCode, {code}); }
    void Report(const std::string& code, const std::string& value) {
        panel->link.Raise(kEventReport, {code, value});
    }

    // A Model 2 power on through to Charge ON OK, at the pace of its timers.
    void PowerOnToCharge() {
        panel->console.PowerOn();
        Report("PS", "01");
        Advance(1000);
        Report("R101", "3A");
        Advance(3000);
        StateCode("RS04");
    }

    // Link calls and owner notes since the last Clear().
    std::vector<sim::LinkCall>& Calls() { return panel->link.calls; }
    std::vector<int> CallIds() const { return panel->link.CallIds(); }
    std::vector<std::string> OwnerNotes() const {
        std::vector<std::string> notes;
        for (const auto& note : panel->owner) {
            notes.push_back(note.what);
        }
        return notes;
    }
    void Clear() {
        panel->link.calls.clear();
        panel->owner.clear();
        panel->port.writes.clear();
        panel->logs.clear();
    }
    std::vector<std::uint8_t> PortValues() const { return panel->port.ValuesAt(0x378); }
    bool Logged(const std::string& part) const {
        for (const std::string& line : panel->logs) {
            if (line.find(part) != std::string::npos) {
                return true;
            }
        }
        return false;
    }

    std::string m_root;
    CProfile m_profile;
    std::unique_ptr<SimConsolePanel> panel;
};
