#include "ConsoleEvents.h"

#include "console/ConsoleIds.h"
#include "platform/Files.h"

#include <array>
#include <cstdio>
#include <memory>

namespace check {

namespace {

using Kind = ConsoleEvent::Kind;

constexpr unsigned long kHighestErrorValue = 0x63;

std::string Arg(const LinkArgs& args, std::size_t i) {
    return i < args.size() ? args[i] : std::string();
}

// The monitor's view of an event: what the operator and the generator did.
invariants::StepInputs InputsOf(const ConsoleEvent& event, const ConsoleWorld& world) {
    invariants::StepInputs inputs;
    const bool model2 = world.State().m_nModel == 2;
    const std::string code = Arg(event.args, 0);
    const std::string value = Arg(event.args, 1);
    switch (event.kind) {
    case Kind::kButton:
        inputs.exposureButton = event.id == panel::kExposure;
        inputs.readyButton = event.id == panel::kReady;
        inputs.powerOn = event.id == panel::kPowerOn;
        inputs.powerOff = event.id == panel::kPowerOff || event.id == panel::kExit;
        break;
    case Kind::kHostPower:
        inputs.powerOn = event.id != 0;
        inputs.powerOff = event.id == 0;
        break;
    case Kind::kSwitch:
        inputs.switchStage = event.id < 3 ? event.id : -1;
        inputs.handSwitchOnly = true;
        break;
    case Kind::kLink:
        if (event.id == kEventStateCode) {
            inputs.readyUp = code == "RS05";
            inputs.xrayEnd = code == "RS07";
        } else if (event.id == kEventReport && code == "HS") {
            const char* const kStages[] = {"30", "20", "00"};
            for (int stage = 0; stage < 3 && model2; ++stage) {
                inputs.switchStage = value == kStages[stage] ? stage : inputs.switchStage;
            }
            inputs.handSwitchOnly = true;
            inputs.switchReport = model2;
        } else if (event.id == kEventReport && code == "R104") {
            inputs.errorReport = IsErrorValue(value);
            inputs.checkReport = !inputs.errorReport;
        } else if (event.id == kEventReport) {
            inputs.reset = code == "R105";
            inputs.powerDown = code == "PS" && value == "00";
        } else if (event.id == kEventData && code == "R201") {
            inputs.masReport = true;
            inputs.masUnits = value;
            inputs.masTens = Arg(event.args, 2);
        }
        break;
    default:
        break;
    }
    return inputs;
}

ConsoleEvent Button(int id) {
    return {Kind::kButton, id, {}, {}};
}
ConsoleEvent Host(int code, const std::string& text = {}) {
    return {Kind::kHostCommand, code, text, {}};
}
ConsoleEvent HostPower(int on) {
    return {Kind::kHostPower, on, {}, {}};
}
ConsoleEvent Switch(int index) {
    return {Kind::kSwitch, index, {}, {}};
}
ConsoleEvent Link(int eventId, const LinkArgs& args) {
    return {Kind::kLink, eventId, {}, args};
}
ConsoleEvent Advance() {
    return {Kind::kAdvance, 0, {}, {}};
}

constexpr int kMaxWaits = 2000;
const std::string kUntil = "until timer ";

// Lets time pass until `timer` has fired; stops at once while it is not
// armed.
void RunUntil(unsigned timer, ConsoleWorld& world, invariants::SafetyMonitor& monitor,
              StepResult& result) {
    for (int waits = 0; waits < kMaxWaits && world.State().m_timers.count(timer) != 0; ++waits) {
        StepResult step = RunStep(Advance(), world, monitor);
        result.outputs.insert(result.outputs.end(), step.outputs.begin(), step.outputs.end());
        if (step.timer == timer) {
            return;
        }
    }
}

const std::vector<std::string>& StepsOf(const ConsoleEvent& event, const ConsoleWorld& world) {
    return Composites()[static_cast<std::size_t>(event.id)]
        .steps[world.State().m_nModel == 2 ? 1 : 0];
}

void RunComposite(const ConsoleEvent& event, ConsoleWorld& world,
                  invariants::SafetyMonitor& monitor, StepResult& result) {
    for (const std::string& text : StepsOf(event, world)) {
        if (text.rfind(kUntil, 0) == 0) {
            const auto timer = static_cast<unsigned>(std::stoul(text.substr(kUntil.size())));
            if (world.State().m_timers.count(timer) == 0) {
                return;
            }
            RunUntil(timer, world, monitor, result);
            continue;
        }
        StepResult step = RunStep(ExplorerEvents()[FindEvent(text)], world, monitor);
        result.outputs.insert(result.outputs.end(), step.outputs.begin(), step.outputs.end());
    }
}

std::string Quoted(const LinkArgs& args) {
    std::string text;
    for (const std::string& arg : args) {
        text += " \"" + arg + "\"";
    }
    return text;
}

} // namespace

const std::vector<Composite>& Composites() {
    static const std::vector<Composite> composites = [] {
        const std::string r101 = "event 6 \"R101\" \"3A\"";
        const std::string rs04 = "event 9 \"RS04\"";
        const std::string ps01 = "event 6 \"PS\" \"01\"";
        const std::vector<std::string> toEcho[] = {
            {"host power on", "until timer 1", "until timer 2", r101},
            {"host power on", ps01, "until timer 1", r101}};
        const std::vector<std::string> toCharged[] = {{rs04, "until timer 3"},
                                                      {"until timer 2", rs04, "until timer 3"}};
        std::vector<Composite> list = {
            {"power on to R101", {toEcho[0], toEcho[1]}},
            {"charge to completion", {toCharged[0], toCharged[1]}},
            // Model 1: R101 late or never.
            {"power on, charged before R101",
             {{"host power on", "until timer 1", "until timer 2", rs04, "until timer 3"}, {}}},
            {"link loss", {{}, {"until timer 10"}}},
        };
        Composite on{"power on to charged", {}};
        Composite cycle{"power cycle to charged", {}};
        for (int m = 0; m < 2; ++m) {
            on.steps[m] = toEcho[m];
            on.steps[m].insert(on.steps[m].end(), toCharged[m].begin(), toCharged[m].end());
            cycle.steps[m] = on.steps[m];
            cycle.steps[m].insert(cycle.steps[m].begin(), "host power off");
        }
        list.push_back(on);
        list.push_back(cycle);
        return list;
    }();
    return composites;
}

const std::vector<ConsoleEvent>& ExplorerEvents() {
    static const std::vector<ConsoleEvent> events = [] {
        std::vector<ConsoleEvent> list = {
            // The host: stepping, fields, receptor, density, the modes, the
            // complete exposure (time, mAs, AEC, OVER, garbage), a code
            // the console does not know.
            Host(9),
            Host(10),
            Host(12),
            Host(13),
            Host(15),
            Host(16),
            Host(18),
            Host(19),
            Host(101, "1"),
            Host(101, "110"),
            Host(101, "0"),
            Host(101, "x"),
            Host(102),
            Host(103),
            Host(104),
            Host(105),
            Host(106),
            Host(107),
            Host(108),
            Host(109),
            Host(110, "70;200;0.1;20;0;0;0;0;0"),
            Host(110, "80;100;0.2;20;1;0;0;0;0"),
            Host(110, "70;100;0.1;10;2;0;1;0;1"),
            Host(110, "150;630;0.1;20;0;0;0;0;0"),
            // Allowed at 50 kW, OVER at 20 kW.
            Host(110, "100;250;0.1;25;0;0;0;0;0"),
            Host(110, ";;x"),
            Host(8),
            HostPower(1),
            HostPower(0),
            // The hand switch on the port: standing, first stage, second
            // stage, no position.
            Switch(0),
            Switch(1),
            Switch(2),
            Switch(3),
            // The generator's state codes, an unknown one, one without text.
            Link(kEventStateCode, {"RS01"}),
            Link(kEventStateCode, {"RS02"}),
            Link(kEventStateCode, {"RS03"}),
            Link(kEventStateCode, {"RS04"}),
            Link(kEventStateCode, {"RS05"}),
            Link(kEventStateCode, {"RS06"}),
            Link(kEventStateCode, {"RS07"}),
            Link(kEventStateCode, {"RS08"}),
            Link(kEventStateCode, {}),
            // Its reports: the hand switch (Model 2), power, the link check,
            // power on OK, feedback, errors and checks, the reset, unknown
            // codes and values.
            Link(kEventReport, {"HS", "30"}),
            Link(kEventReport, {"HS", "20"}),
            Link(kEventReport, {"HS", "00"}),
            Link(kEventReport, {"HS", "10"}),
            Link(kEventReport, {"PS", "00"}),
            Link(kEventReport, {"PS", "01"}),
            Link(kEventReport, {"LINK", "55"}),
            Link(kEventReport, {"LINK", "54"}),
            Link(kEventReport, {"R101", "3A"}),
            Link(kEventReport, {"R102", "1F4"}),
            Link(kEventReport, {"R103", "65"}),
            Link(kEventReport, {"R104", "0A"}),
            Link(kEventReport, {"R104", "65"}),
            Link(kEventReport, {"R104", "ZZ"}),
            Link(kEventReport, {"R104", "6F"}),
            Link(kEventReport, {"R104", "6D"}),
            Link(kEventReport, {"R105", ""}),
            Link(kEventReport, {"R106", "01"}),
            Link(kEventReport, {"HS"}),
            // Data: the actual mAs, an unknown code; the ignored events.
            Link(kEventData, {"R201", "25", "1"}),
            Link(kEventData, {"R202", "25", "1"}),
            Link(4, {"x"}),
            Link(3, {"x", "y"}),
            // Time passing to the next timer.
            Advance(),
        };
        // Every button of the panel.
        for (int id = panel::kFirstControl; id <= panel::kLastControl; ++id) {
            if (panel::KindOf(id) == panel::ControlKind::kButton) {
                list.push_back(Button(id));
            }
        }
        for (std::size_t i = 0; i < Composites().size(); ++i) {
            list.push_back({Kind::kComposite, static_cast<int>(i), Composites()[i].name, {}});
        }
        return list;
    }();
    return events;
}

std::size_t FindEvent(const std::string& text) {
    const std::vector<ConsoleEvent>& events = ExplorerEvents();
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (Describe(events[i]) == text) {
            return i;
        }
    }
    return events.size();
}

