// The safety invariants (ConsoleInvariants.h) after every step of long,
// seeded random runs: the operator's switch and buttons, the host's power
// commands, the generator's codes and reports in any order, the OVER
// judgement flipping, time passing.
#include "ConsoleExposureFixture.h"

#include <random>

class ConsoleExposureSafety : public ConsoleExposureFixture {
protected:
    // Runs `steps` random steps on a charged console of `model`; returns the
    // violations (empty when every invariant held), the first one followed
    // by the steps and outputs that led to it.
    std::vector<std::string> RandomRun(int model, unsigned seed, int steps) {
        constexpr std::size_t kHistory = 12;
        std::vector<std::string> history;
        Charge(model);
        std::mt19937 random(seed);
        invariants::SafetyMonitor monitor(PollMs(), model);
        monitor.Begin({});
        // Charged with the switch read standing since.
        monitor.End("charged",
                    {{invariants::Output::Kind::kStatus, {}, 0, "Generator Charge ON OK !!"},
                     {invariants::Output::Kind::kRead, {}, 0x30, ""}},
                    0);
        for (int i = 0; i < steps && monitor.Violations().empty(); ++i) {
            invariants::StepInputs inputs;
            const std::uint64_t before = sim::World::Get().NowMs();
            const std::string step = Step(random, inputs, monitor);
            const auto elapsed = static_cast<unsigned>(sim::World::Get().NowMs() - before);
            const std::vector<invariants::Output> outputs = Outputs();
            for (const invariants::Output& output : outputs) {
                const std::string text = Text(output);
                m_exposures += text == "57 01 01" || text == "port FC" ? 1 : 0;
            }
            monitor.End(std::to_string(i) + " " + step, outputs, elapsed);
            std::string line = "\n  " + std::to_string(i) + " " + step + ":";
            for (const invariants::Output& output : outputs) {
                if (output.kind != invariants::Output::Kind::kRead) {
                    line += " [" +
                            (output.kind == invariants::Output::Kind::kStatus ? output.text
                                                                              : Text(output)) +
                            "]";
                }
            }
            history.push_back(line);
            ClearTrace();
        }
        std::vector<std::string> violations = monitor.Violations();
        if (!violations.empty()) {
            const std::size_t from = history.size() > kHistory ? history.size() - kHistory : 0;
            for (std::size_t i = from; i < history.size(); ++i) {
                violations.front() += history[i];
            }
        }
        return violations;
    }

    // Exposures asserted so far: a run that never exposes proves little.
    int m_exposures = 0;

private:
    // The kinds of step, with weights that keep a run coming back to
    // exposures: a generator that mostly answers, rarely fails.
    enum Kind {
        kSwitch,
        kWait,
        kReadyUp,
        kXrayStart,
        kXrayEnd,
        kCharged,
        kButton,
        kCheck,
        kError,
        kReset,
        kOver,
        kPowerOff,
        kPowerDown,
        kPowerUp,
        kPowerOn,
        kEcho,
        kLink,
        kKinds
    };

    // The generator answers what the console asked for more often than not
    // and powers up again when it is off; the console's flags only steer
    // the choice, the invariants never read them.
    int PickKind(std::mt19937& random) const {
        const ConsoleState& s = State();
        if (s.m_bChargeOn == 0 && random() % 2 == 0) {
            if (s.m_nPowerPhase == kPhaseOff) {
                return kPowerOn;
            }
            if (s.m_nPowerPhase == kPhasePowering) {
                return m_model == 2 && s.m_bPowerOn == 0 ? kPowerUp : kEcho;
            }
            return kCharged;
        }
        const bool asked = s.m_bReadyStarted != 0 && s.m_bReadyUp == 0;
        const bool exposing = s.m_bExposureStarted != 0;
        const int weights[kKinds] = {20,
                                     20,
                                     asked ? 15 : 1,
                                     exposing ? 15 : 1,
                                     exposing ? 10 : 1,
                                     1,
                                     8,
                                     1,
                                     1,
                                     3,
                                     3,
                                     1,
                                     1,
                                     1,
                                     1,
                                     1,
                                     8};
        std::discrete_distribution<int> kinds(std::begin(weights), std::end(weights));
        return kinds(random);
    }

