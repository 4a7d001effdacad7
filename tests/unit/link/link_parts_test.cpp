#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "link/current_command.h"
#include "link/diag_command.h"
#include "link/locks.h"
#include "link/port_stats.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(DiagReplyMatching, ByFirstByteOrBySecondAfterAnErrorCode)
{
    const struct {
        Bytes reply;
        bool matches;
    } cases[] = {
        {{0x59, 0x00}, true}, {{0x4B, 0x59}, false}, {{0x13, 0x59, 0x01}, true},
        {{0x18, 0x59}, true}, {{0x19, 0x59}, false}, {{0x13}, false}, {{}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DiagReplyMatches(0x59, c.reply.data(), c.reply.size()), c.matches) << &c - cases;
}

TEST(StatsDump, ExactHeaderLinesAndSixteenCodesToALine)
{
    CPortStats stats;
    stats.bytesSent = 1234;
    stats.bytesReceived = 56;
    stats.pollingPackets = 7;
    stats.diagPackets = 33;
    stats.atCommands = 2;
    stats.repliesTaken = 40;
    stats.strayReplies = 3;
    stats.firstCount = 33;
    for (size_t i = 0; i < 33; ++i)
        stats.firstCodes[i] = static_cast<uint8_t>(i == 0 ? 12 : 89);
    std::string fifteen;
    for (int i = 0; i < 15; ++i)
        fifteen += "  89";
    EXPECT_EQ(FormatStatsDump(stats),
              "\n\nDumping Stats for the port -->\n"
              "-- Total Bytes Sent   =   1234\n"
              "-- Total Bytes Recved =     56\n\n"
              "-- Polling  packets   =     7\n"
              "-- Diag     packets   =    33\n"
              "-- Download packets   =     0\n"
              "-- Data     AT cmds   =     2\n"
              "-- Replies  taken     =    40\n"
              "-- Stray    replies   =     3\n"
              "\nThe first diag commands sent: \n000: 12" +
                  fifteen + "\n016: 89" + fifteen + "\n032: 89\n\nEnd dump...\n\n");
}

TEST(RWSpinLock, ExclusiveIsRecursiveAndKeepsOthersOutUntilFullyReleased)
{
    CRWSpinLock lock;
    const auto otherGets = [&] {
        std::atomic<bool> got{false};
        std::thread([&] {
            got = lock.TryLock();
            if (got)
                lock.Unlock();
        }).join();
        return got.load();
    };
    lock.Lock();
    lock.Lock();
    lock.LockShared();  // the owner may read too
    lock.UnlockShared();
    lock.Unlock();
    EXPECT_FALSE(otherGets()) << "still held once";
    lock.Unlock();
    EXPECT_TRUE(otherGets());
    lock.LockShared();
    EXPECT_FALSE(otherGets()) << "a reader keeps writers out";
    lock.UnlockShared();
}

}  // namespace
