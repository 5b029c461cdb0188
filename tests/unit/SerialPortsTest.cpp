// Both port classes on the simulated face: opening, delivery to the owner,
// the write queue as the watch thread sees it, and the error box.
#include "platform/Messages.h"
#include "platform/System.h"
#include "platform/sim/SimWorld.h"
#include "serial/ControlDeskPort.h"
#include "serial/LinkPort.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

using Bytes = std::vector<std::uint8_t>;

// An owner window that records the port messages it receives and the bytes it
// takes from the port by each message's number.
class RecordingDialog : public CDialog {
public:
    struct Seen {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        Bytes block;     // the bytes taken
        bool takenAgain; // a second take by the same number gave something
        Bytes rxBlock;   // the first lParam bytes of g_rxBlock, for WM_LINK_DATA
    };

    RecordingDialog() : CDialog(102) { Create(nullptr); }

    bool WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message != WM_PORT_CHAR && message != WM_LINK_DATA) {
            return CDialog::WindowProc(message, wParam, lParam, result);
        }
        Seen seen{message, wParam, lParam, {}, false, {}};
        Bytes again;
        if (take_ && take_(wParam, seen.block)) {
            seen.takenAgain = take_(wParam, again);
        }
        if (message == WM_LINK_DATA) {
            seen.rxBlock.assign(g_rxBlock, g_rxBlock + lParam);
        }
        seen_.push_back(seen);
        if (message == WM_PORT_CHAR && onByte_) {
            onByte_();
        }
        result = 0;
        return true;
    }

    std::vector<Seen> seen_;
    std::function<bool(WPARAM, Bytes&)> take_; // the port's TakeReceived
    std::function<void()> onByte_;             // runs inside each WM_PORT_CHAR
};

// A fresh world, made before the owner window registers in it.
struct FreshWorld {
    FreshWorld() { sim::World::Get().Reset(); }
};

class SerialPorts : public ::testing::Test {
protected:
    FreshWorld fresh;
    sim::World& world = sim::World::Get();
    RecordingDialog owner;
};

class ControlDeskPortTest : public SerialPorts {
protected:
    static constexpr const char* kDevice = "COM2";

    int OpenPort(unsigned writeBufferSize = 100) {
        return port.Open(&owner, 2, 19200, 'N', 8, 2, EV_RXCHAR, writeBufferSize);
    }
    void OpenAndWatch() {
        owner.take_ = [this](WPARAM number, Bytes& bytes) {
            return port.TakeReceived(number, bytes);
        };
        world.Serial(kDevice);
        ASSERT_EQ(OpenPort(), 1);
        ASSERT_EQ(port.StartWatch(), 1);
    }

    CControlDeskPort port;
};

TEST_F(ControlDeskPortTest, OpensOnlyAPresentDeviceAndAppliesTheMode) {
    EXPECT_EQ(OpenPort(), 0) << "a device never set up is absent";
    world.Serial(kDevice).present = false;
    EXPECT_EQ(OpenPort(), 0);
    EXPECT_FALSE(world.Serial(kDevice).open);
    EXPECT_EQ(port.StartWatch(), 0) << "no watch on a port that is not open";

    world.Serial(kDevice).present = true;
    EXPECT_EQ(OpenPort(), 1);
    EXPECT_TRUE(world.Serial(kDevice).open);
    EXPECT_EQ(world.Serial(kDevice).mode, "baud=19200 parity=N data=8 stop=2");
    EXPECT_TRUE(world.MessageBoxes().empty());

    CControlDeskPort high;
    world.Serial("\\\\.\\COM7");
    EXPECT_EQ(high.Open(&owner, 7, 57600, 'N', 8, 1, EV_RXCHAR, 100), 1);
    EXPECT_TRUE(world.Serial("\\\\.\\COM7").open);
}

