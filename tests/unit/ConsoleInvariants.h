// The safety invariants of the console's exposure sequence, judged only from
// what goes in (the operator's hand switch and buttons, the generator's
// reports) and what comes out (link methods, parallel-port values, status
// texts), never from the console's own flags:
// 1. the port's data register gets only 0xFF, 0xFB, 0xF7, 0xFD or 0xFC;
// 2. a ready (0xFD, 57 "01","00") or an exposure is asserted only while
//    charged: from Charge ON OK to Charge OFF OK or Power OFF OK;
// 3. an exposure (0xFC, 57 "01","01", method 25) only within a ready asserted
//    and not released since, with the switch at its second stage or from the
//    Exposure button after Ready UP OK;
// 4. an exposure the switch started is released within one poll once the
//    switch leaves the second stage before X-ray End OK (within the error
//    power-off when an error report is pending);
// 5. no ready or exposure is asserted while the chosen exposure is OVER, nor
//    while a status report is pending (an error until Power OFF OK, a check
//    until R105 or Power OFF OK).
// A test runs steps: Begin(inputs), the step itself, then End(the outputs
// with the status texts, in their order, and the time passed); Violations()
// says what broke. A status text before a call counts for that call.
#pragma once

#include "console/ConsoleIds.h"
#include "console/sim/RecordingLink.h"

#include <cstdint>
#include <string>
#include <vector>

namespace invariants {

// The inputs of one step that the invariants depend on.
struct StepInputs {
    int switchStage = -1;        // the hand switch after the step: 0, 1, 2; -1 unchanged
    bool exposureButton = false; // the Exposure button is pressed
    bool readyUp = false;        // RS05 is raised
    bool xrayEnd = false;        // RS07 is raised
    bool errorReport = false;    // R104 with an error value is raised
    bool checkReport = false;    // R104 with a check value is raised
    bool reset = false;          // R105 is raised
    int over = -1;               // the OVER judgement after the step: 0, 1; -1 unchanged
};

// One output of the console, in the order it came: a link call, a port
// write or a status text to the owner.
struct Output {
    enum class Kind { kLink, kPort, kStatus } kind = Kind::kLink;
    sim::LinkCall call;
    std::uint8_t portValue = 0;
    std::string text;
};

class SafetyMonitor {
public:
    // `pollMs`: the hand-switch poll period (DelayCheck, or 10 in Model 2).
    explicit SafetyMonitor(unsigned pollMs) : m_pollMs(pollMs) {}

    void Begin(const StepInputs& inputs) {
        m_inputs = inputs;
        if (inputs.switchStage >= 0) {
            m_stage = inputs.switchStage;
        }
        if (inputs.readyUp && m_ready) {
            m_readyUp = true;
        }
        if (inputs.xrayEnd && m_exposure) {
            m_xrayEnd = true;
        }
        if (inputs.errorReport) {
            m_errorPending = true;
            m_errorLatched = true;
        }
        if (inputs.checkReport) {
            m_checkLatched = true;
        }
        if (inputs.reset) {
            m_checkLatched = false;
        }
        if (inputs.over >= 0) {
            m_over = inputs.over != 0;
        }
    }

    // `step` names the step in the violations.
    void End(const std::string& step, const std::vector<Output>& outputs, unsigned elapsedMs) {
        for (const Output& output : outputs) {
            if (output.kind == Output::Kind::kStatus) {
                NoteStatus(output.text);
            } else {
                Judge(step, output);
            }
        }
        JudgeRelease(step, elapsedMs);
    }

    const std::vector<std::string>& Violations() const { return m_violations; }

private:
    // kUnknown: a port value or method 57 texts the console must never send.
    enum class Kind { kOther, kUnknown, kReady, kExposure, kExposureCommand, kRelease };

    void NoteStatus(const std::string& text) {
        if (text == "Generator Charge ON OK !!") {
            m_charged = true;
        } else if (text == "Generator Charge OFF OK !!") {
            m_charged = false;
            m_errorPending = false;
        } else if (text == "Generator Power OFF OK !!") {
            // Back at the start steps, taken as allowed: a test whose start
            // steps are OVER says so with the next step's inputs.
            m_charged = false;
            m_errorPending = false;
            m_over = false;
            m_errorLatched = false;
            m_checkLatched = false;
        }
    }

