// Host-record decoding: RecordText alone, and a whole generator command through the
// main window's WM_COPYDATA handler (decoding, framing, queueing on the simulated port).
#include "bench/micro/DialogSetup.h"

#include "bridge/HostRecord.h"
#include "platform/sim/SimWorld.h"

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

constexpr char kCommand[] = "KV70 MA100";

void BM_RecordText(benchmark::State& state) {
    HostRecord record;
    record.kind = kKindGeneratorCommand;
    record.cbData = sizeof kCommand;
    record.data = kCommand;
    for (auto _ : state) {
        std::string text = RecordText(record);
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_RecordText);

void BM_OnCopyDataType11(benchmark::State& state) {
    microbench::DialogSetup setup(11);
    COPYDATASTRUCT record{};
    record.dwData = kKindGeneratorCommand;
    record.cbData = sizeof kCommand;
    record.lpData = const_cast<char*>(kCommand);
    for (auto _ : state) {
        setup.Dialog().SendMessage(WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record));
        if (sim::World::Get().Written(microbench::kPort).empty()) {
            state.SkipWithError("nothing was written");
            break;
        }
        setup.Forget();
    }
}
BENCHMARK(BM_OnCopyDataType11);

} // namespace