TEST_F(ControlDeskPortTest, RefusedTimeoutsShowOneBoxAndStillOpen) {
    world.Serial(kDevice).refuseTimeouts = true;
    EXPECT_EQ(OpenPort(), 1);
    ASSERT_EQ(world.MessageBoxes().size(), 1u);
    const sim::MessageBoxSeen& box = world.MessageBoxes()[0];
    EXPECT_EQ(box.text, "WARNING:  SetCommTimeouts() Failed with the following error: \n"
                        "The parameter is incorrect.\nPort: 2\n");
    EXPECT_EQ(box.caption, "Application Error");
    EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONSTOP));
    EXPECT_EQ(world.Serial(kDevice).mode, "") << "the later configuration steps are skipped";
}

TEST_F(ControlDeskPortTest, ErrorBoxTextIsCutToItsBuffer) {
    CControlDeskPort::ShowPortError("ReadFile()", 1117, std::string(300, 'x'), 3);
    CControlDeskPort::ShowPortError("WriteFile()", 1234, "", 12);
    ASSERT_EQ(world.MessageBoxes().size(), 2u);
    const std::string& cut = world.MessageBoxes()[0].text;
    const std::string head = "WARNING:  ReadFile() Failed with the following error: \n";
    EXPECT_EQ(cut.size(), 199u);
    EXPECT_EQ(cut, head + std::string(199 - head.size(), 'x'));
    EXPECT_EQ(
        world.MessageBoxes()[1].text,
        "WARNING:  WriteFile() Failed with the following error: \nError code 1234\nPort: 12\n");
}

TEST_F(ControlDeskPortTest, FramesQueuedWhileAByteIsDeliveredGoOutAfterItInOrder) {
    OpenAndWatch();
    // The watch thread waits inside its WM_PORT_CHAR: a pause of the owner
    // there cannot let it write.
    std::size_t writtenDuringDelivery = 0;
    owner.onByte_ = [&] {
        EXPECT_EQ(port.QueueSumFrame("PR1"), QueueResult::Queued);
        platform::Pause(10);
        EXPECT_EQ(port.QueueSumFrame("XR0"), QueueResult::Queued);
        platform::Pause(10);
        writtenDuringDelivery += world.Serial(kDevice).writes.size();
    };
    world.Receive(kDevice, {0x41});
    EXPECT_EQ(writtenDuringDelivery, 0u);
    EXPECT_EQ(world.Serial(kDevice).writes,
              (std::vector<Bytes>{{0x50, 0x52, 0x31, 0x03, 0xD6}, {0x58, 0x52, 0x30, 0x03, 0xDD}}));
    world.Settle();
    EXPECT_EQ(world.Serial(kDevice).writes.size(), 2u) << "a frame is written once";
}

TEST_F(ControlDeskPortTest, QueuedFramesWaitForTheWatchAndGoOutUnchanged) {
    world.Serial(kDevice);
    ASSERT_EQ(OpenPort(), 1);
    const std::uint8_t startup[] = {0x01, 0x35, 0x00, 0x01, 0x01, 0x38};
    EXPECT_EQ(port.QueueBytes(startup, 6), QueueResult::Queued);
    world.Settle();
    EXPECT_TRUE(world.Written(kDevice).empty()) << "no watch thread yet";
    port.StartWatch();
    world.Settle();
    EXPECT_EQ(world.Written(kDevice), Bytes(startup, startup + 6));

    world.ClearWritten(kDevice);
    EXPECT_EQ(port.QueueAck(), QueueResult::Queued);
    world.Settle();
    EXPECT_EQ(world.Written(kDevice), (Bytes{0x06, 0x03}));
}

