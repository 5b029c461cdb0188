// The host's console commands 101 (field request) and 110 (the complete
// exposure) with arbitrary texts, on a console at any of the explorer's
// starts: the steps stay within the power model's, the fields and density
// within theirs, and the invariants hold.
// Input: byte 0 picks the start; then per command a byte (even: 101, odd:
// 110; above 0xF0 time passes to the next timer instead) and its text (a
// length byte and its bytes).
#include "FuzzConsole.h"

namespace {

constexpr int kMaxCommands = 16;

bool Within(int value, int low, int high) {
    return value >= low && value <= high;
}

bool Sound(const ConsoleState& s) {
    return Within(s.m_nKvIndex, 0, s.m_nKvMax) && Within(s.m_nMaIndex, 0, s.m_nMaMax) &&
           Within(s.m_nSecIndex, 0, s.m_nSecMax) && Within(s.m_nMasIndex, 0, s.m_nMasMax) &&
           Within(s.m_bField1, 0, 4) && Within(s.m_bField2, 0, 4) && Within(s.m_bField3, 0, 4) &&
           Within(s.m_nDensity, 0, 11);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Bytes in(data, size);
    fuzz::ConsoleRun run(in.Byte());
    for (int n = 0; n < kMaxCommands && !in.Empty(); ++n) {
        const std::uint8_t op = in.Byte();
        if (op >= 0xF0) {
            run.Step({check::ConsoleEvent::Kind::kAdvance, 0, {}, {}});
            continue;
        }
        run.Step({check::ConsoleEvent::Kind::kHostCommand, op % 2 == 0 ? 101 : 110, in.Text(), {}});
        if (!Sound(run.World().State())) {
            std::abort();
        }
    }
    return 0;
}
