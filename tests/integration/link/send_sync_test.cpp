// Sending: what goes on the wire, which reply a request takes, attempts, queue order, refusals,
// and senders that give up.
#include <gtest/gtest.h>

#include <map>

#include "link_kit.h"

namespace {

// Each request goes once at the found rate; refused ones never reach the handset.
TEST(SendSync, RepliesFitTheirBufferAndBadRequestsAreRefusedWithoutSendingAnything)
{
    rig::CHandsetRig handset;
    const auto link = OpenLink(handset.Port());
    const size_t mark = handset.LogSize();
    Bytes reply;
    ASSERT_EQ(Send(*link, {0x59, 0x0C}, 2000, &reply), linkStatusOk);
    EXPECT_EQ(reply.size(), 11u);
    EXPECT_EQ(handset.host->RequestLog().back().baud, link->Detection().CurrentRate());
    EXPECT_EQ(Send(*link, {0x59, 0x0C}, 2000, &reply, cmdTypeDiag, 0, 10), linkStatusReplyTooLong);
    EXPECT_EQ(reply, Bytes(10, 0)) << "a reply too long leaves the buffer zeroed";
    EXPECT_EQ(Send(*link, {0x59, 0x0C}, 2000, &reply, cmdTypeDiag, 0, -1), linkStatusReplyTooLong);
    EXPECT_EQ(reply, Bytes{0xAA}) << "a negative capacity holds nothing";
    EXPECT_EQ(Send(*link, {0x59, 0x0C}, 200, nullptr, cmdTypeStatus), linkStatusFail) << "a record for the hook";
    const Bytes tooLong(2047, 0x59);
    EXPECT_EQ(Send(*link, {0x59}, 200, nullptr, cmdTypeProbe, linkNone), linkStatusFail);
    EXPECT_EQ(Send(*link, tooLong, 200, nullptr, cmdTypeProbe, linkDiagLow), linkStatusFail);
    EXPECT_EQ(Send(*link, {}, 200, nullptr, cmdTypeProbe, linkDiagLow), linkStatusFail);
    EXPECT_EQ(link->SendSync(1, nullptr, cmdTypeProbe, linkDiagLow, 200, nullptr, nullptr), linkStatusFail);
    EXPECT_EQ(handset.EfsRequestsSince(mark), std::vector<Bytes>(3, Bytes{0x59, 0x0C})) << "refused, yet sent";
    EXPECT_EQ(link->SendSync(2046, tooLong.data(), cmdTypeProbe, linkDiagHigh, 2000, nullptr, nullptr), linkStatusOk)
        << "2046 bytes is the longest request";

    auto record = std::make_shared<CDiagCommand>(encFramed);
    ASSERT_EQ(record->BuildFrame(tooLong.data(), 1), linkStatusOk);
    ASSERT_EQ(link->ClosePort(), linkStatusOk);
    const auto start = Clock::now();
    EXPECT_EQ(link->SubmitCommand(record, false, 1000, nullptr, nullptr), linkStatusTimeout);
    EXPECT_LT(Clock::now() - start, 500ms) << "a closed link times out at once";
}

// Replies the virtual handset never sends: an error code echoing the request's is its reply, a
// foreign code is not; unsolicited packets go to the hook or are traced as dropped.
TEST(SendSync, RepliesAreMatchedToTheirRequestAndTheAttemptTimeOutDecidesTheAttempts)
{
    std::mutex lock;
    std::map<Bytes, int> heard;
    CScriptedPeer peer([&](const Bytes& request) -> Bytes {
        if (request[0] != 0x59)
            return PlainHandset(request);
        std::lock_guard guard(lock);
        ++heard[request];
        if (request[1] == 0x01)
            return {0x14, 0x59, 0x01};
        return request[1] == 0x02 ? Bytes{0x4B, 0x01} : Bytes{};
    });
    LinkTiming timing = Quick();
    timing.pollPeriodMs = 600000;  // no poll awaits a reply while the packets arrive
    const auto link = OpenLink(peer.Port(), timing);
    CTraces traces(*link);
    peer.Push({0x10, 0x02});
    peer.Push({0x4B, 0x05});
    EXPECT_TRUE(rig::WaitUntil(5s, [&] { return traces.Count("DM Packet is dropped 75\n") > 0; }));
    EXPECT_EQ(traces.Count("DM Packet is dropped 16\n"), 0u);

    // A per-attempt time-out of its own decides the attempts, not the sender's time-out.
    EXPECT_EQ(Send(*link, {0x59, 0x05}, timing.singleAttemptMs, nullptr, cmdTypeDiag, 100), linkStatusFail);
    Bytes reply;
    ASSERT_EQ(Send(*link, {0x59, 0x01}, 100, &reply), linkStatusOk);
    EXPECT_EQ(reply, (Bytes{0x14, 0x59, 0x01}));
    EXPECT_EQ(Send(*link, {0x59, 0x02}, 100, &reply), linkStatusFail);
    std::lock_guard guard(lock);
    EXPECT_EQ(heard, (std::map<Bytes, int>{{{0x59, 0x01}, 1}, {{0x59, 0x02}, 3}, {{0x59, 0x05}, 3}}));
}

TEST(SendSync, ASlowReplysRetriesNeverAnswerTheNextRequest)
{
    // A handset that works in order and is slow once: the first listing step takes 450 ms, so
    // its 200 ms attempts are written again; the retries are answered soon afterwards. Their
    // replies look like any listing reply, yet the next step must get its own.
    const Bytes first{0x59, 0x0B, 0, 0, 0, 0, 0}, second{0x59, 0x0B, 1, 0, 0, 0, 0};
    std::atomic<int> firstHeard{0};
    CScriptedPeer peer([&](const Bytes& request) -> Bytes {
        if (request[0] != 0x59)
            return PlainHandset(request);
        const bool slow = request == first && ++firstHeard == 1;
        std::this_thread::sleep_for(slow ? 450ms : 20ms);
        return {0x59, 0x0B, 0x00, request == first ? uint8_t{'A'} : uint8_t{'B'}};
    });
    LinkTiming timing = Quick();
    timing.pollPeriodMs = 600000;
    const auto link = OpenLink(peer.Port(), timing);
    Bytes reply;
    ASSERT_EQ(Send(*link, first, 200, &reply), linkStatusOk);
    EXPECT_EQ(reply.back(), 'A');
    ASSERT_EQ(Send(*link, second, 200, &reply), linkStatusOk);
    EXPECT_EQ(reply.back(), 'B') << "a retry's late reply answered the next request";
    EXPECT_GE(firstHeard.load(), 2) << "the slow step was not retried, so nothing was proven";
}

// A command on the wire holds the queue: a probe goes before the commands queued behind it,
// and senders give up at their time-out plus the slack, whether on the wire or still queued.
TEST(SendSync, ProbesJumpTheQueueAndSendersGiveUpAtTheirTimeOutPlusSlack)
{
    rig::CHandsetRig handset;
    LinkTiming timing = Quick();
    timing.probeReplyMs = 3000;  // the probe waits out the handset's delay
    timing.senderSlackMs = 100;
    const auto link = OpenLink(handset.Port(), timing);
    CTraces traces(*link);
    handset.Change([](sim::SimBehaviour& b) { b.replyDelay = 1000ms; });
    const size_t mark = handset.LogSize();
    Clock::duration waited{};
    std::thread late([&] {  // its attempt outlasts the sender's wait of 100 + 100 ms
        const auto start = Clock::now();
        EXPECT_EQ(Send(*link, {0x59, 0x0C}, 100, nullptr, cmdTypeDiag, 1500), linkStatusTimeout);
        waited = Clock::now() - start;
    });
    ASSERT_TRUE(rig::WaitUntil(5s, [&] { return handset.EfsRequestsSince(mark).size() == 1; }));
    const size_t onTheWire = handset.LogSize() - 1;
    EXPECT_EQ(Send(*link, {0x59, 0x03}, 50), linkStatusTimeout) << "still queued when it gives up";
    std::thread queued([&] { EXPECT_EQ(Send(*link, {0x59, 0x02, 0x01, 0x00}, 5000), linkStatusOk); });
    ASSERT_TRUE(rig::WaitUntil(5s, [&] { return link->QueuedCommands() == 2; }));
    std::thread probe([&] { EXPECT_EQ(Send(*link, {0x00}, 5000, nullptr, cmdTypeProbe, linkDiagHigh), linkStatusOk); });
    EXPECT_TRUE(rig::WaitUntil(5s, [&] { return link->QueuedCommands() == 3; }));
    late.join();
    queued.join();
    probe.join();
    EXPECT_GE(waited, 200ms);
    EXPECT_LT(waited, 1000ms);
    const auto log = handset.host->RequestLog();
    ASSERT_GE(log.size(), onTheWire + 3);
    EXPECT_EQ(log[onTheWire + 1].payload, Bytes{0x00});
    EXPECT_EQ(log[onTheWire + 2].payload, (Bytes{0x59, 0x02, 0x01, 0x00})) << "an abandoned request went out";
    EXPECT_EQ(traces.Count("has abandoned due to timeout.\n"), 1u);
    EXPECT_EQ(traces.Count("has abandoned.\n"), 1u);
    EXPECT_EQ(traces.Count(" TIMEDOUT, Time Elasped: "), 2u);
}

}  // namespace