TEST_F(ControlDeskPortTest, FramesThatDoNotFitTheBufferAreRefusedWhole) {
    OpenAndWatch();
    const std::uint8_t raw[100] = {};
    struct Case {
        const char* name;
        std::function<QueueResult()> queue;
        std::size_t written; // 0: refused
    };
    const Case cases[] = {
        {"sum 97", [&] { return port.QueueSumFrame(std::string(97, 'a')); }, 99},
        {"sum 98", [&] { return port.QueueSumFrame(std::string(98, 'a')); }, 0},
        {"hex 95", [&] { return port.QueueHexFrame(std::string(95, 'a')); }, 99},
        {"hex 96", [&] { return port.QueueHexFrame(std::string(96, 'a')); }, 0},
        {"bytes 99", [&] { return port.QueueBytes(raw, 99); }, 99},
        {"bytes 100", [&] { return port.QueueBytes(raw, 100); }, 0},
        {"null bytes", [&] { return port.QueueBytes(nullptr, 4); }, 0},
    };
    for (const Case& c : cases) {
        world.ClearWritten(kDevice);
        EXPECT_EQ(c.queue(), c.written > 0 ? QueueResult::Queued : QueueResult::TooLong) << c.name;
        world.Settle();
        EXPECT_EQ(world.Written(kDevice).size(), c.written) << c.name;
    }
}

TEST_F(ControlDeskPortTest, QueueingWithoutAnOpenPortIsRefused) {
    EXPECT_EQ(port.QueueSumFrame("ST"), QueueResult::NotOpen) << "before Open";
    EXPECT_EQ(OpenPort(), 0);
    EXPECT_EQ(port.QueueAck(), QueueResult::NotOpen);
    world.Settle();
    EXPECT_TRUE(world.Written(kDevice).empty());
}

TEST_F(ControlDeskPortTest, DeliversEachReadWholeInOrderIncludingZeroToBeTakenOnce) {
    OpenAndWatch();
    Bytes burst(300);
    for (std::size_t i = 0; i < burst.size(); ++i) {
        burst[i] = static_cast<std::uint8_t>(i * 7);
    }
    world.Receive(kDevice, {0x41, 0x00, 0xFF});
    world.Receive(kDevice, {0x03});
    world.Receive(kDevice, burst); // more than one read holds
    const std::vector<Bytes> expected = {{0x41, 0x00, 0xFF},
                                         {0x03},
                                         Bytes(burst.begin(), burst.begin() + 256),
                                         Bytes(burst.begin() + 256, burst.end())};
    ASSERT_EQ(owner.seen_.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(owner.seen_[i].message, WM_PORT_CHAR);
        EXPECT_EQ(owner.seen_[i].block, expected[i]);
        EXPECT_FALSE(owner.seen_[i].takenAgain);
        EXPECT_EQ(owner.seen_[i].lParam, 2);
    }
    // Numbers that are not on offer give nothing: those already taken, and
    // any a foreign message could carry.
    Bytes bytes;
    for (const WPARAM number : {owner.seen_[0].wParam, owner.seen_[1].wParam, WPARAM{0}}) {
        EXPECT_FALSE(port.TakeReceived(number, bytes));
        EXPECT_TRUE(bytes.empty());
    }
}

TEST_F(ControlDeskPortTest, BytesBeforeTheWatchStartsAreNotDelivered) {
    world.Serial(kDevice);
    ASSERT_EQ(OpenPort(), 1);
    world.Receive(kDevice, {0x41});
    EXPECT_TRUE(owner.seen_.empty());
}

TEST_F(ControlDeskPortTest, FailedReadsDeliverNothingAndShowOneBox) {
    OpenAndWatch();
    world.Serial(kDevice).failReads = true;
    world.Receive(kDevice, {0x41, 0x42});
    EXPECT_TRUE(owner.seen_.empty());
    ASSERT_EQ(world.MessageBoxes().size(), 1u);
    EXPECT_EQ(world.MessageBoxes()[0].text.rfind("WARNING:  ReadFile() Failed", 0), 0u);
    EXPECT_TRUE(world.MessageBoxes()[0].aside) << "the watch thread does not wait for the box";
    EXPECT_TRUE(port.IsWatchAlive());

    // A device whose reads keep failing is given up, still with one box, and
    // frames are refused from then on, not queued for nobody.
    world.Receive(kDevice, Bytes(10, 0x43));
    EXPECT_FALSE(port.IsWatchAlive());
    EXPECT_TRUE(port.DeviceLost());
    EXPECT_EQ(port.QueueAck(), QueueResult::NotOpen);
    EXPECT_EQ(world.MessageBoxes().size(), 1u);
    world.Serial(kDevice).failReads = false;
    world.Receive(kDevice, {0x44});
    EXPECT_TRUE(owner.seen_.empty());
}

