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
// - over: no ready or exposure while the chosen exposure is judged OVER,
//   by the console's "OVER !!" and, with the panel given, by the over table
//   of the power model the panel shows for the steps 112 reports;
// - report-latch: no ready or exposure while a status report is pending (an
//   error until Power OFF OK, a check until R105 or Power OFF OK); an error
//   report is followed by Charge OFF OK within 100 ms plus one poll; while a
//   report is pending, the hand switch starts and cancels nothing;
// - fresh-press: a ready or an exposure comes from the Ready button (then the
//   Exposure button) pressed for it, or from a press of the switch seen
//   after the last Charge ON OK, exposure end or cancel and latch clearing:
//   Model 1 the port read standing, then pressed; Model 2 a pressed HS
//   report, after a standing one when it follows an exposure or a latch;
// - generator-shadow: at charge completion (113 value 1), at ready start and
//   at exposure start, the focus, scale, receptor, AEC and fields, rotor and
//   mode, and the kV, mA, time and mAs the generator was last told agree
//   with the panel's lamps and edits and with the kind-112 report;
// - armed-equals-shown: from ready start until its lines let go, the panel
//   and 112 show the kV, mA, time and mAs the ready sent;
// - power-discipline: after a power off or a link loss, until the next power
//   on, the generator gets nothing but the release and power-off calls (and
//   the answer to the link's check, which supervises the link); in
//   one power on (or after the generator reported PS "00") each power-on
//   call and the charge-on start go out once;
// - host-truth: the host's last kind 113 says whether the Charge lamp is lit
//   (value 1 within the charge completion's second), and a kind 114 carries
//   the actual mAs of the last R201;
// - power-off-completes: every power off of a console powered on ends with
//   Power OFF OK and 113 value 0 to the host, in the same step.
// The panel rules need the panel and the report (End's `shown`); a harness
// that cannot give them leaves those rules out.
// A run goes in steps: Begin(inputs), the step itself, then End(the outputs
// with the status texts, in their order, and the time passed); Violations()
// says what broke. A status text before a call counts for that call.
#pragma once

#include "GeneratorShadow.h"
#include "console/ConsoleIds.h"
#include "console/sim/RecordingLink.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace invariants {

enum class Rule {
    kPortValues,
    kExposureRequest,
    kSwitchRelease,
    kChargeOff,
    kOver,
    kReportLatch,
    kFreshPress,
    kGeneratorShadow,
    kArmedEqualsShown,
    kPowerDiscipline,
    kHostTruth,
    kPowerOffCompletes
};
constexpr int kRuleCount = 12;

inline const char* RuleName(Rule rule) {
    static const char* const kNames[kRuleCount] = {"port-values",
                                                   "exposure-request",
                                                   "switch-release",
                                                   "charge-off",
                                                   "over",
                                                   "report-latch",
                                                   "fresh-press",
                                                   "generator-shadow",
                                                   "armed-equals-shown",
                                                   "power-discipline",
                                                   "host-truth",
                                                   "power-off-completes"};
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
    bool readyButton = false;  // the Ready button is pressed
    bool switchReport = false; // switchStage is the link's HS report (Model 2)
    bool powerOn = false;      // the power-on button or the host's power on
    bool powerOff = false;     // the power-off or EXIT button or the host's power off
    bool powerDown = false;    // PS "00": the generator reports its power down
    bool masReport = false;    // R201 with these texts
    std::string masUnits;
    std::string masTens;
};

// One output of the console, in the order it came: a link call, a port
// write, a read of the port's status register (`portValue`: its hand-switch
// bits) or a status text to the owner (`sent`: sent synchronously, which
// only the OVER judgement does: "OVER !!" or ""). The owner's messages to
// the host are status texts too: "(charged)" and "(powered off)" (kind 113
// value 1 and 0), "(value <text>)" (kind 114).
struct Output {
    enum class Kind { kLink, kPort, kStatus, kRead } kind = Kind::kLink;
    sim::LinkCall call;
    std::uint8_t portValue = 0;
    std::string text;
    bool sent = false;
};

