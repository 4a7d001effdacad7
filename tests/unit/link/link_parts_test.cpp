#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "link/current_command.h"
#include "link/diag_command.h"
#include "link/reply_ledger.h"
#include "link/wake_event.h"

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

// An error reply is tied to a request by every request byte it echoes; without a matcher the
// command code is all that ties a reply.
TEST(ReplyFitsRequest, ErrorRepliesByTheirEchoOthersByTheCodeAlone)
{
    const Bytes request{0x59, 7, 2, 'a', 0};
    const struct {
        Bytes reply;
        bool fits;
    } cases[] = {
        {{0x13, 0x59, 7, 2, 'a', 0}, true}, {{0x13, 0x59, 7}, true},   {{0x13, 0x59, 6, 2, 'a', 0}, false},
        {{0x14, 0x59, 7, 2, 'b'}, false},   {{0x13, 0x59, 7, 2, 'a', 0, 9}, true}, {{0x59, 1, 2}, true},
        {{0x13, 0x29}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReplyFitsRequest(request, nullptr, c.reply.data(), c.reply.size()), c.fits) << &c - cases;
}

// The writer's wait for a command or a reply: the first event set ends it, only an auto-reset
// event is consumed, and a wake-up from another thread is never lost.
TEST(WakeGroup, TheFirstSetEventEndsTheWaitAndOnlyAnAutoResetOneIsConsumed)
{
    using namespace std::chrono;
    CWakeGroup group;
    CWakeEvent manual(group, EventReset::manual), automatic(group, EventReset::automatic);
    for (int round = 0; round < 50; ++round) {
        std::thread setter([&] { automatic.Set(); });
        EXPECT_EQ(group.WaitAny({&manual, &automatic}, 10000), 1) << "round " << round;
        setter.join();
        EXPECT_FALSE(automatic.IsSet());
    }
    const auto start = steady_clock::now();
    EXPECT_EQ(group.WaitAny({&manual, &automatic}, 30), waitTimedOut);
    EXPECT_GE(steady_clock::now() - start, 30ms);
    manual.Set();
    automatic.Set();
    EXPECT_EQ(group.WaitAny({&manual, &automatic}, 0), 0);
    EXPECT_TRUE(manual.Wait(0)) << "a manual-reset event stays set";
    EXPECT_TRUE(automatic.Wait(0));
    EXPECT_FALSE(automatic.Wait(0));
}

}  // namespace
