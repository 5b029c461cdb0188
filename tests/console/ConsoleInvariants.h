// The safety invariants of the console's exposure sequence, judged only from
// what goes in (the operator's hand switch and buttons, the generator's
// reports) and what comes out (link methods, parallel-port values, status
// texts), never from the console's own flags. Each rule has a name:
// - port-values: the port's data register gets only 0xFF, 0xFB, 0xF7, 0xFD
//   or 0xFC, and method 57 only "01","00", "01","01" or "00","00";
// - exposure-request: an exposure (0xFC, 57 "01","01", method 25) only within
//   a ready asserted and not released since, with the switch at its second
//   stage or from the Exposure button after Ready UP OK;
// - switch-release: an exposure the switch started is released within one
//   poll once the switch leaves the second stage before X-ray End OK
//   (within the error power-off when an error report is pending);
// - charge-off: a ready (0xFD, 57 "01","00") or an exposure only while
//   charged, from Charge ON OK to Charge OFF OK or Power OFF OK, and every
//   line released before either of these (also at a link loss);
// - over: no ready or exposure while the chosen exposure is judged OVER;
// - report-latch: no ready or exposure while a status report is pending (an
//   error until Power OFF OK, a check until R105 or Power OFF OK); an error
//   report is followed by Charge OFF OK within 100 ms plus one poll; while a
//   report is pending, the hand switch starts and cancels nothing.
// A run goes in steps: Begin(inputs), the step itself, then End(the outputs
// with the status texts, in their order, and the time passed); Violations()
// says what broke. A status text before a call counts for that call.
#pragma once

#include "console/ConsoleIds.h"
#include "console/sim/RecordingLink.h"

#include <cstdint>
#include <string>
#include <vector>

namespace invariants {

enum class Rule { kPortValues, kExposureRequest, kSwitchRelease, kChargeOff, kOver, kReportLatch };
constexpr int kRuleCount = 6;

inline const char* RuleName(Rule rule) {
    static const char* const kNames[kRuleCount] = {
        "port-values", "exposure-request", "switch-release", "charge-off", "over", "report-latch"};
    return kNames[static_cast<int>(rule)];
}

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
    // The step only moves or reads the hand switch (a move, an HS report,
    // the poll, the charge completion that evaluates it).
    bool handSwitchOnly = false;
};

// One output of the console, in the order it came: a link call, a port
// write or a status text to the owner (`sent`: sent synchronously, which
// only the OVER judgement does: "OVER !!" or "").
struct Output {
    enum class Kind { kLink, kPort, kStatus } kind = Kind::kLink;
    sim::LinkCall call;
    std::uint8_t portValue = 0;
    std::string text;
    bool sent = false;
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
        if (inputs.errorReport && !m_errorLatched) {
            m_errorPending = true;
            m_errorWaitMs = 0;
        }
        m_errorLatched = m_errorLatched || inputs.errorReport;
        m_checkLatched = (m_checkLatched || inputs.checkReport) && !inputs.reset;
        if (inputs.over >= 0) {
            m_over = inputs.over != 0;
        }
    }

    // `step` names the step in the violations.
    void End(const std::string& step, const std::vector<Output>& outputs, unsigned elapsedMs) {
        for (const Output& output : outputs) {
            if (output.kind == Output::Kind::kStatus) {
                NoteStatus(step, output);
            } else {
                Judge(step, output);
            }
        }
        JudgeRelease(step, elapsedMs);
        JudgeErrorPowerOff(step, elapsedMs);
    }

    // "<step>: <what>", and the rule each broke, in the same order.
    const std::vector<std::string>& Violations() const { return m_violations; }
    const std::vector<Rule>& ViolatedRules() const { return m_rules; }
    void ClearViolations() {
        m_violations.clear();
        m_rules.clear();
    }

    // The monitor's own state, for telling states of a run apart.
    std::uint64_t Key() const {
        std::uint64_t bits = static_cast<std::uint64_t>(m_stage + 1);
        for (bool flag : {m_charged, m_ready, m_readyUp, m_exposure, m_bySwitch, m_xrayEnd,
                          m_errorPending, m_over, m_errorLatched, m_checkLatched}) {
            bits = bits << 1 | (flag ? 1 : 0);
        }
        return bits << 40 ^ static_cast<std::uint64_t>(m_outOfStageMs) << 20 ^ m_errorWaitMs;
    }

