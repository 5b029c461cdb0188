// The console's data files paraio.dat and ref_data.dat with arbitrary
// content: the port address is the file's leading hexadecimal number (0x378
// when it has none), and whatever ref_data.dat holds, the charged console
// shows its references, steps its shifts and pre-heat, and sends the ready's
// reference texts as hexadecimal numbers, with the invariants holding.
// Input: byte 0 picks the model, then paraio.dat (a length byte and its
// bytes), then ref_data.dat (the rest).
#include "FuzzConsole.h"

#include "console/DataTables.h"

#include <fstream>

namespace {

void WriteData(const std::string& name, const std::string& bytes) {
    std::ofstream(fuzz::Data().Root() + "/data/" + name, std::ios::binary | std::ios::trunc)
        << bytes;
}

// Upper-case hexadecimal digits, as "%X" writes them, with a sign at most.
bool IsHexText(const std::string& text) {
    const std::size_t digits = text.rfind('-', 0) == 0 ? 1 : 0;
    return text.size() > digits &&
           text.find_first_not_of("0123456789ABCDEF", digits) == std::string::npos;
}

void Run(check::ConsoleWorld& world, invariants::SafetyMonitor& monitor, const std::string& text) {
    const check::StepResult step =
        check::RunStep(check::ExplorerEvents()[check::FindEvent(text)], world, monitor);
    for (const invariants::Output& output : step.outputs) {
        const int id = output.call.dispatchId;
        const bool reference =
            output.kind == invariants::Output::Kind::kLink && (id == kMethodKv || id == kMethodMa);
        if (reference && (!IsHexText(output.call.args.at(1)) ||
                          (id == kMethodMa && !IsHexText(output.call.args.at(2))))) {
            std::fprintf(stderr, "%s: %s\n", text.c_str(), check::Describe(output).c_str());
            std::abort();
        }
    }
    if (!monitor.Violations().empty()) {
        std::fprintf(stderr, "violation: %s\n", monitor.Violations().front().c_str());
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Bytes in(data, size);
    const int model = 1 + in.Byte() % 2;
    const std::string paraio = in.Text();
    WriteData("paraio.dat", paraio);
    WriteData("ref_data.dat", in.Rest());

    check::ConsoleWorld world(fuzz::Data().Root(), fuzz::Data().IniFor(model));
    const std::uint16_t address = ParsePortAddress(paraio);
    if (world.State().m_nPortAddress != (address != 0 ? address : 0x378)) {
        std::abort();
    }
    invariants::SafetyMonitor monitor = check::MonitorFor(world);
    std::string error;
    check::Reach(check::StartNamed("charged, model " + std::to_string(model)), world, monitor,
                 error);
    if (!error.empty()) {
        std::fprintf(stderr, "not charged: %s\n", error.c_str());
        std::abort();
    }
    const char* const kSteps[] = {"click 1035", "click 1036", "click 1037", "click 1038",
                                  "click 1088", "click 1090", "click 1092", "click 1093",
                                  "click 1012", "click 1014", "click 1005", "click 1007"};
    for (const char* step : kSteps) {
        Run(world, monitor, step);
    }
    Run(world, monitor, model == 1 ? "switch 0x20" : "event 6 \"HS\" \"20\"");
    Run(world, monitor, "advance");
    return 0;
}