bool Enabled(const ConsoleEvent& event, const ConsoleWorld& world) {
    switch (event.kind) {
    case Kind::kButton:
        return world.State().m_view[event.id].enabled;
    case Kind::kSwitch:
        return world.State().m_nModel == 1;
    case Kind::kComposite: {
        // One that waits first waits only for a timer armed.
        const std::vector<std::string>& steps = StepsOf(event, world);
        return !steps.empty() && (steps[0].rfind(kUntil, 0) != 0 ||
                                  world.State().m_timers.count(static_cast<unsigned>(
                                      std::stoul(steps[0].substr(kUntil.size())))) != 0);
    }
    default:
        return true;
    }
}

std::string Describe(const ConsoleEvent& event) {
    switch (event.kind) {
    case Kind::kButton:
        return "click " + std::to_string(event.id);
    case Kind::kHostCommand:
        return "host " + std::to_string(event.id) +
               (event.text.empty() ? "" : " \"" + event.text + "\"");
    case Kind::kHostPower:
        return event.id != 0 ? "host power on" : "host power off";
    case Kind::kSwitch: {
        char text[32];
        std::snprintf(text, sizeof text, "switch 0x%02X", kSwitchRaw[event.id]);
        return text;
    }
    case Kind::kLink:
        return "event " + std::to_string(event.id) + Quoted(event.args);
    case Kind::kAdvance:
        return "advance";
    case Kind::kComposite:
        return "do " + event.text;
    }
    return "?";
}