class SafetyMonitor {
public:
    // `pollMs`: the hand-switch poll period (DelayCheck, or 10 in Model 2).
    // `model`: the console's model (1 port and link, 2 link only).
    explicit SafetyMonitor(unsigned pollMs, int model = 1) : m_pollMs(pollMs), m_model(model) {}

    // The console is off and the host was told nothing: set before the
    // first step of a run that starts at the panel's set-up.
    void StartPoweredOff() {
        m_power = Power::kOff;
        m_last113 = 0;
    }
    // The step tables, for reading the codes of a ready back into texts.
    void SetCodebook(std::shared_ptr<const Codebook> book) { m_book = std::move(book); }

    void Begin(const StepInputs& inputs) {
        m_inputs = inputs;
        m_step = {};
        m_step.power = m_power;
        // A generator that went down may come up again within the same
        // power on.
        if ((inputs.powerOn && m_power == Power::kOff) || inputs.powerDown) {
            m_power = inputs.powerOn ? Power::kOn : m_power;
            m_powerCalls = {};
        }
        if (inputs.switchReport) {
            NoteSwitch(inputs.switchStage);
        }
        if (inputs.reset && m_checkLatched) {
            ForgetPress(true);
        }
        if (inputs.masReport) {
            m_lastMas = ActualMas(inputs.masUnits, inputs.masTens);
        }
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
    // `shown`: the panel and the kind-112 report after the step, null when
    // the harness cannot give them.
    void End(const std::string& step, const std::vector<Output>& outputs, unsigned elapsedMs,
             const Shown* shown = nullptr) {
        for (const Output& output : outputs) {
            if (output.kind == Output::Kind::kStatus) {
                NoteStatus(step, output);
            } else if (output.kind == Output::Kind::kRead) {
                NoteSwitch(StageOfBits(output.portValue));
            } else {
                Judge(step, output);
            }
        }
        JudgeRelease(step, elapsedMs);
        JudgeErrorPowerOff(step, elapsedMs);
        JudgePowerOff(step);
        if (shown != nullptr && shown->view != nullptr) {
            JudgeShown(step, *shown, elapsedMs);
        }
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
        std::uint64_t more = m_shadow.Hash();
        for (int value : {static_cast<int>(m_power), m_fresh ? 1 : 0, m_needStanding ? 1 : 0,
                          m_buttonReady ? 1 : 0, m_last113, static_cast<int>(m_litMs)}) {
            more = more * 1000003 + static_cast<std::uint64_t>(value + 1);
        }
        for (int count : m_powerCalls) {
            more = more * 7 + static_cast<std::uint64_t>(count);
        }
        more ^= std::hash<std::string>()(m_lastMas) * 0x9e3779b97f4a7c15ULL;
        return (bits << 40 ^ static_cast<std::uint64_t>(m_outOfStageMs) << 20 ^ m_errorWaitMs) ^
               (more * 0xbf58476d1ce4e5b9ULL);
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
            ForgetPress(m_model == 1);
        } else if (text == "(charged)" || text == "(powered off)") {
            m_last113 = text == "(charged)" ? 1 : 0;
            m_step.charged = m_step.charged || m_last113 == 1;
            m_step.toldOff = m_step.toldOff || m_last113 == 0;
        } else if (text.rfind("(value ", 0) == 0) {
            const std::string value = text.substr(7, text.size() - 8);
            if (!m_lastMas.empty() && value != m_lastMas) {
                Fail(Rule::kHostTruth, step,
                     "the host got actual mAs " + value + ", the last R201 carried " + m_lastMas);
            }
        } else if (text == "USB Link Deconnection !!") {
            m_power = Power::kOff;
        } else if (text == "Generator Charge OFF OK !!" || text == "Generator Power OFF OK !!") {
            if (m_ready || m_exposure) {
                Fail(Rule::kChargeOff, step, "a line still asserted at \"" + text + "\"");
                // Told once: the console has dropped them.
                m_ready = false;
                m_exposure = false;
            }
            m_charged = false;
            m_errorPending = false;
            m_step.chargedOff = true;
            m_power = Power::kOff;
            if (text == "Generator Power OFF OK !!") {
                m_step.poweredOff = true;
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
        JudgePowerCall(step, output, what);
        if (output.kind == Output::Kind::kLink) {
            m_shadow.Note(output.call);
        }
        if (kind == Kind::kReady || kind == Kind::kExposure || kind == Kind::kExposureCommand) {
            JudgeFreshPress(step, kind, what);
        }
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
            m_buttonReady = m_inputs.readyButton;
            m_step.asserted = true;
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
            m_step.asserted = true;
            if (kind == Kind::kExposure) {
                m_exposure = true;
                m_bySwitch = !m_inputs.exposureButton;
                m_xrayEnd = false;
                m_outOfStageMs = 0;
            }
            break;
        case Kind::kRelease:
            if (m_exposure) {
                // Model 2: a switch last reported standing has been seen
                // standing already (an exposure from the buttons).
                ForgetPress(m_model == 1 || m_stage != 0);
            }
            if (m_ready) {
                m_shadow.ForgetReady();
            }
            m_buttonReady = false;
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

    enum class Power { kOn, kOff };

    // What one step did, for the rules judged at its end.
    struct StepSeen {
        Power power = Power::kOn; // at the step's start
        bool asserted = false;    // a ready or an exposure went out
        bool charged = false;     // 113 value 1
        bool toldOff = false;     // 113 value 0
        bool chargedOff = false;  // Charge OFF OK
        bool poweredOff = false;  // Power OFF OK
    };

    static int StageOfBits(std::uint8_t bits) {
        return bits == 0x30 ? 0 : bits == 0x20 ? 1 : bits == 0x00 ? 2 : -1;
    }

    // The hand switch read (Model 1) or reported (Model 2) at `stage`.
    void NoteSwitch(int stage) {
        if (stage == 0) {
            m_needStanding = false;
        } else if (stage > 0 && !m_needStanding) {
            m_fresh = true;
        }
    }

    // A press seen so far no longer counts; `standing`: the switch must be
    // seen standing before the next one.
    void ForgetPress(bool standing) {
        m_fresh = false;
        m_needStanding = standing;
    }

    void JudgeFreshPress(const std::string& step, Kind kind, const std::string& what) {
        const bool byButton = kind == Kind::kReady
                                  ? m_inputs.readyButton
                                  : m_inputs.exposureButton && m_buttonReady && m_readyUp;
        if (!byButton && !m_fresh) {
            Fail(Rule::kFreshPress, step,
                 what + " with no press of the switch or button since the last charge, "
                        "exposure end or latch clearing");
        }
    }

    // Powered off, the generator gets only the release and power-off calls;
    // powered on, each call of the power-on conversation goes out once.
    void JudgePowerCall(const std::string& step, const Output& output, const std::string& what) {
        const sim::LinkCall& call = output.call;
        const bool link = output.kind == Output::Kind::kLink;
        if (m_power == Power::kOff) {
            const bool allowed =
                link ? call.dispatchId == kMethodPowerOff || call.dispatchId == kMethodLinkAnswer ||
                           (call.dispatchId == kMethodSwitchLines &&
                            call.args == LinkArgs{"00", "00"}) ||
                           (call.dispatchId == kMethodPowerLine && call.args == LinkArgs{"00"})
                     : output.portValue == kPortRelease || output.portValue == kPortIdle;
            if (!allowed) {
                Fail(Rule::kPowerDiscipline, step, what + " while powered off");
            }
            return;
        }
        static const int kOnce[] = {kMethodPowerOn, kMethodPowerEcho, kMethodChargeOn1};
        int slot = -1;
        int limit = 1;
        if (!link) {
            slot = output.portValue == kPortPowerOn ? 0 : -1;
        } else if (call.dispatchId == kMethodPowerLine && call.args == LinkArgs{"01"}) {
            slot = 1;
        } else if (call.dispatchId == kMethodPowerConfirm) {
            slot = 2;
            limit = 3;
        } else {
            const int* at = std::find(std::begin(kOnce), std::end(kOnce), call.dispatchId);
            slot = at != std::end(kOnce) ? 3 + static_cast<int>(at - std::begin(kOnce)) : -1;
        }
        if (slot >= 0 && ++m_powerCalls[static_cast<std::size_t>(slot)] > limit) {
            Fail(Rule::kPowerDiscipline, step, what + " again in one power on");
        }
    }

    void JudgePowerOff(const std::string& step) {
        const bool asked = m_inputs.powerOff || m_step.chargedOff;
        if (asked && m_step.power == Power::kOn && !(m_step.poweredOff && m_step.toldOff)) {
            Fail(Rule::kPowerOffCompletes, step,
                 std::string("a power off without ") +
                     (m_step.poweredOff ? "" : "\"Generator Power OFF OK !!\" and ") +
                     (m_step.toldOff ? "" : "113 value 0 to the host"));
        }
        if (asked) {
            m_power = Power::kOff;
        }
    }

    // The rules that compare the panel and the host's reports with what the
    // generator was told.
    void JudgeShown(const std::string& step, const Shown& shown, unsigned elapsedMs) {
        const bool lit = (*shown.view)[panel::kLampCharge].lit;
        // Counted only while the host waits for its 113 value 1.
        m_litMs = lit && m_last113 != 1 ? std::min(m_litMs + elapsedMs, kChargeDoneMs + 1) : 0;
        if (!lit && m_last113 == 1) {
            Fail(Rule::kHostTruth, step,
                 "the host was last told 113 value 1, the Charge lamp is out");
        } else if (lit && m_litMs > kChargeDoneMs && m_last113 == 0) {
            Fail(Rule::kHostTruth, step,
                 "the Charge lamp lit for over a second, the host was last "
                 "told 113 value 0");
        }
        if (m_book == nullptr) {
            return;
        }
        if (m_step.asserted && m_book->JudgeOver(shown) == 1) {
            Fail(Rule::kOver, step,
                 "a ready or an exposure of " + shown.view->operator[](panel::kModelEdit).text +
                     " " + JoinReport(shown) + " is OVER by the over table");
        }
        const bool checkpoint = m_step.charged || m_step.asserted;
        if (checkpoint) {
            for (const std::string& what : m_shadow.Disagreements(shown, *m_book, true, m_ready)) {
                Fail(Rule::kGeneratorShadow, step, what);
            }
        } else if (m_ready) {
            for (const std::string& what : m_shadow.Disagreements(shown, *m_book, false, true)) {
                Fail(Rule::kArmedEqualsShown, step, what);
            }
        }
    }

    static std::string JoinReport(const Shown& shown) {
        std::string text;
        for (const std::string& field : shown.report) {
            text += field + ";";
        }
        return text;
    }

    // The actual mAs the console makes of R201's texts, for plain ones (a
    // units and a tenths digit, up to three digits of tens); else empty.
    static std::string ActualMas(const std::string& units, const std::string& tens) {
        auto digits = [](const std::string& text, std::size_t most) {
            return !text.empty() && text.size() <= most &&
                   std::all_of(text.begin(), text.end(),
                               [](char c) { return c >= '0' && c <= '9'; });
        };
        if (!digits(units, 2) || !digits(tens, 3)) {
            return {};
        }
        const int whole = (units[0] - '0') + 10 * std::stoi(tens);
        const int tenths = units.size() > 1 ? units[1] - '0' : 0;
        return std::to_string(whole) + (tenths > 0 ? "." + std::to_string(tenths) : "");
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
    static constexpr unsigned kChargeDoneMs = 1000;

    unsigned m_pollMs;
    int m_model;
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
    // fresh-press: a press seen since the last reset; the switch must be
    // seen standing before a press counts.
    bool m_fresh = false;
    bool m_needStanding = true;
    bool m_buttonReady = false; // the ready came from the Ready button
    // power-discipline: unknown counts as powered on.
    Power m_power = Power::kOn;
    std::array<int, 6> m_powerCalls{}; // F7, 56 "01", 3, 1, 4, 23
    // host-truth: the last kind 113 (-1 none seen), how long the Charge lamp
    // has been lit, the actual mAs of the last R201.
    int m_last113 = -1;
    unsigned m_litMs = 0;
    std::string m_lastMas;
    GeneratorShadow m_shadow;
    std::shared_ptr<const Codebook> m_book;
    StepSeen m_step;
    std::vector<std::string> m_violations;
    std::vector<Rule> m_rules;
};

} // namespace invariants