TEST_F(ControlDeskPortTest, LineErrorsAreClearedAndTheBytesStillArrive) {
    OpenAndWatch();
    world.Serial(kDevice).lineErrors = 3;
    world.Receive(kDevice, {0x41, 0x42});
    world.Serial(kDevice).lineErrors = 1;
    world.Receive(kDevice, {0x43});
    ASSERT_EQ(owner.seen_.size(), 2u);
    EXPECT_EQ(owner.seen_[0].block, (Bytes{0x41, 0x42}));
    EXPECT_EQ(owner.seen_[1].block, (Bytes{0x43}));
    EXPECT_EQ(world.Serial(kDevice).lineErrorsCleared, 4u);
    EXPECT_TRUE(port.IsWatchAlive()) << "a framing error does not give the port up";
    EXPECT_TRUE(world.MessageBoxes().empty());
}

TEST_F(ControlDeskPortTest, ClosedOrDestroyedPortLeavesNoCallbacks) {
    OpenAndWatch();
    port.Close();
    EXPECT_FALSE(port.IsWatchAlive());
    EXPECT_FALSE(world.Serial(kDevice).open);
    EXPECT_FALSE(world.Serial(kDevice).receive);
    EXPECT_FALSE(world.Serial(kDevice).flushWrites);

    auto other = std::make_unique<CControlDeskPort>();
    ASSERT_EQ(other->Open(&owner, 2, 19200, 'N', 8, 2, EV_RXCHAR, 100), 1);
    other->StartWatch();
    other.reset();
    EXPECT_FALSE(world.Serial(kDevice).receive);
    EXPECT_FALSE(world.Serial(kDevice).flushWrites);
    world.Receive(kDevice, {0x41});
    world.Settle();
}

class LinkPortTest : public SerialPorts {
protected:
    static constexpr const char* kDevice = "\\\\.\\COM5";

    void OpenLink() {
        owner.take_ = [this](WPARAM number, Bytes& bytes) {
            return port.TakeReceived(number, bytes);
        };
        world.Serial(kDevice);
        ASSERT_EQ(port.Open(&owner, kDevice, 38400, 0), 1);
    }

    CLinkPort port;
};

TEST_F(LinkPortTest, OpensOnlyAPresentDeviceWithAUsableBaud) {
    EXPECT_EQ(port.Open(&owner, kDevice, 38400, 0), 0) << "never set up";
    EXPECT_EQ(port.Open(&owner, "", 38400, 0), 0) << "port number out of range";
    world.Serial(kDevice).present = false;
    EXPECT_EQ(port.Open(&owner, kDevice, 38400, 0), 0);
    world.Serial(kDevice).present = true;
    EXPECT_EQ(port.Open(&owner, kDevice, 0, 0), 0) << "baud 0";
    EXPECT_FALSE(world.Serial(kDevice).open);
    EXPECT_EQ(port.Open(&owner, kDevice, 38400, 0), 1);
    EXPECT_TRUE(world.Serial(kDevice).open);
    EXPECT_EQ(world.Serial(kDevice).baud, 38400u);
}

