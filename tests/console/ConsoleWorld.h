// One CConsole in a world of its own, for the explorer and the fuzzers: a
// virtual clock with the panel's timers, a link control and a parallel port
// that record every call and write, the operator's hand switch on the port,
// and the host's INI file. The whole world (the console's state, the timers'
// remaining times, the switch, the safety monitor) can be taken as a
// snapshot, put back, and reduced to a key that tells distinct worlds apart.
#pragma once

#include "ConsoleInvariants.h"
#include "console/Console.h"
#include "support/Profile.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace check {

// The status register's hand-switch bits: standing, first stage, second
// stage, and a value that matches no position.
constexpr std::uint8_t kSwitchRaw[] = {0x30, 0x20, 0x00, 0x10};

class ConsoleWorld : private IConsoleOutputs, private ILinkControl, private IParallelPort {
public:
    // A console whose data root (holding "data\") is `root` and whose host
    // INI file (the model, DelayCheck) is `iniPath`; set up (OnInitDialog)
    // at once.
    ConsoleWorld(const std::string& root, const std::string& iniPath);
    ConsoleWorld(const ConsoleWorld&) = delete;
    ConsoleWorld& operator=(const ConsoleWorld&) = delete;

    CConsole& Console() { return m_console; }
    // The data root (holding "data\").
    const std::string& Root() const { return m_root; }
    const ConsoleState& State() const { return m_console.State(); }
    // The hand-switch poll period of the console's model.
    unsigned PollMs() const;

    // The operator's hand switch on the port (Model 1): raw status bits.
    void SetSwitchRaw(std::uint8_t raw) { m_switchRaw = raw; }

    // Fires the next timer due. A poll that changes nothing is followed by
    // the next timer other than the poll at its time: the polls between
    // would change nothing either. Returns the timer fired last, 0 for none.
    unsigned AdvanceToNextTimer();
    // Whether `timer` is the console's hand-switch poll.
    bool IsPoll(unsigned timer) const;

    // What the console sent out since the last TakeOutputs(), in order, and
    // the time that passed meanwhile.
    std::vector<invariants::Output> TakeOutputs();
    std::uint64_t NowMs() const { return m_nowMs; }

    struct Timer {
        std::uint64_t dueMs = 0;
        unsigned periodMs = 0;
    };
    struct Snapshot {
        ConsoleState state;
        std::uint64_t nowMs = 0;
        std::map<unsigned, Timer> timers;
        std::uint8_t switchRaw = 0x30;
    };
    Snapshot Take() const;
    void Restore(const Snapshot& snapshot);
    // A 64-bit key of the console's state, the timers' remaining times and
    // the switch.
    std::uint64_t Key() const;

private:
    unsigned NextTimer(bool skipPoll) const;
    void Fire(unsigned timer);
    void FastForwardTo(unsigned timer);

    // IConsoleOutputs.
    void SetPanelTimer(unsigned id, unsigned periodMs) override;
    void KillPanelTimer(unsigned id) override;
    void PostStatusText(const std::string& text) override;
    void SendStatusText(const std::string& text) override;
    void PostCharged() override { Note("(charged)"); }
    void PostPoweredOff() override { Note("(powered off)"); }
    void PostCloseRequest() override { Note("(close)"); }
    void SendValueToHost(const std::string& text) override { Note("(value " + text + ")"); }
    void Beep(unsigned, unsigned) override { Note("(beep)"); }
    void Wait(unsigned ms) override { m_nowMs += ms; }
    void Log(const std::string&, int) override {}
    std::string DataRoot() const override { return m_root; }
    void Note(const std::string& text);

    // ILinkControl.
    void Invoke(int dispatchId, const LinkArgs& args) override;

    // IParallelPort.
    void Write(std::uint16_t address, std::uint8_t value) override;
    std::uint8_t Read(std::uint16_t address) override;

    std::string m_root;
    CProfile m_profile;
    CConsole m_console;
    std::uint64_t m_nowMs = 0;
    std::map<unsigned, Timer> m_timers;
    std::uint8_t m_switchRaw = 0x30;
    std::vector<invariants::Output> m_outputs;
};

} // namespace check
