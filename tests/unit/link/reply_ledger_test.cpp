// The reply ledger on its own, with the tick given by the test: which reply answers what, when a
// request may be written again, and what a tentative reply leaves owed.
#include <gtest/gtest.h>

#include "link/diag_command.h"
#include "link/reply_ledger.h"
#include "platform/tick.h"

namespace {

DiagCommandPtr Record(uint8_t code, uint32_t timeoutMs)
{
    auto record = std::make_shared<CDiagCommand>(encFramed);
    record->request = {code, 1, 2};
    record->replyTimeout = timeoutMs;
    record->tag = NextCommandTag();
    return record;
}

// A handset that answered the last requests after latencyMs each.
void Paced(CReplyLedger& ledger, uint32_t latencyMs, uint32_t& now)
{
    for (int i = 0; i < 8; ++i) {
        const auto record = Record(0x4B, 2000);
        ledger.Written(record, false, now);
        now += latencyMs;
        const uint8_t reply[] = {0x4B, 1, 2};
        EXPECT_EQ(ledger.Claim(record.get(), false, reply, sizeof reply, now).claimed,
                  CReplyLedger::Claimed::taken);
    }
}

// A retry waits while the handset's pace says the first write's reply may still come, never a
// whole time-out beyond that write, and not at all once nothing is owed.
TEST(ReplyLedger, ARewriteIsDueWhenTheOwedReplyIsOverdue)
{
    for (const uint32_t latency : {5u, 140u, 250u}) {
        CReplyLedger ledger;
        uint32_t now = 1000;
        Paced(ledger, latency, now);
        const auto record = Record(0x4B, 200);
        ledger.Written(record, false, now);
        const uint32_t overdue = std::min(2 * latency + 50, 2u * 200 - 1);
        EXPECT_EQ(ledger.RewriteDueInMs(*record, now + 200), overdue > 200 ? overdue - 200 : 0)
            << latency;
        EXPECT_EQ(ledger.RewriteDueInMs(*record, now + overdue), 0u) << latency;
        const uint8_t reply[] = {0x4B, 1, 2};
        ledger.Claim(record.get(), false, reply, sizeof reply, now + 10);
        EXPECT_EQ(ledger.RewriteDueInMs(*record, now + 10), 0u) << "answered: nothing owed";
    }
}

// A reply that fits both an abandoned attempt and the current request is taken tentatively; when
// no second one follows, it was the current request's, and nothing is owed any more.
TEST(ReplyLedger, AResolvedTentativeReplyLeavesNothingOwed)
{
    CReplyLedger ledger;
    uint32_t now = TickCount() - 5000;  // Settle waits on the real tick: the attempt is long overdue
    Paced(ledger, 5, now);
    const auto earlier = Record(0x4B, 200);
    ledger.Written(earlier, false, now);
    ledger.Settle();  // its reply did not come: abandoned, still owed
    const auto current = Record(0x4B, 200);
    ledger.Written(current, false, now + 300);
    const uint8_t reply[] = {0x4B, 1, 2};
    const auto claim = ledger.Claim(current.get(), false, reply, sizeof reply, now + 305);
    EXPECT_EQ(claim.claimed, CReplyLedger::Claimed::taken);
    EXPECT_TRUE(claim.tentative);
    ledger.Resolve();
    EXPECT_FALSE(ledger.Tentative());
    EXPECT_EQ(ledger.RewriteDueInMs(*current, now + 306), 0u) << "the current attempt is still owed";
}

}  // namespace
