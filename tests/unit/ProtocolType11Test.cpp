// Generator type 11 on the virtual clock: sum frames, reply items by code
// index, PR and XR answered to the generator, and the ST/RS/RR poll cycle.
#include "BridgeFixture.h"

#include "platform/Messages.h"

namespace {

using Items = std::vector<std::pair<int, std::string>>;

Bytes Sum(const std::string& text) {
    return SumFrame(text);
}

} // namespace

class Type11 : public GeneratorFixture {
protected:
    // Started, with the first "ST" (500 ms after start) already written.
    CRelvanDlg& StartRunning() {
        CRelvanDlg& main = StartType(11);
        Advance(500);
        EXPECT_EQ(Writes().back(), Sum("ST"));
        ClearWritten(kPort);
        return main;
    }
};

TEST_F(Type11, FirstStatusRequestHalfASecondAfterStartThenNothingWithoutReply) {
    StartType(11);
    Advance(499);
    ASSERT_EQ(Writes(), std::vector<Bytes>({Bytes{0x01, 0x35, 0x00, 0x01, 0x01, 0x38}}));
    Advance(1);
    EXPECT_EQ(Writes().back(), (Bytes{0x53, 0x54, 0x03, 0xAA}));
    ClearWritten(kPort);
    Advance(5000); // a generator that never answers never enters the poll cycle
    EXPECT_TRUE(Writes().empty());
}

TEST_F(Type11, WorkedExampleReachesTheHostItemByItemThenPollsAfter200ms) {
    StartRunning();
    ReceiveBytes({0x4B, 0x56, 0x37, 0x30, 0x20, 0x4D, 0x41, 0x31, 0x30, 0x30, 0x03, 0x4A});
    EXPECT_EQ(HostItems(), (Items{{0, "70"}, {1, "100"}}));
    Advance(199);
    EXPECT_TRUE(Writes().empty());
    Advance(1);
    EXPECT_EQ(Writes(), std::vector<Bytes>({Sum("ST")}));
}

TEST_F(Type11, ForeignReceiveMessagesAreIgnored) {
    CRelvanDlg& main = StartRunning();
    // Another process posts or sends the byte message: an ETX there would make
    // the next reply's first byte its checksum.
    for (WPARAM wParam : {WPARAM{0x03}, WPARAM{0}, WPARAM{1}, WPARAM{2}}) {
        main.PostMessage(WM_PORT_CHAR, wParam, 2);
        main.SendMessage(WM_PORT_CHAR, wParam, 2);
    }
    Advance(1);
    EXPECT_TRUE(main.m_strRxBuf.empty());
    ReceiveBytes({0x4B, 0x56, 0x37, 0x30, 0x20, 0x4D, 0x41, 0x31, 0x30, 0x30, 0x03, 0x4A});
    EXPECT_EQ(HostItems(), (Items{{0, "70"}, {1, "100"}}));
}

TEST_F(Type11, PollCycleRunsStRsRrWhileSilentAndPausesForAReply) {
    StartRunning();
    ReceiveBytes(Sum("KV70"));
    // Silent generator: a poll every 200 ms (plus the 10 ms pause after each send).
    Advance(200);
    Advance(210);
    Advance(210);
    Advance(210);
    EXPECT_EQ(Writes(), std::vector<Bytes>({Sum("ST"), Sum("RS"), Sum("RR"), Sum("ST")}));
    // A reply byte stops the poll; the step that was due follows 200 ms after the reply.
    ClearWritten(kPort);
    ReceiveBytes(BytesOf("KV"));
    Advance(1000);
    EXPECT_TRUE(Writes().empty());
    ReceiveBytes({'7', 0x03, static_cast<std::uint8_t>(Sum("KV7").back())});
    Advance(200);
    EXPECT_EQ(Writes(), std::vector<Bytes>({Sum("RS")}));
}

TEST_F(Type11, PrAndXrAreAnsweredToTheGeneratorAndNotForwarded) {
    const struct {
        const char* reply;
        std::vector<Bytes> answered;
    } cases[] = {
        {"PR1", {{0x50, 0x52, 0x31, 0x03, 0xD6}}},
        {"PR0", {Sum("PR0")}},
        {"pr2", {}}, // SplitReplyItem finds codes in upper case only
        {"PR3", {}},
        {"XR0", {Sum("XR0")}},
        {"XR1", {Sum("XR1")}},
        {"XR2", {}},
        {"PR1 XR0", {Sum("PR1"), Sum("XR0")}}, // both answers, in order
    };
    StartRunning();
    for (const auto& c : cases) {
        ClearWritten(kPort);
        ReceiveBytes(Sum(c.reply));
        sim::World::Get().Settle();
        EXPECT_EQ(Writes(), c.answered) << c.reply;
    }
    EXPECT_TRUE(HostItems().empty());
}

