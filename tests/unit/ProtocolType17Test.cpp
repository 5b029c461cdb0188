// Generator type 17 on the virtual clock: console and mini-console framing,
// ACK and NAK, the R handshake, the V echo, line-ended and Error replies, and
// frames split across blocks at every offset.
#include "BridgeFixture.h"

#include "platform/Messages.h"

#include "serial/LinkPort.h"

namespace {

using Items = std::vector<std::pair<int, std::string>>;
using Texts = std::vector<std::string>;

std::string Frame17(char prefix, const std::string& text) {
    const Bytes frame = LinkFrame(prefix, text);
    return std::string(frame.begin(), frame.end());
}
const std::string kAckFrame("\x16\x16\x16\x02\x06\x03\x05", 7);
const std::string kNakFrame = [] {
    std::string frame("\x16\x16\x16\x02\x15\x03", 6);
    frame += static_cast<char>(0x15 ^ 0x03);
    return frame;
}();

const char* const kConsole = "EnableDebug=1\r\nUseMiniConsole=0\r\n";
const char* const kMini = "EnableDebug=1\r\nUseMiniConsole=1\r\n";

} // namespace

class Type17 : public GeneratorFixture {};

TEST_F(Type17, ConsoleDataFrameIsAcknowledgedAndForwardedWithoutItsPrefix) {
    StartType(17, kConsole);
    ReceiveText(Frame17('A', "KV70"));
    EXPECT_EQ(LinkBodies(), Texts({"\x06"}));
    EXPECT_EQ(Writes().back(), BytesOf(kAckFrame));
    ReceiveText(Frame17('A', "AAMA100")); // every leading A goes
    EXPECT_EQ(HostItems(), (Items{{0, "KV70"}, {0, "MA100"}}));
}

TEST_F(Type17, AckIsOnlyLoggedAndEveryNakResendsTheLastCommand) {
    StartType(17, kConsole);
    SendCommand("KV80");
    ReceiveText(kAckFrame);
    EXPECT_TRUE(LogHas("Received ACK"));
    ReceiveText(kNakFrame + kNakFrame);
    EXPECT_TRUE(LogHas("Received NAK"));
    EXPECT_EQ(LinkBodies(), Texts({"AKV80", "AKV80", "AKV80"}));
    EXPECT_TRUE(HostItems().empty());
}

TEST_F(Type17, MiniConsoleSendsRAtStartAndEvery500msUntilAReply) {
    CRelvanDlg& main = StartType(17, kMini);
    EXPECT_EQ(LinkCommands(), Texts({"CR"}));
    EXPECT_EQ(sim::World::Get().TimerRemaining(main.GetSafeHwnd(), kTimerReconnect17), 10000);
    Advance(9999);
    EXPECT_EQ(LinkCommands().size(), 1u);
    Advance(1);
    EXPECT_EQ(main.m_bConnected, 0);
    EXPECT_TRUE(LogHas("E : RECON 1, 1."));
    Advance(510);
    Advance(510);
    EXPECT_EQ(LinkCommands(), Texts({"CR", "CR", "CR", "CR"}));
    // A data frame ends the reconnect cycle.
    ReceiveText(Frame17('C', "KV70"));
    EXPECT_EQ(main.m_bConnected, 1);
    EXPECT_EQ(main.m_bReconnect, 0);
    EXPECT_FALSE(sim::World::Get().HasTimer(main.GetSafeHwnd(), kTimerReconnect17));
    EXPECT_EQ(HostItems(), (Items{{0, "KV70"}}));
}

TEST_F(Type17, MiniConsoleKeepAliveCommandArmsTheReconnect) {
    CRelvanDlg& main = StartType(17, kMini);
    ReceiveText(Frame17('C', "OK"));
    SendCommand("TA28");
    EXPECT_EQ(main.m_bReconnect, 1);
    EXPECT_EQ(sim::World::Get().TimerRemaining(main.GetSafeHwnd(), kTimerReconnect17), 250 - 10);
}

TEST_F(Type17, ConsoleModeReconnectTimerOnlyLogs) {
    CRelvanDlg& main = StartType(17, kConsole);
    main.m_bConnected = 0;
    SendCommand("KV80"); // a send while the link is down arms timer 112
    Advance(250);
    EXPECT_TRUE(LogHas("E : RECON 1, 0."));
    EXPECT_EQ(LinkCommands(), Texts({"AKV80"}));
}

TEST_F(Type17, VersionRepliesAreEchoedInMiniConsoleMode) {
    const struct {
        const char* name;
        std::string device;
        DWORD hostCode; // 0: no host flag record
        std::string reply;
        Texts echoed;
    } cases[] = {
        {"V3", "", 0, "V3", {"CV3"}},
        {"CCV5", "", 0, "CV5", {"CV5"}},
        {"V letter", "", 0, "Vx", {"CV0"}},
        {"V alone", "", 0, "V", {"CV0"}},
        {"device 22 without flag", "Device=22\r\n", 0, "V3", {}},
        {"device 22 flag 1021", "Device=22\r\n", 1021, "V3", {"CV3"}},
        {"device 22 other code", "Device=22\r\n", 1022, "V3", {}},
    };
    for (const auto& c : cases) {
        StartType(17, kMini, c.device);
        if (c.hostCode != 0) {
            SendCommand("", c.hostCode);
        }
        ClearWritten(kPort);
        ReceiveText(Frame17('C', c.reply));
        EXPECT_EQ(LinkCommands(), c.echoed) << c.name;
        EXPECT_TRUE(HostItems().empty()) << c.name;
        dlg.reset();
        sim::World::Get().Reset();
    }
}

