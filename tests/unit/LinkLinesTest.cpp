// The link component's line codec: what the device sends, cut at every
// offset, raises the same events; what the component sends is escaped.
#include "tools/relvanlink/LinkLines.h"
#include "tools/relvanlink/LinkPortName.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Event = std::pair<int, LineFields>;

struct WireCase {
    const char* name;
    std::string wire;
    std::vector<Event> events;
};

// A small limit keeps every cut of the longest lines quick.
constexpr std::size_t kLimit = 32;
const std::string kLongest = "EVENT\t4\t" + std::string(kLimit - 8, 'a');

const WireCase kCases[] = {
    {"OneEvent", "EVENT\t9\tRS01\n", {{9, {"RS01"}}}},
    {"CrLfAndOrder",
     "EVENT\t6\tPS\t01\r\nEVENT\t9\tRS04\nEVENT\t6\tLINK\t55\n",
     {{6, {"PS", "01"}}, {9, {"RS04"}}, {6, {"LINK", "55"}}}},
    {"Escapes", "EVENT\t5\tR201\ta\\tb\t\\\\x\\r\\n\n", {{5, {"R201", "a\tb", "\\x\r\n"}}}},
    {"UnknownEscapeAndLoneBackslashStand", "EVENT\t4\t\\q\\\n", {{4, {"\\q\\"}}}},
    {"BareCrInsideIsText", "EVENT\t4\ta\rb\n", {{4, {"a\rb"}}}},
    {"EmptyArguments", "EVENT\t3\t\t\nEVENT\t4\n", {{3, {"", ""}}, {4, {}}}},
    {"OtherLinesDropped",
     "CALL\t1\n\nEVENT\nEVENT\t\t1\nEVENT\tx1\nEVENT\t-1\nEVENT\t1234567890\nevent\t9\tRS01\n"
     "EVENT 9 RS01\nEVENT\t123456789\tok\n",
     {{123456789, {"ok"}}}},
    {"UnendedLineWaits", "EVENT\t9\tRS02\nEVENT\t9\tRS03", {{9, {"RS02"}}}},
    {"LongestLineKept", kLongest + "\n", {{4, {std::string(kLimit - 8, 'a')}}}},
    {"OverlongLineDropped", kLongest + "a\nEVENT\t9\tRS05\n", {{9, {"RS05"}}}},
    {"OverlongByItsCr", kLongest + "\r\nEVENT\t9\tRS06\n", {{9, {"RS06"}}}},
};

std::vector<Event> Receive(const std::string& wire, std::size_t cut) {
    std::vector<Event> events;
    LineAssembler assembler(kLimit);
    const auto onLine = [&events](const std::string& line) {
        Event event;
        if (ParseEventLine(line, event.first, event.second)) {
            events.push_back(std::move(event));
        }
    };
    assembler.Feed(wire.data(), cut, onLine);
    assembler.Feed(wire.data() + cut, wire.size() - cut, onLine);
    return events;
}

TEST(LinkLines, DeviceLinesRaiseTheSameEventsHoweverTheyArrive) {
    for (const WireCase& c : kCases) {
        for (std::size_t cut = 0; cut <= c.wire.size(); ++cut) {
            ASSERT_EQ(Receive(c.wire, cut), c.events) << c.name << ", cut at " << cut;
        }
        for (const Event& event : c.events) {
            LineFields fields{"EVENT", std::to_string(event.first)};
            fields.insert(fields.end(), event.second.begin(), event.second.end());
            ASSERT_EQ(Receive(JoinLine(fields), 0), std::vector<Event>{event}) << c.name;
        }
    }
}

TEST(LinkLines, CallLinesEscapeTheirArguments) {
    EXPECT_EQ(CallLine(43, {"28", "410", "50"}), "CALL\t43\t28\t410\t50\n");
    EXPECT_EQ(CallLine(1, {}), "CALL\t1\n");
    EXPECT_EQ(CallLine(4, {"a\tb\\", "", "c\r\n"}), "CALL\t4\ta\\tb\\\\\t\tc\\r\\n\n");
}

// "LinkPort" as an integrator writes it: a number or a COM name.
TEST(LinkLines, LinkPortTakesANumberOrAComName) {
    const std::pair<const char*, int> cases[] = {
        {"6", 6},   {"COM6", 6}, {"com12", 12}, {" Com255\t", 255}, {"COM256", 0},
        {"", 0},    {"COM", 0},  {"0", 0},      {"COM6x", 0},       {"-6", 0},
        {"6 6", 0}, {"LPT1", 0}, {"1000", 0},   {"COM 6", 0},
    };
    for (const auto& [text, port] : cases) {
        EXPECT_EQ(ParseLinkPort(text), port) << '"' << text << '"';
    }
    EXPECT_EQ(LinkPortName(6), "COM6");
}

} // namespace
