// Generator type 13 on the virtual clock: hex frames, checksum check and ACK,
// the A1C1/A1CB/A1CD poll paced by replies, the 5 s link timeout, and the
// host's suspend and resume.
#include "BridgeFixture.h"

#include "serial/ControlDeskPort.h"

namespace {

using Items = std::vector<std::pair<int, std::string>>;

Bytes Hex(const std::string& text) {
    return HexFrame(text);
}
const Bytes kAck{0x06, 0x03};

} // namespace

class Type13 : public GeneratorFixture {
protected:
    // Started, "BD1A" written 250 ms after start.
    CRelvanDlg& StartWithBd1a() {
        CRelvanDlg& main = StartType(13);
        Advance(249);
        EXPECT_TRUE(Writes().empty());
        Advance(1);
        EXPECT_EQ(Writes(), std::vector<Bytes>({{0x02, 0x42, 0x44, 0x31, 0x41, 0x30, 0x35, 0x03}}));
        ClearWritten(kPort);
        return main;
    }
    // A reply arrives; the ACK is written and the time moves on by `ms`.
    void Reply(const std::string& text, std::uint64_t ms) {
        ReceiveBytes(Hex(text));
        Advance(ms);
    }
};

TEST_F(Type13, PollCycleRunsOneRequestPerReply250msAfterIt) {
    StartWithBd1a();
    Advance(510); // 500 ms after BD1A (and its 10 ms pause)
    EXPECT_EQ(Writes(), std::vector<Bytes>({Hex("A1C1")}));
    ClearWritten(kPort);
    Reply("S1", 249);
    EXPECT_EQ(Writes(), std::vector<Bytes>({kAck}));
    Advance(1);
    Reply("S2", 250);
    Reply("S3", 250);
    EXPECT_EQ(Writes(),
              std::vector<Bytes>({kAck, Hex("A1CB"), kAck, Hex("A1CD"), kAck, Hex("A1C1")}));
    EXPECT_EQ(HostItems(), (Items{{0, "S1"}, {0, "S2"}, {0, "S3"}}));
    // A silent generator stops the cycle.
    ClearWritten(kPort);
    Advance(3000);
    EXPECT_TRUE(Writes().empty());
}

TEST_F(Type13, RepliesFailingTheChecksumAreDroppedWithoutAnswer) {
    const struct {
        const char* name;
        Bytes reply;
    } cases[] = {
        {"wrong digits", {0x02, 'S', '1', '0', '0', 0x03}},
        {"lower-case digits",
         [] {
             Bytes b = Hex("S?");
             b[b.size() - 3] = static_cast<std::uint8_t>(std::tolower(b[b.size() - 3]));
             b[b.size() - 2] = static_cast<std::uint8_t>(std::tolower(b[b.size() - 2]));
             return b;
         }()},
        {"one character", {0x02, '7', 0x03}},
        {"no characters", {0x03}},
        {"stray ACK before STX",
         [] {
             Bytes b = Hex("S1");
             b.insert(b.begin(), 0x06);
             return b;
         }()},
    };
    ASSERT_NE(Hex("S?")[4], std::tolower(Hex("S?")[4])); // the checksum holds a letter
    StartWithBd1a();
    for (const auto& c : cases) {
        ClearWritten(kPort);
        ReceiveBytes(c.reply);
        Advance(250); // the next poll follows anyway
        EXPECT_EQ(Writes(), std::vector<Bytes>({Hex("A1C1")})) << c.name;
        dlg->m_nStep = 0; // each case expects A1C1
    }
    EXPECT_TRUE(HostItems().empty());
}

TEST_F(Type13, LinkIsMarkedDownFiveSecondsAfterASendWithoutAnyByte) {
    CRelvanDlg& main = StartWithBd1a();
    Advance(510); // A1C1 sent
    ASSERT_EQ(main.m_bConnected, 1);
    Advance(4999);
    EXPECT_EQ(main.m_bConnected, 1);
    // Any byte, even a NAK, counts as a sign of life.
    ReceiveBytes({0x15});
    Advance(4999);
    EXPECT_EQ(main.m_bConnected, 1);
    SendCommand("A1XX");
    Advance(5000);
    EXPECT_EQ(main.m_bConnected, 0);
}