TEST_F(Type17, LineEndedAndErrorRepliesReachTheHost) {
    const struct {
        std::string block;
        std::string host;
    } cases[] = {
        {"Error 12\r\n", "DZ 12"},
        {"AKV70\r\n", "KV70"}, // CR LF stands for ETX and checksum
        {"\x16\x16\x16\x02"
         "AKV71\r\n\x03\x41",
         "KV71"}, // with ETX the CR LF just goes
    };
    StartType(17, kConsole);
    for (const auto& c : cases) {
        ClearHost();
        ClearWritten(kPort);
        ReceiveText(c.block);
        EXPECT_EQ(HostItems(), (Items{{0, c.host}})) << c.block;
        EXPECT_EQ(LinkBodies(), Texts({"\x06"})) << c.block;
    }
}

TEST_F(Type17, RepliesSplitAcrossBlocksAtEveryOffsetGiveTheSameResult) {
    // Frames, an ACK frame, a frame whose checksum byte is 0 followed by an
    // Error line, a line-ended reply, a frame whose checksum byte is CR
    // followed by a line that starts with LF, and a frame with a zero byte in
    // its text (left out of the text).
    const std::string crSum = Frame17('A', "O");
    ASSERT_EQ(crSum.back(), '\r');
    const std::string zeroSum = Frame17('A', "B");
    ASSERT_EQ(zeroSum.back(), '\0');
    const std::string zeroInText("\x16\x16\x16\x02"
                                 "AM\0S6\x03\x6A",
                                 11);
    const std::string stream = Frame17('A', "KV70") + kAckFrame + zeroSum + "Error 12\r\n" +
                               Frame17('A', "MA100") + "AKV71\r\n" + crSum + "\nAKV72\r\n" +
                               zeroInText + Frame17('A', "MS5");
    const Items host{{0, "KV70"}, {0, "B"},    {0, "DZ 12"}, {0, "MA100"}, {0, "KV71"},
                     {0, "O"},    {0, "KV72"}, {0, "MS6"},   {0, "MS5"}};
    StartType(17, kConsole);
    const auto expectWhole = [&](const std::string& how) {
        EXPECT_EQ(HostItems(), host) << how;
        EXPECT_EQ(LinkBodies(), Texts(host.size(), "\x06")) << how;
        ClearHost();
        ClearWritten(kPort);
    };
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        ReceiveText(stream.substr(0, cut));
        ReceiveText(stream.substr(cut));
        expectWhole("cut " + std::to_string(cut));
    }
    for (const char byte : stream) {
        ReceiveText(std::string(1, byte));
    }
    expectWhole("byte by byte");
}

TEST_F(Type17, ForeignLinkDataIsIgnored) {
    CRelvanDlg& main = StartType(17, kConsole);
    ReceiveText(Frame17('A', "KV70"));
    // g_rxBlock still holds the reply: another process's message cannot make
    // it handled again.
    for (WPARAM wParam : {WPARAM{0}, WPARAM{1}, WPARAM{2}, WPARAM{3}}) {
        main.PostMessage(WM_LINK_DATA, wParam, 10);
        EXPECT_EQ(main.SendMessage(WM_LINK_DATA, wParam, 10), 0);
    }
    Advance(1);
    EXPECT_EQ(HostItems(), (Items{{0, "KV70"}}));
    EXPECT_EQ(LinkBodies(), Texts({"\x06"}));
}

TEST_F(Type17, AChecksumEqualToEtxDoesNotSwallowTheNextFrame) {
    const std::string stream = Frame17('A', "BAB") + Frame17('A', "KV70");
    ASSERT_EQ(Frame17('A', "BAB").back(), 0x03);
    StartType(17, kConsole);
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        ClearHost();
        ReceiveText(stream.substr(0, cut));
        ReceiveText(stream.substr(cut));
        EXPECT_EQ(HostItems(), (Items{{0, "BAB"}, {0, "KV70"}})) << "cut " << cut;
    }
}

TEST_F(Type17, TextThatNeverEndsAFrameStaysBounded) {
    CRelvanDlg& main = StartType(17, kConsole);
    // The first byte past the bound drops everything kept before it.
    ReceiveText(std::string(kRxBlockSize, 'x'));
    ReceiveText(std::string(kRxBlockSize, 'x'));
    EXPECT_EQ(main.m_strRxBuf, std::string(kRxBlockSize, 'x'));
    EXPECT_TRUE(LogHas("Reply too long, 4096 bytes dropped"));
    ReceiveText(Frame17('A', "KV70"));
    EXPECT_EQ(HostItems().back(), std::make_pair(0, std::string("KV70")));
}

TEST_F(Type17, CommandTooLongForTheFrameIsRefusedWithALogLine) {
    CRelvanDlg& main = StartType(17, kConsole);
    SendCommand(std::string(97, 'K'));
    SendCommand(std::string(98, 'M'));
    EXPECT_EQ(LinkCommands(), Texts({"A" + std::string(97, 'K')}));
    EXPECT_TRUE(LogHas("Command too long: MMM"));
    EXPECT_EQ(main.m_strLastCmd, std::string(97, 'K'));
}