StepResult RunStep(const ConsoleEvent& event, ConsoleWorld& world,
                   invariants::SafetyMonitor& monitor) {
    StepResult result;
    result.what = Describe(event);
    if (event.kind == Kind::kComposite) {
        RunComposite(event, world, monitor, result);
        return result;
    }
    const std::uint64_t startMs = world.NowMs();
    invariants::StepInputs inputs = InputsOf(event, world);
    CConsole& console = world.Console();
    switch (event.kind) {
    case Kind::kButton:
        console.OnCommand(event.id);
        break;
    case Kind::kHostCommand:
        console.OnHostCommand(static_cast<unsigned>(event.id), event.text);
        break;
    case Kind::kHostPower:
        if (event.id != 0) {
            console.PowerOn();
        } else {
            console.PowerOff();
        }
        break;
    case Kind::kSwitch:
        world.SetSwitchRaw(kSwitchRaw[event.id]);
        break;
    case Kind::kLink:
        console.OnLinkEvent(event.id, event.args);
        break;
    case Kind::kAdvance: {
        const unsigned timer = world.AdvanceToNextTimer();
        inputs.handSwitchOnly = world.IsPoll(timer) || timer == kTimerChargeDone;
        result.timer = timer;
        result.what += timer == 0 ? ": no timer"
                                  : ": timer " + std::to_string(timer) + " at +" +
                                        std::to_string(world.NowMs() - startMs) + " ms";
        break;
    }
    case Kind::kComposite:
        break;
    }
    result.outputs = world.TakeOutputs();
    invariants::Shown shown;
    shown.view = &world.State().m_view;
    shown.report = invariants::Shown::Split(console.HostStatusText());
    monitor.Begin(inputs);
    monitor.End(result.what, result.outputs, static_cast<unsigned>(world.NowMs() - startMs),
                &shown);
    return result;
}