TEST_F(Type13, HostSuspendStopsPollingAndResumeResendsRememberedCommands) {
    CRelvanDlg& main = StartWithBd1a();
    SendCommand("A1D0K80");
    SendCommand("A1C0M10");
    SendCommand("A1D0K90"); // the later one is remembered
    EXPECT_EQ(main.m_strLastD0, "A1D0K90");
    EXPECT_EQ(main.m_strLastC0, "A1C0M10");
    SendCommand("", 1011);
    EXPECT_EQ(main.m_bPollSuspended, 1);
    EXPECT_TRUE(sim::World::Get().HasTimer(main.GetSafeHwnd(), kTimerPoll13)); // timers untouched
    ClearWritten(kPort);
    Reply("S1", 1000); // the re-armed poll fires and sends nothing
    EXPECT_EQ(Writes(), std::vector<Bytes>({kAck}));

    ClearWritten(kPort);
    SendCommand("", 1005);
    EXPECT_EQ(main.m_bPollSuspended, 0);
    // Both resends go out, in order.
    EXPECT_EQ(Writes(), std::vector<Bytes>({Hex("A1D0K90"), Hex("A1C0M10")}));
    Advance(240);
    Advance(10);
    EXPECT_EQ(Writes().back(), Hex("A1C1"));
}

TEST_F(Type13, ResumeWithoutRememberedCommandsOnlyRestartsPolling) {
    StartWithBd1a();
    SendCommand("", 1011);
    SendCommand("", 2000);
    sim::World::Get().Settle();
    EXPECT_TRUE(Writes().empty());
    Advance(250);
    EXPECT_EQ(Writes(), std::vector<Bytes>({Hex("A1C1")}));
}

TEST_F(Type13, EndlessNoiseKeepsTheReceiveBufferBounded) {
    CRelvanDlg& main = StartWithBd1a();
    ReceiveBytes(Bytes(3000, 'x'));
    EXPECT_LE(main.m_strRxBuf.size(), 1024u);
    EXPECT_TRUE(LogHas("Reply too long"));
    ReceiveBytes(Hex("S1")); // spoilt by the noise in front of it
    ReceiveBytes(Hex("S2"));
    EXPECT_EQ(HostItems(), (Items{{0, "S2"}}));
}

TEST_F(Type13, ACommandTheFullPortRefusesIsLoggedAndNotRemembered) {
    CRelvanDlg& main = StartWithBd1a();
    // Frames queued in one go, with no chance for the watch thread to write.
    for (std::size_t i = 0; i < WriteQueue::kDepth; ++i) {
        ASSERT_EQ(main.m_pPort->QueueAck(), QueueResult::Queued);
    }
    SendCommand("A1D0K80");
    EXPECT_TRUE(LogHas("Port busy, command dropped: A1D0K80"));
    EXPECT_EQ(main.m_strLastD0, "");
    sim::World::Get().Settle();
    EXPECT_EQ(Writes(), std::vector<Bytes>(WriteQueue::kDepth, kAck));
}

TEST_F(Type13, PollingGoesOnFiveSecondsAfterTheLastSignOfLife) {
    CRelvanDlg& main = StartWithBd1a();
    Advance(510);
    ASSERT_EQ(Writes(), std::vector<Bytes>({Hex("A1C1")})); // never answered
    Advance(5000);
    EXPECT_EQ(main.m_bConnected, 0);
    Advance(250);
    EXPECT_EQ(Writes().back(), Hex("A1CB")) << "the cycle goes on with the next step";

    // A NAK or a reply that never ends puts the next poll off, but not for good.
    ClearWritten(kPort);
    Advance(4000);
    ReceiveBytes({0x15});
    Advance(4000);
    ReceiveBytes({0x02, 'S'});
    Advance(4999);
    EXPECT_TRUE(Writes().empty());
    Advance(1);
    EXPECT_TRUE(LogHas("Incomplete reply dropped: \x02S"));
    Advance(250);
    EXPECT_EQ(Writes(), std::vector<Bytes>({Hex("A1CD")}));

    // While the host has polling suspended, the time-out sends nothing.
    SendCommand("", 1011);
    ClearWritten(kPort);
    Advance(20000);
    EXPECT_TRUE(Writes().empty());
}