    // Picks and performs one step; tells the monitor its inputs first.
    std::string Step(std::mt19937& random, invariants::StepInputs& inputs,
                     invariants::SafetyMonitor& monitor) {
        static const unsigned kWaits[] = {1, 3, 10, 20, 20, 50, 100, 500};
        static const int kButtons[] = {panel::kReady, panel::kReadyCancel, panel::kExposure,
                                       panel::kExposureCancel};
        auto pick = [&random](std::size_t n) {
            return static_cast<std::size_t>(random() % static_cast<unsigned>(n));
        };
        const int kind = PickKind(random);
        switch (kind) {
        case kSwitch:
            // Once the generator is up, the operator mostly presses on.
            inputs.switchStage =
                State().m_bReadyUp != 0 && pick(2) == 0 ? 2 : static_cast<int>(pick(3));
            inputs.switchReport = m_model == 2;
            monitor.Begin(inputs);
            Switch(inputs.switchStage);
            return "switch " + std::to_string(inputs.switchStage);
        case kWait: {
            const unsigned ms = kWaits[pick(std::size(kWaits))];
            monitor.Begin(inputs);
            Advance(ms);
            return "wait " + std::to_string(ms);
        }
        case kReadyUp:
        case kXrayStart:
        case kXrayEnd:
        case kCharged: {
            static const char* const kCodes[] = {"RS05", "RS06", "RS07", "RS04"};
            const std::string code = kCodes[kind - kReadyUp];
            inputs.readyUp = kind == kReadyUp;
            inputs.xrayEnd = kind == kXrayEnd;
            monitor.Begin(inputs);
            StateCode(code);
            return code;
        }
        case kButton: {
            // Mostly the button the operator would press next.
            const int next = State().m_bReadyUp != 0 ? panel::kExposure : panel::kReady;
            const int id = pick(2) == 0 ? next : kButtons[pick(std::size(kButtons))];
            inputs.exposureButton = id == panel::kExposure;
            inputs.readyButton = id == panel::kReady;
            monitor.Begin(inputs);
            Press(id);
            return "button " + std::to_string(id);
        }
        case kCheck:
        case kError: {
            const std::string value = kind == kError ? (pick(2) == 0 ? "22" : "0A") : "6E";
            inputs.errorReport = kind == kError;
            inputs.checkReport = kind == kCheck;
            monitor.Begin(inputs);
            Report("R104", value);
            return "R104 " + value;
        }
        case kReset:
            inputs.reset = true;
            monitor.Begin(inputs);
            Report("R105", "");
            return "R105";
        case kOver: {
            const int over = pick(4) == 0 ? 1 : 0;
            inputs.over = over;
            monitor.Begin(inputs);
            Preset([over](ConsoleState& s) { s.m_bOver = over; });
            return "OVER " + std::to_string(over);
        }
        case kPowerOff:
            inputs.powerOff = true;
            monitor.Begin(inputs);
            panel->console.PowerOff();
            return "power off";
        case kPowerDown:
        case kPowerUp:
            monitor.Begin(inputs);
            Report("PS", kind == kPowerDown ? "00" : "01");
            return kind == kPowerDown ? "PS 00" : "PS 01";
        case kPowerOn:
            inputs.powerOn = true;
            monitor.Begin(inputs);
            panel->console.PowerOn();
            return "power on";
        case kEcho:
            monitor.Begin(inputs);
            Report("R101", "3A");
            return "R101";
        default:
            monitor.Begin(inputs);
            Report("LINK", "55");
            return "LINK";
        }
    }
};

TEST_F(ConsoleExposureSafety, InvariantsHoldThroughSeededRandomRuns) {
    for (int model : {1, 2}) {
        for (unsigned seed = 1; seed <= 8; ++seed) {
            const std::vector<std::string> violations = RandomRun(model, seed, 2000);
            EXPECT_TRUE(violations.empty())
                << "model " << model << " seed " << seed << ": " << violations.front();
            EXPECT_GE(m_exposures, 5) << "model " << model << " seed " << seed;
            m_exposures = 0;
        }
    }
}

// The monitor itself catches what it is there for.
TEST(ConsoleInvariants, TheMonitorFlagsEachBrokenRule) {
    using invariants::Output;
    auto call = [](int id, LinkArgs args) {
        Output out;
        out.call = {id, std::move(args)};
        return out;
    };
    auto port = [](std::uint8_t value) {
        Output out;
        out.kind = Output::Kind::kPort;
        out.portValue = value;
        return out;
    };
    Output charged;
    charged.kind = Output::Kind::kStatus;
    charged.text = "Generator Charge ON OK !!";
    const Output ready = call(57, {"01", "00"});
    const Output exposure = call(57, {"01", "01"});
    // The switch read standing, then pressed: a fresh press.
    auto read = [](std::uint8_t bits) {
        Output out;
        out.kind = Output::Kind::kRead;
        out.portValue = bits;
        return out;
    };
    const Output standing = read(0x30);
    const Output pressed = read(0x00);

    struct Case {
        const char* rule;
        std::vector<Output> outputs;
        int stage;
        unsigned waitMs;
    };
    const Case cases[] = {
        {"port value", {charged, port(0xFE)}, 0, 0},
        {"uncharged ready", {standing, pressed, port(0xFD)}, 0, 0},
        {"exposure without ready", {charged, standing, pressed, exposure}, 2, 0},
        {"exposure at stage 1", {charged, standing, pressed, ready, exposure}, 1, 0},
        {"no release after letting go", {charged, standing, pressed, ready, exposure}, 2, 10},
        {"ready from a switch not seen standing", {charged, pressed, ready}, 1, 0},
    };
    for (const Case& c : cases) {
        invariants::SafetyMonitor monitor(10);
        invariants::StepInputs inputs;
        inputs.switchStage = c.stage;
        monitor.Begin(inputs);
        monitor.End("step", c.outputs, 0);
        if (c.waitMs != 0) {
            invariants::StepInputs letGo;
            letGo.switchStage = 1;
            monitor.Begin(letGo);
            monitor.End("let go", {}, c.waitMs);
        }
        EXPECT_EQ(monitor.Violations().size(), 1u) << c.rule;
    }
    invariants::SafetyMonitor good(10);
    invariants::StepInputs atTwo;
    atTwo.switchStage = 2;
    good.Begin(atTwo);
    good.End("expose", {charged, standing, pressed, ready, exposure, call(57, {"00", "00"})}, 0);
    EXPECT_TRUE(good.Violations().empty());
}