invariants::SafetyMonitor MonitorFor(const ConsoleWorld& world) {
    invariants::SafetyMonitor monitor(world.PollMs(), world.State().m_nModel);
    monitor.StartPoweredOff();
    auto book = std::make_shared<invariants::Codebook>();
    const ConsoleState& s = world.State();
    book->SetTables(s.m_kvTable, s.m_maTable, s.m_secTable, s.m_masTable);
    // The over tables of every power model, read as the console reads them.
    const std::string data = world.Root() + "\\data\\over_";
    for (const char* model : {"20kW", "32kW", "40kW", "50kW"}) {
        std::array<OverGrid, 2>& grids = book->over[model];
        const char* const kFiles[] = {"over_mA_sec.dat", "over_mA_mAs.dat"};
        for (int i = 0; i < 2; ++i) {
            std::string bytes;
            std::vector<std::string> notes;
            platform::ReadFileBytes(data + model + "\\" + kFiles[i], bytes);
            grids[static_cast<std::size_t>(i)] = ParseOverTable(bytes, notes);
        }
    }
    monitor.SetCodebook(book);
    return monitor;
}

bool IsErrorValue(const std::string& value) {
    unsigned long number = 0;
    for (char c : value) {
        const bool digit = c >= '0' && c <= '9';
        const bool upper = c >= 'A' && c <= 'F';
        const bool lower = c >= 'a' && c <= 'f';
        if (!digit && !upper && !lower) {
            break;
        }
        number = number * 16 +
                 static_cast<unsigned long>(digit ? c - '0' : (upper ? c - 'A' : c - 'a') + 10);
        if (number > kHighestErrorValue) {
            return false;
        }
    }
    return true;
}

std::string Describe(const invariants::Output& output) {
    switch (output.kind) {
    case invariants::Output::Kind::kPort:
    case invariants::Output::Kind::kRead: {
        char text[16];
        std::snprintf(text, sizeof text,
                      output.kind == invariants::Output::Kind::kPort ? "port %02X" : "read %02X",
                      output.portValue);
        return text;
    }
    case invariants::Output::Kind::kStatus:
        return (output.sent ? "sent \"" : "status \"") + output.text + "\"";
    case invariants::Output::Kind::kLink:
        break;
    }
    std::string text = std::to_string(output.call.dispatchId);
    for (const std::string& arg : output.call.args) {
        text += " " + arg;
    }
    return text;
}

} // namespace check
