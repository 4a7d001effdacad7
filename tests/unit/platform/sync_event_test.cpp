#include <gtest/gtest.h>

#include <poll.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/sync_event.h"

namespace {

using Clock = std::chrono::steady_clock;

bool Readable(const CSyncEvent& event)
{
    pollfd fd{event.PollHandle(), POLLIN, 0};
    return poll(&fd, 1, 0) == 1;
}

TEST(SyncEvent, AutoResetReleasesOneWaitAndManualStaysSet)
{
    CSyncEvent automatic(EventReset::automatic);
    CSyncEvent manual(EventReset::manual, true);
    automatic.Set();
    automatic.Set();  // sets coalesce
    EXPECT_TRUE(automatic.Wait(0));
    EXPECT_FALSE(automatic.Wait(0));
    EXPECT_TRUE(manual.Wait(0));
    EXPECT_TRUE(manual.Wait(0));
    EXPECT_TRUE(Readable(manual)) << "the handle is readable exactly while set";
    manual.Reset();
    EXPECT_FALSE(manual.Wait(0));
    EXPECT_FALSE(Readable(manual));
    automatic.Set();
    EXPECT_TRUE(Readable(automatic));
    ASSERT_TRUE(automatic.Wait(0));
    EXPECT_FALSE(Readable(automatic));
}

TEST(SyncEvent, WaitTimesOutAfterItsTime)
{
    CSyncEvent event(EventReset::manual);
    const auto start = Clock::now();
    EXPECT_FALSE(event.Wait(50));
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(50));
    EXPECT_LT(waited, std::chrono::milliseconds(1000));
}

TEST(SyncEvent, WaitForAnyReportsTheFirstSetEventAndConsumesOnlyIt)
{
    CSyncEvent first(EventReset::automatic);
    CSyncEvent second(EventReset::automatic);
    CSyncEvent third(EventReset::manual);
    EXPECT_EQ(WaitForAny({&first, &second, &third}, 10), waitTimedOut);
    second.Set();
    third.Set();
    EXPECT_EQ(WaitForAny({&first, &second, &third}, 0), 1);
    EXPECT_FALSE(second.IsSet());
    EXPECT_TRUE(third.IsSet());
    EXPECT_EQ(WaitForAny({&first, &second, &third}, 0), 2);
}

TEST(SyncEvent, SetIfClearHasExactlyOneWinnerAmongRacingThreads)
{
    for (int round = 0; round < 200; ++round) {
        CSyncEvent event(EventReset::manual);
        std::atomic<int> winners{0};
        std::vector<std::thread> racers;
        for (int i = 0; i < 4; ++i)
            racers.emplace_back([&] {
                if (event.SetIfClear())
                    ++winners;
            });
        for (auto& racer : racers)
            racer.join();
        ASSERT_EQ(winners.load(), 1);
    }
}

}  // namespace
