// Events and the waits built on them, including the busy hook a window thread installs.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <poll.h>
#endif

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/busy_hook.h"
#include "platform/sync_event.h"

namespace {

using Clock = std::chrono::steady_clock;

// Whether the system handle shows the event as set.
bool Readable(const CSyncEvent& event)
{
#ifdef _WIN32
    return ::WaitForSingleObject(reinterpret_cast<HANDLE>(event.PollHandle()), 0) == WAIT_OBJECT_0;
#else
    pollfd fd{static_cast<int>(event.PollHandle()), POLLIN, 0};
    return poll(&fd, 1, 0) == 1;
#endif
}

TEST(SyncEvent, AutoResetReleasesOneWaitManualStaysSetAndTheHandleShowsTheState)
{
    CSyncEvent automatic(EventReset::automatic);
    CSyncEvent manual(EventReset::manual, true);
    automatic.Set();
    automatic.Set();  // sets coalesce
    EXPECT_TRUE(Readable(automatic));
    EXPECT_TRUE(automatic.Wait(0));
    EXPECT_FALSE(automatic.Wait(0));
    EXPECT_FALSE(Readable(automatic));
    EXPECT_TRUE(manual.Wait(0));
    EXPECT_TRUE(manual.Wait(0));
    EXPECT_TRUE(Readable(manual));
    manual.Reset();
    EXPECT_FALSE(manual.Wait(0));
    EXPECT_FALSE(Readable(manual));

    const auto start = Clock::now();
    EXPECT_FALSE(manual.Wait(50));
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(50));
}
// Short waits in a row, each well under a period, still call the hook once a period has passed
// in all; one long wait is cut into slices; waits on another thread never call it.
TEST(BusyHook, CalledEveryPeriodAcrossShortAndLongWaitsOnItsOwnThreadOnly)
{
    std::atomic<int> calls{0};
    std::atomic<bool> elsewhere{false};
    const auto home = std::this_thread::get_id();
    SetBusyHook([&] {
        ++calls;
        elsewhere = elsewhere || std::this_thread::get_id() != home;
    });
    CSyncEvent never(EventReset::manual);
    std::thread other([&] {
        for (int i = 0; i < 5; ++i)
            WaitForAnyBusy({&never}, 40);
    });
    for (int i = 0; i < 10; ++i)
        ASSERT_EQ(WaitForAnyBusy({&never}, busyHookPeriodMs * 2 / 5), waitTimedOut);
    EXPECT_GE(calls, 3) << "10 waits of 2/5 of a period";
    calls = 0;
    EXPECT_EQ(WaitForAnyBusy({&never}, busyHookPeriodMs * 4), waitTimedOut);
    EXPECT_GE(calls, 3) << "one wait of 4 periods";
    other.join();
    EXPECT_FALSE(elsewhere);
    SetBusyHook({});
}

}  // namespace
