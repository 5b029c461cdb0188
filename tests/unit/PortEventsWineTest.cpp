// Ending a port thread's pending I/O: a read that ends when cancelled is done
// with; one that the system does not complete in time stays pending, so that
// its OVERLAPPED and buffer are kept, never reused.
#include "serial/win32/PortEvents.h"
#include "serial/win32/ThreadJoin.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(PortEventsWineTest, CancelledIoEndsOrIsReportedStillPending) {
    const char* const name = "\\\\.\\pipe\\relvan-port-events-test";
    HANDLE server = CreateNamedPipeA(name, PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                     PIPE_TYPE_BYTE, 1, 64, 64, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    HANDLE client = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OVERLAPPED, nullptr);
    ASSERT_NE(client, INVALID_HANDLE_VALUE);
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);

    // Nothing is written to the pipe: the read waits until it is cancelled.
    OVERLAPPED read;
    ResetOverlapped(read, event);
    std::uint8_t byte = 0;
    DWORD count = 0;
    bool pending = false;
    ASSERT_EQ(MarkPending(ReadFile(client, &byte, 1, &count, &read), read, pending),
              static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_TRUE(EndPendingRead(client, read, pending));
    EXPECT_FALSE(pending);
    EXPECT_TRUE(HasOverlappedIoCompleted(&read));

    // An operation the system never completes, as with a driver that ignores
    // the cancel: it is not taken as ended.
    ResetEvent(event);
    OVERLAPPED stuck;
    ResetOverlapped(stuck, event);
    stuck.Internal = STATUS_PENDING;
    pending = true;
    EXPECT_FALSE(EndPendingRead(client, stuck, pending));
    EXPECT_TRUE(pending);
    EXPECT_FALSE(EndCommWait(client, stuck, pending));
    EXPECT_TRUE(pending);

    CloseHandle(event);
    CloseHandle(client);
    CloseHandle(server);
}
