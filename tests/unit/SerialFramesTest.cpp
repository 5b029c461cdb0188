// Frames, checksums, the write queue and the watch threads' failure policy.
#include "serial/ControlDeskPort.h"
#include "serial/Frames.h"
#include "serial/WatchHealth.h"
#include "serial/WriteQueue.h"

#include <gtest/gtest.h>

namespace {

struct FrameCase {
    const char* name;
    Frame built;
    Frame expected;
};

TEST(SerialFrames, BuildTheBytesOfTheProtocols) {
    const FrameCase cases[] = {
        {"sum abc", SumFrame("abc"), {0x61, 0x62, 0x63, 0x03, 0x29}},
        {"sum ST", SumFrame("ST"), {0x53, 0x54, 0x03, 0xAA}},
        {"sum PR1", SumFrame("PR1"), {0x50, 0x52, 0x31, 0x03, 0xD6}},
        {"sum with zero checksum", SumFrame("~\x7F"), {0x7E, 0x7F, 0x03, 0x00}},
        {"hex abc", HexFrame("abc"), {0x02, 0x61, 0x62, 0x63, 0x44, 0x37, 0x03}},
        {"hex A1C1", HexFrame("A1C1"), {0x02, 0x41, 0x31, 0x43, 0x31, 0x31, 0x37, 0x03}},
        {"hex BD1A", HexFrame("BD1A"), {0x02, 0x42, 0x44, 0x31, 0x41, 0x30, 0x35, 0x03}},
        {"hex empty text", HexFrame(""), {0x02, 0x46, 0x44, 0x03}},
        {"ack", AckFrame(), {0x06, 0x03}},
        {"link A abc",
         LinkFrame('A', "abc"),
         {0x16, 0x16, 0x16, 0x02, 0x41, 0x61, 0x62, 0x63, 0x03, 0x22}},
        {"link C abc",
         LinkFrame('C', "abc"),
         {0x16, 0x16, 0x16, 0x02, 0x43, 0x61, 0x62, 0x63, 0x03, 0x20}},
        {"link with zero checksum",
         LinkFrame('A', "B"),
         {0x16, 0x16, 0x16, 0x02, 0x41, 0x42, 0x03, 0x00}},
        {"link ack", LinkAckFrame(), {0x16, 0x16, 0x16, 0x02, 0x06, 0x03, 0x05}},
    };
    for (const FrameCase& c : cases) {
        EXPECT_EQ(c.built, c.expected) << c.name;
    }
}

TEST(SerialFrames, LinkBodyHoldsAtMost97TextBytes) {
    EXPECT_EQ(LinkFrame('A', std::string(97, 'x')).size(), 4u + 1 + 97 + 1 + 1);
    EXPECT_TRUE(LinkFrame('A', std::string(98, 'x')).empty());
}

TEST(SerialFrames, HighBytesCountAsUnsignedInChecksums) {
    // 0xF0 + 0x20 + ETX overflows a signed char sum.
    EXPECT_EQ(SumFrame("\xF0\x20").back(), 0x13);
    EXPECT_EQ(HexFrame("\xFF"), (Frame{0x02, 0xFF, 0x46, 0x45, 0x03}));
}

TEST(SerialWriteQueue, KeepsFramesInOrderAndRefusesWhatDoesNotFitOrFindsItFull) {
    WriteQueue queue;
    Frame taken;
    EXPECT_EQ(queue.Push({0x01}), QueueResult::TooLong) << "no space before Allocate";
    queue.Allocate(4);
    EXPECT_FALSE(queue.Pop(taken)) << "nothing queued yet";
    EXPECT_EQ(queue.Push({1, 2, 3}), QueueResult::Queued);
    EXPECT_EQ(queue.Push({4, 5}), QueueResult::Queued);
    EXPECT_EQ(queue.Push({6, 7, 8, 9}), QueueResult::TooLong) << "no room for the terminating zero";
    ASSERT_TRUE(queue.Pop(taken));
    EXPECT_EQ(taken, (Frame{1, 2, 3}));
    ASSERT_TRUE(queue.Pop(taken));
    EXPECT_EQ(taken, (Frame{4, 5}));
    EXPECT_FALSE(queue.Pop(taken)) << "a frame goes out once";

    for (std::uint8_t i = 0; i < WriteQueue::kDepth; ++i) {
        ASSERT_EQ(queue.Push({i}), QueueResult::Queued);
    }
    EXPECT_EQ(queue.Push({0xFF}), QueueResult::Full) << "never written over another frame";
    ASSERT_TRUE(queue.Pop(taken));
    EXPECT_EQ(taken, (Frame{0}));
    EXPECT_EQ(queue.Push({0xFF}), QueueResult::Queued) << "room again once one went out";
    queue.Allocate(10);
    EXPECT_FALSE(queue.Pop(taken)) << "a new allocation forgets the queued frames";
}

TEST(SerialNames, DeviceNameAndModeString) {
    const std::pair<unsigned, const char*> names[] = {
        {1, "COM1"}, {4, "COM4"}, {5, "\\\\.\\COM5"}, {10, "\\\\.\\COM10"}, {12, "\\\\.\\COM12"}};
    for (const auto& [port, name] : names) {
        EXPECT_EQ(CControlDeskPort::DeviceName(port), name);
    }
    EXPECT_EQ(CControlDeskPort::ModeString(19200, 'N', 8, 2), "baud=19200 parity=N data=8 stop=2");
    EXPECT_EQ(CControlDeskPort::ModeString(57600, 'E', 7, 1), "baud=57600 parity=E data=7 stop=1");
}

struct HealthStep {
    unsigned long code; // 0: progress
    bool reportable;
    bool showBox;
    bool stop;
};

void RunHealth(const char* name, std::initializer_list<HealthStep> steps) {
    WatchHealth health;
    int index = 0;
    for (const HealthStep& step : steps) {
        if (step.code == 0) {
            health.Progress();
        } else {
            const WatchHealth::Verdict v = health.Failed(step.code, step.reportable);
            EXPECT_EQ(v.showBox, step.showBox) << name << " step " << index;
            EXPECT_EQ(v.stop, step.stop) << name << " step " << index;
        }
        ++index;
    }
}

TEST(SerialWatchHealth, OneBoxPerRunAndStopsWhenTheDeviceIsGone) {
    RunHealth("transient failures, each after progress, each get a box",
              {{kErrorIoDevice, true, true, false},
               {0, false, false, false},
               {kErrorIoDevice, true, true, false}});
    RunHealth("repeated failures: one box, stop at the limit",
              {{kErrorIoDevice, true, true, false},
               {kErrorIoDevice, true, false, false},
               {kErrorIoDevice, true, false, false},
               {kErrorIoDevice, true, false, false},
               {kErrorIoDevice, true, false, true}});
    RunHealth("quiet failures only count, the stop shows the one box",
              {{kErrorInvalidParameter, false, false, false},
               {kErrorInvalidParameter, false, false, false},
               {kErrorInvalidParameter, false, false, false},
               {kErrorInvalidParameter, false, false, false},
               {kErrorInvalidParameter, false, true, true}});
    RunHealth("device gone stops at once", {{kErrorAccessDenied, true, true, true}});
    RunHealth("device gone after a box: no second box",
              {{kErrorIoDevice, true, true, false}, {kErrorInvalidHandle, true, false, true}});
    RunHealth("one abort is no error, two in a row stop",
              {{kErrorOperationAborted, false, false, false},
               {kErrorOperationAborted, false, true, true}});
    RunHealth("aborts apart are no error", {{kErrorOperationAborted, false, false, false},
                                            {0, false, false, false},
                                            {kErrorOperationAborted, false, false, false}});
    for (unsigned long gone : {kErrorNotReady, kErrorBadCommand, kErrorGenFailure,
                               kErrorNoSuchDevice, kErrorDeviceNotConnected}) {
        WatchHealth health;
        EXPECT_TRUE(health.Failed(gone, false).stop) << gone;
    }
}

TEST(SerialWatchHealth, BacksOffAfterRepeatedEmptyWakeUps) {
    WatchHealth health;
    for (unsigned i = 1; i < WatchHealth::kIdleLimit; ++i) {
        health.Idle();
    }
    EXPECT_FALSE(health.BackingOff());
    health.Idle();
    EXPECT_TRUE(health.BackingOff());
    health.Progress();
    EXPECT_FALSE(health.BackingOff());
}

} // namespace