private:
    // kUnknown: a port value or method 57 texts the console must never send.
    enum class Kind { kOther, kUnknown, kReady, kExposure, kExposureCommand, kRelease };

    void NoteStatus(const std::string& step, const Output& output) {
        const std::string& text = output.text;
        if (output.sent) {
            m_over = text == "OVER !!";
        } else if (text == "Generator Charge ON OK !!") {
            m_charged = true;
        } else if (text == "Generator Charge OFF OK !!" || text == "Generator Power OFF OK !!") {
            if (m_ready || m_exposure) {
                Fail(Rule::kChargeOff, step, "a line still asserted at \"" + text + "\"");
            }
            m_charged = false;
            m_errorPending = false;
            if (text == "Generator Power OFF OK !!") {
                // Back at the start steps, taken as allowed: a test whose
                // start steps are OVER says so with the next step's inputs.
                m_over = false;
                m_errorLatched = false;
                m_checkLatched = false;
            }
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
        const Kind kind = Classify(output);
        const std::string what = Describe(output);
        if (kind != Kind::kOther && kind != Kind::kUnknown && m_inputs.handSwitchOnly &&
            (m_errorLatched || m_checkLatched)) {
            Fail(Rule::kReportLatch, step,
                 what + " from the hand switch while a status report is pending");
        }
        switch (kind) {
        case Kind::kUnknown:
            Fail(Rule::kPortValues, step, what + " is never to be sent");
            break;
        case Kind::kReady:
            JudgeAssertion(step, what + " (a ready)");
            m_ready = true;
            m_readyUp = false;
            break;
        case Kind::kExposure:
        case Kind::kExposureCommand:
            JudgeAssertion(step, what + " (an exposure)");
            if (!m_ready) {
                Fail(Rule::kExposureRequest, step,
                     what + " (an exposure) without a ready of this cycle");
            }
            if (m_stage != 2 && !(m_inputs.exposureButton && m_readyUp)) {
                Fail(Rule::kExposureRequest, step,
                     what + " (an exposure) with the switch at stage " + std::to_string(m_stage) +
                         " and no Exposure button after RS05");
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

    // What holds for a ready and an exposure alike.
    void JudgeAssertion(const std::string& step, const std::string& what) {
        if (!m_charged) {
            Fail(Rule::kChargeOff, step, what + " while not charged");
        }
        if (m_over) {
            Fail(Rule::kOver, step, what + " while OVER");
        }
        if (m_errorLatched || m_checkLatched) {
            Fail(Rule::kReportLatch, step, what + " while a status report is pending");
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
            Fail(Rule::kSwitchRelease, step,
                 "exposure still asserted " + std::to_string(m_outOfStageMs) +
                     " ms after the switch left stage 2");
        }
    }

    void JudgeErrorPowerOff(const std::string& step, unsigned elapsedMs) {
        if (!m_errorPending) {
            return;
        }
        m_errorWaitMs += elapsedMs;
        if (m_errorWaitMs > kErrorPowerOffMs + m_pollMs) {
            Fail(Rule::kReportLatch, step,
                 "no Charge OFF OK " + std::to_string(m_errorWaitMs) + " ms after an error report");
            m_errorPending = false;
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

    void Fail(Rule rule, const std::string& step, const std::string& what) {
        m_violations.push_back(step + ": [" + RuleName(rule) + "] " + what);
        m_rules.push_back(rule);
    }

    static constexpr unsigned kErrorPowerOffMs = 100;

    unsigned m_pollMs;
    StepInputs m_inputs;
    int m_stage = 0;
    bool m_charged = false;
    bool m_ready = false;        // a ready asserted and not released since
    bool m_readyUp = false;      // RS05 within that ready
    bool m_exposure = false;     // an exposure line asserted and not released
    bool m_bySwitch = false;     // ... by the hand switch, not the Exposure button
    bool m_xrayEnd = false;      // RS07 within that exposure
    bool m_errorPending = false; // an error report waits for its Charge OFF OK
    bool m_over = false;
    bool m_errorLatched = false;
    bool m_checkLatched = false;
    unsigned m_outOfStageMs = 0;
    unsigned m_errorWaitMs = 0;
    std::vector<std::string> m_violations;
    std::vector<Rule> m_rules;
};

} // namespace invariants
