// The console charged and ready for exposures, in either model, with the
// hand switch at the test's hand and everything the console sends out in one
// ordered trace: link calls ("57 01 00"), port values ("port FD") and what
// went to the owner ("status Generator Ready Start", "beep 3000 300").
#pragma once

#include "ConsoleFixture.h"
#include "tests/console/ConsoleInvariants.h"

#include <algorithm>
#include <cstdio>

class ConsoleExposureFixture : public ConsoleFixture {
protected:
    static constexpr unsigned kPortPollMs = 20; // DelayCheck of these tests
    static constexpr unsigned kLinkPollMs = 10;
    static constexpr std::uint16_t kStatusRegister = 0x379;

    // A panel of `model` (1 or 2), set up, watched from now on.
    void StartModel(int model) {
        m_model = model;
        Start("Model=" + std::to_string(model) + "\r\nDelayCheck=" + std::to_string(kPortPollMs) +
              "\r\n");
        panel->port.space[kStatusRegister] = 0x30;
        panel->link.onInvoke = [this](const sim::LinkCall& call) {
            invariants::Output out;
            out.call = call;
            m_outputs.push_back({panel->owner.size(), out});
        };
        panel->port.onRead = [this](std::uint16_t address, std::uint8_t value) {
            if (address == kStatusRegister) {
                invariants::Output out;
                out.kind = invariants::Output::Kind::kRead;
                out.portValue = static_cast<std::uint8_t>(value & 0x30);
                m_outputs.push_back({panel->owner.size(), out});
            }
        };
        panel->port.onWrite = [this](const sim::PortWrite& write) {
            if (write.address == 0x378) {
                invariants::Output out;
                out.kind = invariants::Output::Kind::kPort;
                out.portValue = write.value;
                m_outputs.push_back({panel->owner.size(), out});
            }
        };
    }

    // Powered on and charged, the charge completion done, the switch at
    // standing; the trace starts empty.
    void Charge(int model) {
        StartModel(model);
        PowerUp();
        ClearTrace();
    }

    // The power-on conversation of the current model, up to charge
    // completion.
    void PowerUp() {
        panel->console.PowerOn();
        if (m_model == 2) {
            Report("PS", "01");
            Advance(1000);
            Report("R101", "3A");
            Advance(3000);
            Report("HS", "30");
        } else {
            Advance(2000);
            Report("R101", "3A");
        }
        StateCode("RS04");
        Advance(1000);
    }

    unsigned PollMs() const { return m_model == 2 ? kLinkPollMs : kPortPollMs; }
    void Poll() { Advance(PollMs()); }

    // The operator's hand switch: 0 standing, 1 first stage, 2 second stage;
    // the port's status register (Model 1) or an HS report (Model 2).
    void Switch(int stage) {
        static const int kRaw[] = {0x30, 0x20, 0x00};
        static const char* const kReport[] = {"30", "20", "00"};
        if (m_model == 2) {
            Report("HS", kReport[stage]);
        } else {
            panel->port.space[kStatusRegister] = static_cast<std::uint8_t>(kRaw[stage] | 0xC7);
        }
    }

    void Press(int controlId) { panel->console.OnCommand(controlId); }

    // What went out since the last ClearTrace(), in order; the owner's notes
    // other than status texts come as "(beep 3000 300)" and the like.
    std::vector<invariants::Output> Outputs() const {
        std::vector<invariants::Output> outputs;
        Merge(
            [&](const std::string& note) {
                invariants::Output out;
                out.kind = invariants::Output::Kind::kStatus;
                out.text = note.rfind("status ", 0) == 0 ? note.substr(7) : "(" + note + ")";
                outputs.push_back(out);
            },
            [&](const invariants::Output& output) { outputs.push_back(output); });
        return outputs;
    }

    // The same as text: "57 01 00", "port FD", "status <text>", "beep 3000 300".
    std::vector<std::string> Trace() const {
        std::vector<std::string> lines;
        Merge([&](const std::string& note) { lines.push_back(note); },
              [&](const invariants::Output& output) {
                  if (output.kind != invariants::Output::Kind::kRead) {
                      lines.push_back(Text(output));
                  }
              });
        return lines;
    }

    // The trace without the owner's notes: the lines and methods only.
    std::vector<std::string> Sent() const {
        std::vector<std::string> lines;
        for (const Mark& mark : m_outputs) {
            if (mark.output.kind != invariants::Output::Kind::kRead) {
                lines.push_back(Text(mark.output));
            }
        }
        return lines;
    }

    bool Traced(const std::string& line) const {
        const std::vector<std::string> lines = Trace();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    void ClearTrace() {
        Clear();
        m_outputs.clear();
    }

    static std::string Text(const invariants::Output& output) {
        if (output.kind == invariants::Output::Kind::kPort) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "%02X", output.portValue);
            return std::string("port ") + hex;
        }
        std::string text = std::to_string(output.call.dispatchId);
        for (const std::string& arg : output.call.args) {
            text += " " + arg;
        }
        return text;
    }

    // Puts the console into a state changed by `change`, as the other rules
    // (the OVER judgement, the options) would leave it.
    template <class Change> void Preset(Change change) {
        ConsoleState state = State();
        change(state);
        panel->console.RestoreState(state);
    }

    int m_model = 2;

private:
    template <class OnNote, class OnOutput> void Merge(OnNote onNote, OnOutput onOutput) const {
        std::size_t note = 0;
        for (const Mark& mark : m_outputs) {
            for (; note < mark.notesBefore && note < panel->owner.size(); ++note) {
                onNote(panel->owner[note].what);
            }
            onOutput(mark.output);
        }
        for (; note < panel->owner.size(); ++note) {
            onNote(panel->owner[note].what);
        }
    }

    struct Mark {
        std::size_t notesBefore; // owner notes made before this output
        invariants::Output output;
    };
    std::vector<Mark> m_outputs;
};
