#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "link/current_command.h"
#include "link/diag_command.h"
#include "link/locks.h"
#include "link/reply_ledger.h"

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