TEST_F(LinkPortTest, SendsFramesAtOnce) {
    EXPECT_EQ(port.SendFrame('A', "abc"), 0) << "not open";
    OpenLink();
    EXPECT_EQ(port.SendFrame('A', "abc"), 10);
    EXPECT_EQ(port.SendAckFrame(), 7);
    EXPECT_EQ(port.SendFrame('C', std::string(98, 'x')), 0) << "too long for the body";
    ASSERT_EQ(world.Serial(kDevice).writes.size(), 2u);
    EXPECT_EQ(world.Serial(kDevice).writes[0],
              (Bytes{0x16, 0x16, 0x16, 0x02, 0x41, 0x61, 0x62, 0x63, 0x03, 0x22}));
    EXPECT_EQ(world.Serial(kDevice).writes[1], (Bytes{0x16, 0x16, 0x16, 0x02, 0x06, 0x03, 0x05}));

    EXPECT_FALSE(port.DeviceLost());
    world.Lose(kDevice, 1167);
    EXPECT_TRUE(port.DeviceLost());
    EXPECT_EQ(port.SendAckFrame(), 0) << "a lost device";
    EXPECT_EQ(world.Serial(kDevice).writes.size(), 2u);
}

TEST_F(LinkPortTest, BlocksReachTheOwnerWholeUpTo4096Bytes) {
    OpenLink();
    struct Case {
        std::size_t size;
        std::vector<LPARAM> counts;
    };
    const Case cases[] = {
        {1, {1}}, {256, {256}}, {4096, {4096}}, {4097, {4096, 1}}, {9000, {4096, 4096, 808}}};
    for (const Case& c : cases) {
        owner.seen_.clear();
        Bytes block(c.size);
        for (std::size_t i = 0; i < c.size; ++i) {
            block[i] = static_cast<std::uint8_t>(i * 7);
        }
        world.Receive(kDevice, block);
        ASSERT_EQ(owner.seen_.size(), c.counts.size()) << c.size;
        Bytes joined;
        for (std::size_t i = 0; i < c.counts.size(); ++i) {
            EXPECT_EQ(owner.seen_[i].message, WM_LINK_DATA);
            EXPECT_EQ(owner.seen_[i].lParam, c.counts[i]) << c.size;
            EXPECT_EQ(owner.seen_[i].block, owner.seen_[i].rxBlock) << c.size;
            EXPECT_FALSE(owner.seen_[i].takenAgain) << c.size;
            joined.insert(joined.end(), owner.seen_[i].block.begin(), owner.seen_[i].block.end());
        }
        EXPECT_EQ(joined, block) << c.size;
    }
}

TEST_F(LinkPortTest, ShortBlockFollowsALongOneOnACleanBuffer) {
    OpenLink();
    world.Receive(kDevice, Bytes(300, 0x55));
    world.Receive(kDevice, {0x41, 0x42});
    EXPECT_EQ(owner.seen_.back().lParam, 2);
    EXPECT_EQ(g_rxBlock[2], 0) << "the rest of g_rxBlock is cleared";
}

TEST_F(LinkPortTest, FailedReadsDeliverNothing) {
    OpenLink();
    world.Serial(kDevice).failReads = true;
    world.Receive(kDevice, {0x41});
    EXPECT_TRUE(owner.seen_.empty());
    EXPECT_TRUE(world.MessageBoxes().empty()) << "link port failures are not reported";
}

TEST_F(LinkPortTest, LineErrorsAreClearedAndTheBlockStillArrives) {
    OpenLink();
    world.Serial(kDevice).lineErrors = 2;
    world.Receive(kDevice, {0x41, 0x42});
    ASSERT_EQ(owner.seen_.size(), 1u);
    EXPECT_EQ(owner.seen_[0].block, (Bytes{0x41, 0x42}));
    EXPECT_EQ(world.Serial(kDevice).lineErrorsCleared, 2u);
}

TEST_F(LinkPortTest, ClosedOrDestroyedPortLeavesNoCallbacks) {
    OpenLink();
    port.Close();
    EXPECT_FALSE(world.Serial(kDevice).open);
    EXPECT_FALSE(world.Serial(kDevice).receive);
    EXPECT_EQ(port.SendAckFrame(), 0);

    auto other = std::make_unique<CLinkPort>();
    ASSERT_EQ(other->Open(&owner, kDevice, 38400, 0), 1);
    other.reset();
    EXPECT_FALSE(world.Serial(kDevice).receive);
    world.Receive(kDevice, {0x41});
    EXPECT_TRUE(owner.seen_.empty());
}

} // namespace