TEST_F(Type11, ItemSplittingCases) {
    const struct {
        std::string reply;
        Items host;
    } cases[] = {
        {"FLDMA", {{1, "FLD"}}},                   // the code with the lower index wins
        {"  KV70 MA100", {{0, "70"}, {1, "100"}}}, // leading blanks removed
        {"KV70  MA100", {{0, "70"}}},              // an empty piece ends the items
        {"KV_", {{0, "_"}}},                       // its checksum byte equals ETX
        {"QQ9 KV1", {{0, "1"}}},                   // an item without a known code is dropped
    };
    ASSERT_EQ(Sum("KV_").back(), 0x03);
    StartRunning();
    for (const auto& c : cases) {
        ClearHost();
        ReceiveBytes(Sum(c.reply));
        EXPECT_EQ(HostItems(), c.host) << c.reply;
    }
}

TEST_F(Type11, WrongChecksumIsLoggedAndDroppedAndPollingGoesOn) {
    StartRunning();
    ReceiveBytes({'K', 'V', '7', 0x03, 0x00});
    EXPECT_TRUE(HostItems().empty());
    EXPECT_TRUE(LogHas("F : KV7\x03 "));
    Advance(200);
    EXPECT_EQ(Writes(), std::vector<Bytes>({Sum("ST")}));
    // The parser starts afresh: the next good reply gets through.
    ReceiveBytes(Sum("MA5"));
    EXPECT_EQ(HostItems(), (Items{{1, "5"}}));
}

TEST_F(Type11, NakBytesAreIgnoredAndDoNotStopThePoll) {
    StartRunning();
    ReceiveBytes(Sum("KV70"));
    ReceiveBytes({0x15, 0x15});
    Advance(200);
    EXPECT_EQ(Writes(), std::vector<Bytes>({Sum("ST")}));
    Bytes reply = Sum("KV71");
    reply.insert(reply.begin() + 2, 0x15);
    ReceiveBytes(reply);
    EXPECT_EQ(HostItems().back(), std::make_pair(0, std::string("71")));
}

TEST_F(Type11, AReplyWhoseChecksumIsNakStillGetsThrough) {
    StartRunning();
    ASSERT_EQ(Sum("KV89").back(), 0x15);
    ReceiveBytes(Sum("KV89"));
    EXPECT_EQ(HostItems(), (Items{{0, "89"}}));
}

TEST_F(Type11, HostCommandsExceptThePollTextsGoToTheGenerator) {
    StartRunning();
    for (const char* text : {"ST", "RS", "RR", "ST1", "KV80"}) {
        SendCommand(text);
        sim::World::Get().Settle();
    }
    EXPECT_EQ(Writes(), std::vector<Bytes>({Sum("ST1"), Sum("KV80")}));
}

TEST_F(Type11, CommandTooLongForTheFrameIsRefusedWithALogLine) {
    StartRunning();
    SendCommand(std::string(98, 'K'));
    sim::World::Get().Settle();
    EXPECT_TRUE(Writes().empty());
    EXPECT_TRUE(LogHas("Command too long: KKK"));
    SendCommand(std::string(97, 'K'));
    sim::World::Get().Settle();
    EXPECT_EQ(Writes(), std::vector<Bytes>({Sum(std::string(97, 'K'))}));
}

TEST_F(Type11, EndlessNoiseKeepsTheReceiveBufferBounded) {
    CRelvanDlg& main = StartRunning();
    ReceiveBytes(Bytes(5000, 'x'));
    EXPECT_LE(main.m_strRxBuf.size(), 1024u);
    EXPECT_TRUE(LogHas("Reply too long, 1024 bytes dropped"));
    // The noise before the next reply spoils its checksum; the one after is good.
    ReceiveBytes(Sum("KV1"));
    ReceiveBytes(Sum("KV2"));
    EXPECT_EQ(HostItems(), (Items{{0, "2"}}));
}

TEST_F(Type11, AReplyThatStopsComingIsDroppedAfterASecondAndPollingGoesOn) {
    StartRunning();
    ReceiveBytes(BytesOf("K")); // a stray byte stops the poll
    Advance(900);
    ReceiveBytes({'V', '7', 0x03}); // more of it, then no checksum
    Advance(999);
    EXPECT_TRUE(Writes().empty());
    Advance(1);
    EXPECT_TRUE(LogHas("Incomplete reply dropped: KV7\x03"));
    Advance(200);
    EXPECT_EQ(Writes(), std::vector<Bytes>({Sum("ST")}));
    ReceiveBytes(Sum("KV70")); // the parser starts afresh
    EXPECT_EQ(HostItems(), (Items{{0, "70"}}));
    Advance(1000);
    EXPECT_FALSE(LogHas("Incomplete reply dropped: KV70")) << "a complete reply ends the wait";
}
