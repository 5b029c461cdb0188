// The console fed streams of events from any of the explorer's starts: the
// explorer's events (buttons only while enabled), link events with arbitrary
// texts, host commands 101 and 110 with arbitrary texts, time passing. The
// safety invariants are judged after every step; a violation aborts with it.
// Input: byte 0 picks the start, then one operation per byte:
//   00-BF  event (byte) of the explorer's table
//   C0-DF  link event: its id (9, 6, 5, 4 or 3) from bits 0-2, one text
//          fewer or more than it should have or the code alone from bits 3-4;
//          a code byte (a known code, or an arbitrary text), then texts, each
//          a length byte and that many bytes
//   E0-EF  host command 101 (even) or 110 (odd) with a text as above
//   F0-FF  time passing to the next timer, 1 to 16 times
#include "FuzzConsole.h"

#include <iterator>

namespace {

using check::ConsoleEvent;

constexpr std::size_t kMaxEvents = 64;

ConsoleEvent ArbitraryLinkEvent(fuzz::Bytes& in, std::uint8_t op) {
    static const int kIds[] = {kEventStateCode, kEventReport, kEventData, 4, 3};
    static const char* const kCodes[] = {"RS04", "RS05", "RS06", "RS07", "HS",   "PS",  "LINK",
                                         "R101", "R102", "R103", "R104", "R105", "R201"};
    const int id = kIds[(op & 0x07) % 5];
    const std::size_t expected = id == kEventStateCode ? 1 : (id == kEventData ? 3 : 2);
    const std::size_t counts[] = {expected, expected - 1, expected + 1, 1};
    const std::size_t count = counts[(op >> 3) & 0x03];
    const std::uint8_t code = in.Byte();
    ConsoleEvent event{ConsoleEvent::Kind::kLink, id, {}, {}};
    if (count > 0) {
        event.args.push_back(code < std::size(kCodes) ? kCodes[code] : in.Text());
    }
    while (event.args.size() < count) {
        event.args.push_back(in.Text());
    }
    return event;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Bytes in(data, size);
    fuzz::ConsoleRun run(in.Byte());
    const std::vector<ConsoleEvent>& table = check::ExplorerEvents();
    for (std::size_t n = 0; n < kMaxEvents && !in.Empty(); ++n) {
        const std::uint8_t op = in.Byte();
        if (op < 0xC0) {
            const ConsoleEvent& event = table[op % table.size()];
            if (check::Enabled(event, run.World())) {
                run.Step(event);
            }
        } else if (op < 0xE0) {
            run.Step(ArbitraryLinkEvent(in, op));
        } else if (op < 0xF0) {
            run.Step({ConsoleEvent::Kind::kHostCommand, op % 2 == 0 ? 101 : 110, in.Text(), {}});
        } else {
            for (int i = 0; i <= (op & 0x0F); ++i) {
                run.Step({ConsoleEvent::Kind::kAdvance, 0, {}, {}});
            }
        }
    }
    return 0;
}
