// The three receive parsers, each fed one typical reply per iteration through the
// simulated port, as the port thread delivers it (types 11 and 13: byte by byte;
// type 17: one block). Each iteration checks that the host got the reply.
#include "bench/micro/DialogSetup.h"

#include "platform/sim/SimWorld.h"
#include "serial/Frames.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

void FeedReplies(benchmark::State& state, int typeGen, const Frame& reply,
                 std::size_t recordsPerReply) {
    microbench::DialogSetup setup(typeGen);
    sim::World& world = sim::World::Get();
    for (auto _ : state) {
        world.Receive(microbench::kPort, reply);
        if (world.Hosts().front().received.size() != recordsPerReply) {
            state.SkipWithError("the host did not get the reply");
            break;
        }
        setup.Forget();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * reply.size()));
}

void BM_Type11Reply(benchmark::State& state) {
    FeedReplies(state, 11, SumFrame("KV70 MA100"), 2);
}
BENCHMARK(BM_Type11Reply);

void BM_Type13Reply(benchmark::State& state) {
    FeedReplies(state, 13, HexFrame("A1C1KV070MA0100"), 1);
}
BENCHMARK(BM_Type13Reply);

void BM_Type17Reply(benchmark::State& state) {
    FeedReplies(state, 17, LinkFrame('A', "KV70"), 1);
}
BENCHMARK(BM_Type17Reply);

} // namespace