    static Kind Classify(const Output& output) {
        if (output.kind == Output::Kind::kPort) {
            switch (output.portValue) {
            case kPortRelease:
            case kPortIdle:
                // A line is asserted low: these hold bits 0 and 1 high.
                return Kind::kRelease;
            case kPortPowerOn:
                // Also high on bits 0 and 1, but the sequence never counts
                // on the power-on value to let a line go.
                return Kind::kOther;
            case kPortReady:
                return Kind::kReady;
            case kPortExposure:
                return Kind::kExposure;
            default:
                return Kind::kUnknown;
            }
        }
        const sim::LinkCall& call = output.call;
        if (call.dispatchId == kMethodExposure) {
            return Kind::kExposureCommand;
        }
        if (call.dispatchId != kMethodSwitchLines) {
            return Kind::kOther;
        }
        if (call.args == LinkArgs{"01", "00"}) {
            return Kind::kReady;
        }
        if (call.args == LinkArgs{"01", "01"}) {
            return Kind::kExposure;
        }
        return call.args == LinkArgs{"00", "00"} ? Kind::kRelease : Kind::kUnknown;
    }

    void Judge(const std::string& step, const Output& output) {
        const bool charged = m_charged;
        const Kind kind = Classify(output);
        const std::string what = Describe(output);
        switch (kind) {
        case Kind::kUnknown:
            Fail(step, what + " is never to be sent");
            break;
        case Kind::kReady:
            if (!charged) {
                Fail(step, what + " (a ready) while not charged");
            }
            if (m_over || m_errorLatched || m_checkLatched) {
                Fail(step, what + " (a ready) while OVER or a report is pending");
            }
            m_ready = true;
            m_readyUp = false;
            break;
        case Kind::kExposure:
        case Kind::kExposureCommand:
            if (!charged) {
                Fail(step, what + " (an exposure) while not charged");
            }
            if (!m_ready) {
                Fail(step, what + " (an exposure) without a ready of this cycle");
            }
            if (m_over || m_errorLatched || m_checkLatched) {
                Fail(step, what + " (an exposure) while OVER or a report is pending");
            }
            if (m_stage != 2 && !(m_inputs.exposureButton && m_readyUp)) {
                Fail(step, what + " (an exposure) with the switch at stage " +
                               std::to_string(m_stage) + " and no Exposure button after RS05");
            }
            if (kind == Kind::kExposure) {
                m_exposure = true;
                m_bySwitch = !m_inputs.exposureButton;
                m_xrayEnd = false;
                m_outOfStageMs = 0;
            }
            break;
        case Kind::kRelease:
            m_ready = false;
            m_readyUp = false;
            m_exposure = false;
            m_xrayEnd = false;
            m_outOfStageMs = 0;
            break;
        case Kind::kOther:
            break;
        }
    }

    void JudgeRelease(const std::string& step, unsigned elapsedMs) {
        if (!m_exposure || !m_bySwitch || m_xrayEnd || m_stage == 2) {
            m_outOfStageMs = 0;
            return;
        }
        m_outOfStageMs += elapsedMs;
        const unsigned limit = m_errorPending ? m_pollMs + kErrorPowerOffMs : m_pollMs;
        if (m_outOfStageMs >= limit) {
            Fail(step, "exposure still asserted " + std::to_string(m_outOfStageMs) +
                           " ms after the switch left stage 2");
        }
    }

    static std::string Describe(const Output& output) {
        if (output.kind == Output::Kind::kPort) {
            return "port " + std::to_string(output.portValue);
        }
        std::string text = "method " + std::to_string(output.call.dispatchId);
        for (const std::string& arg : output.call.args) {
            text += " \"" + arg + "\"";
        }
        return text;
    }

    void Fail(const std::string& step, const std::string& what) {
        m_violations.push_back(step + ": " + what);
    }

    static constexpr unsigned kErrorPowerOffMs = 100;

    unsigned m_pollMs;
    StepInputs m_inputs;
    int m_stage = 0;
    bool m_charged = false;
    bool m_ready = false;    // a ready asserted and not released since
    bool m_readyUp = false;  // RS05 within that ready
    bool m_exposure = false; // an exposure line asserted and not released
    bool m_bySwitch = false; // ... by the hand switch, not the Exposure button
    bool m_xrayEnd = false;  // RS07 within that exposure
    bool m_errorPending = false;
    bool m_over = false;
    bool m_errorLatched = false;
    bool m_checkLatched = false;
    unsigned m_outOfStageMs = 0;
    std::vector<std::string> m_violations;
};

} // namespace invariants
