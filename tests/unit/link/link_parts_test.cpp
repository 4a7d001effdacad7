#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "link/current_command.h"
#include "link/diag_command.h"
#include "link/locks.h"
#include "link/port_stats.h"

namespace {

TEST(DiagReplyMatching, ByFirstByteOrBySecondAfterAnErrorCode)
{
    const uint8_t efs[] = {0x59, 0x00};
    const uint8_t other[] = {0x4B, 0x59};
    const uint8_t error13[] = {0x13, 0x59, 0x01};
    const uint8_t error18[] = {0x18, 0x59};
    const uint8_t error19[] = {0x19, 0x59};
    const uint8_t errorAlone[] = {0x13};
    EXPECT_TRUE(DiagReplyMatches(0x59, efs, sizeof efs));
    EXPECT_FALSE(DiagReplyMatches(0x59, other, sizeof other));
    EXPECT_TRUE(DiagReplyMatches(0x59, error13, sizeof error13));
    EXPECT_TRUE(DiagReplyMatches(0x59, error18, sizeof error18));
    EXPECT_FALSE(DiagReplyMatches(0x59, error19, sizeof error19));
    EXPECT_FALSE(DiagReplyMatches(0x59, errorAlone, sizeof errorAlone));
    EXPECT_FALSE(DiagReplyMatches(0x59, efs, 0));
}

TEST(StatsDump, ExactHeaderLinesAndSixteenCodesToALine)
{
    CPortStats stats;
    stats.bytesSent = 1234;
    stats.bytesReceived = 56;
    stats.pollingPackets = 7;
    stats.diagPackets = 33;
    stats.downloadPackets = 0;
    stats.atCommands = 2;
    stats.repliesTaken = 40;
    stats.strayReplies = 3;
    stats.firstCount = 33;
    for (int i = 0; i < 33; ++i)
        stats.firstCodes[static_cast<size_t>(i)] = static_cast<uint8_t>(i == 0 ? 12 : 89);
    const std::string dump = FormatStatsDump(stats);
    const std::string expectedStart =
        "\n\nDumping Stats for the port -->\n"
        "-- Total Bytes Sent   =   1234\n"
        "-- Total Bytes Recved =     56\n\n"
        "-- Polling  packets   =     7\n"
        "-- Diag     packets   =    33\n"
        "-- Download packets   =     0\n"
        "-- Data     AT cmds   =     2\n"
        "-- Replies  taken     =    40\n"
        "-- Stray    replies   =     3\n"
        "\nThe first diag commands sent: "
        "\n000: 12";
    ASSERT_EQ(dump.substr(0, expectedStart.size()), expectedStart);
    std::string line16 = "\n016: 89";
    for (int i = 0; i < 15; ++i)
        line16 += "  89";
    EXPECT_NE(dump.find(line16 + "\n032: 89\n\nEnd dump...\n\n"), std::string::npos) << dump;
}

TEST(RWSpinLock, ExclusiveIsRecursiveAndExcludesOtherThreads)
{
    CRWSpinLock lock;
    lock.Lock();
    lock.Lock();  // the owner may re-enter
    lock.LockShared();
    lock.UnlockShared();
    std::atomic<bool> otherGot{false};
    std::thread other([&] { otherGot = lock.TryLock(); });
    other.join();
    EXPECT_FALSE(otherGot);
    lock.Unlock();
    std::thread stillHeld([&] { otherGot = lock.TryLock(); });
    stillHeld.join();
    EXPECT_FALSE(otherGot);
    lock.Unlock();
    std::thread free([&] {
        otherGot = lock.TryLock();
        if (otherGot)
            lock.Unlock();
    });
    free.join();
    EXPECT_TRUE(otherGot);
}

TEST(RWSpinLock, ReadersShareAndKeepWritersOut)
{
    CRWSpinLock lock;
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                CExclusiveLock guard(lock);
                ++counter;
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(counter, 8000);
    lock.LockShared();
    std::atomic<bool> writerGot{true};
    std::thread writer([&] { writerGot = lock.TryLock(); });
    writer.join();
    EXPECT_FALSE(writerGot);
    lock.UnlockShared();
}

}  // namespace
