#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <sstream>
#include <chrono>
#include <thread>

#include "link_fixture.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Requests with this payload the peer has seen (detection probes run in between).
size_t CountOf(CScriptedPeer& peer, const Bytes& payload)
{
    size_t count = 0;
    for (const auto& request : peer.Requests())
        count += request.payload == payload ? 1u : 0u;
    return count;
}

TEST(SendSync, FramesWithoutOpeningFlagWritesOnceAndHandsBackTheReply)
{
    LinkUnderTest t;
    ASSERT_TRUE(t.OpenReady());
    const Bytes request{0x59, 0x0B, 0x00, 0x7E};
    Bytes reply;
    ASSERT_EQ(t.Send(request, 2000, &reply), linkStatusOk);
    EXPECT_EQ(reply, request);  // the handset echoes unknown requests
    ASSERT_EQ(CountOf(*t.peer, request), 1u);
    // Records for the notification hook are never sent.
    EXPECT_EQ(t.Send(request, 200, nullptr, cmdTypeStreamPacket), linkStatusFail);
    EXPECT_EQ(t.Send(request, 200, nullptr, cmdTypeStatus), linkStatusFail);
    for (const auto& seen : t.peer->Requests()) {
        if (seen.payload != request)
            continue;
        EXPECT_FALSE(seen.openingFlag);
        // Diagnostic traffic travels at the rate the handset was found at.
        EXPECT_EQ(seen.baud, t.link->GetCurrentRate());
    }
}

TEST(SendSync, AnErrorReplyEchoingTheCodeIsTakenAndAWrongCodeIsDropped)
{
    std::atomic<int> answer{0};
    LinkUnderTest t(FastTiming(), nullptr);
    CScriptedPeer::Handler handset = t.handset.Handler();
    t.peer = std::make_unique<CScriptedPeer>(t.pty, [&](const PeerRequest& request) {
        if (request.payload[0] != 0x59)
            return handset(request);
        return answer.load() == 0 ? Frame({0x14, 0x59, 0x01}) : Frame({0x4B, 0x01});
    });
    ASSERT_TRUE(t.OpenReady());
    Bytes reply;
    ASSERT_EQ(t.Send({0x59, 0x01}, 100, &reply), linkStatusOk);
    EXPECT_EQ(reply, (Bytes{0x14, 0x59, 0x01}));

    answer = 1;
    EXPECT_EQ(t.Send({0x59, 0x02}, 100, &reply), linkStatusFail);
    EXPECT_EQ(CountOf(*t.peer, {0x59, 0x02}), 3u) << "each attempt waited for a matching reply";
}

TEST(SendSync, AReplyLongerThanTheCapacityFailsAndLeavesTheBufferZeroed)
{
    LinkUnderTest t;
    ASSERT_TRUE(t.OpenReady());
    Bytes reply;
    EXPECT_EQ(t.Send({0x59, 1, 2, 3, 4, 5}, 2000, &reply, cmdTypeDiag, 0, 4),
              linkStatusReplyTooLong);
    EXPECT_EQ(reply, Bytes(4, 0));
    ASSERT_EQ(t.Send({0x59, 1, 2, 3}, 2000, &reply, cmdTypeDiag, 0, 4), linkStatusOk);
    EXPECT_EQ(reply, (Bytes{0x59, 1, 2, 3}));
    // A negative capacity holds nothing: nothing is written to the buffer.
    EXPECT_EQ(t.Send({0x59, 1}, 2000, &reply, cmdTypeDiag, 0, -1), linkStatusReplyTooLong);
    EXPECT_EQ(reply, Bytes{0xAA});
}

TEST(SendSync, RefusesWhenNotReadyOrClosedAndBadArgumentsWithoutQueuing)
{
    LinkTiming quiet = FastTiming();
    quiet.pollPeriodMs = 600000;
    quiet.firstPollMs = 600000;
    LinkUnderTest t(quiet);
    const uint8_t request = 0x59;
    int16_t length = 8;
    uint8_t buffer[8];
    EXPECT_EQ(t.link->SendSync(1, &request, cmdTypeDiag, 0, 200, &length, buffer), linkStatusFail);
    ASSERT_EQ(t.Open(), linkStatusOk);
    EXPECT_EQ(t.link->SendSync(1, &request, cmdTypeDiag, 0, 200, &length, buffer),
              linkStatusPhoneNotReady);
    EXPECT_EQ(t.link->SendSync(1, &request, cmdTypeStreamPacket, linkStreamDownload, 200, &length,
                               buffer), linkStatusPhoneNotReady);
    EXPECT_EQ(t.link->SendSync(1, &request, cmdTypeProbe, linkNone, 200, &length, buffer),
              linkStatusFail);
    const Bytes tooLong(2047, 0x59);
    EXPECT_EQ(t.link->SendSync(2047, tooLong.data(), cmdTypeProbe, linkDiagLow, 200, &length,
                               buffer), linkStatusFail);
    EXPECT_EQ(t.link->SendSync(0, &request, cmdTypeProbe, linkDiagLow, 200, &length, buffer),
              linkStatusFail);
    EXPECT_EQ(t.link->SendSync(1, nullptr, cmdTypeProbe, linkDiagLow, 200, &length, buffer),
              linkStatusFail);
    EXPECT_EQ(t.link->Stats().bytesSent.load(), 0);
    EXPECT_EQ(t.peer->RequestCount(), 0u);
    // A 2046-byte request is the longest that goes out.
    const Bytes longest(2046, 0x59);
    EXPECT_EQ(t.link->SendSync(2046, longest.data(), cmdTypeProbe, linkDiagLow, 2000, nullptr,
                               nullptr), linkStatusOk);
}

TEST(SendSync, SubmittingToAClosedLinkTimesOutAtOnce)
{
    LinkTiming quiet = FastTiming();
    quiet.pollPeriodMs = 600000;
    quiet.firstPollMs = 600000;
    LinkUnderTest t(quiet);
    auto record = std::make_shared<CDiagCommand>(encFramed);
    const uint8_t request = 0x0C;
    ASSERT_EQ(record->BuildFrame(&request, 1), linkStatusOk);
    ASSERT_TRUE(record->CreateCompletionEvent());
    EXPECT_EQ(t.link->SubmitCommand(record, false, 1000, nullptr, nullptr), linkStatusTimeout);
    ASSERT_EQ(t.Open(), linkStatusOk);
    ASSERT_EQ(t.link->ClosePort(), linkStatusOk);
    const auto start = Clock::now();
    EXPECT_EQ(t.link->SubmitCommand(record, false, 1000, nullptr, nullptr), linkStatusTimeout);
    EXPECT_LT(Clock::now() - start, 500ms);
    EXPECT_EQ(t.link->SendSync(1, &request, cmdTypeProbe, linkDiagLow, 100, nullptr, nullptr),
              linkStatusFail);
    EXPECT_EQ(t.peer->RequestCount(), 0u);
}

TEST(SendSync, ShortRequestsGetThreeAttemptsAndLongOnesOne)
{
    LinkUnderTest t;
    CScriptedPeer::Handler handset = t.handset.Handler();
    // Probes are answered, so the status stays Ready; EFS requests never are.
    t.peer = std::make_unique<CScriptedPeer>(t.pty, [&](const PeerRequest& request) {
        return request.payload[0] == 0x59 ? Bytes() : handset(request);
    });
    ASSERT_TRUE(t.OpenReady());
    const uint32_t singleAttemptMs = FastTiming().singleAttemptMs;

    auto start = Clock::now();
    EXPECT_EQ(t.Send({0x59, 0x01}, 100), linkStatusFail);
    EXPECT_GE(Clock::now() - start, 300ms);
    EXPECT_EQ(CountOf(*t.peer, {0x59, 0x01}), 3u);

    ASSERT_EQ(t.link->GetPhoneStatus(), phoneStatusReady);
    start = Clock::now();
    EXPECT_EQ(t.Send({0x59, 0x02}, singleAttemptMs), linkStatusFail);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(singleAttemptMs));
    EXPECT_EQ(CountOf(*t.peer, {0x59, 0x02}), 1u);
    // A detail time-out of its own decides the attempts, not the sender's time-out.
    const uint8_t request[] = {0x59, 0x03};
    EXPECT_EQ(t.link->SendSync(2, request, cmdTypeDiag, 100, singleAttemptMs, nullptr, nullptr),
              linkStatusFail);
    EXPECT_EQ(CountOf(*t.peer, {0x59, 0x03}), 3u);
}

TEST(SendSync, ProbesJumpTheQueue)
{
    std::atomic<bool> holdFirst{true};
    std::mutex orderLock;
    std::vector<uint8_t> order;
    LinkUnderTest t;
    CScriptedPeer::Handler handset = t.handset.Handler();
    t.peer = std::make_unique<CScriptedPeer>(t.pty, [&](const PeerRequest& request) {
        if (request.payload.size() >= 2 && request.payload[0] == 0x59) {
            std::lock_guard guard(orderLock);
            order.push_back(request.payload[1]);
        }
        // The first EFS request is answered only once the others are queued.
        if (request.payload == Bytes{0x59, 0x01})
            WaitUntil([&] { return !holdFirst.load(); }, 5s);
        return handset(request);
    });
    ASSERT_TRUE(t.OpenReady());
    std::vector<std::thread> senders;
    senders.emplace_back([&] { EXPECT_EQ(t.Send({0x59, 0x01}, 3000), linkStatusOk); });
    ASSERT_TRUE(WaitUntil([&] { std::lock_guard g(orderLock); return !order.empty(); }, 5s));
    senders.emplace_back([&] { EXPECT_EQ(t.Send({0x59, 0x02}, 3000), linkStatusOk); });
    ASSERT_TRUE(WaitUntil([&] { return t.link->QueuedCommands() == 1; }, 5s));
    senders.emplace_back([&] {
        EXPECT_EQ(t.Send({0x59, 0x03}, 3000, nullptr, cmdTypeProbe, linkDiagHigh), linkStatusOk);
    });
    ASSERT_TRUE(WaitUntil([&] { return t.link->QueuedCommands() == 2; }, 5s));
    holdFirst = false;
    for (auto& sender : senders)
        sender.join();
    std::lock_guard guard(orderLock);
    EXPECT_EQ(order, (std::vector<uint8_t>{0x01, 0x03, 0x02}));
}

TEST(SendSync, SenderGivesUpAtTimeOutPlusSlackWithTheAbandonedTraces)
{
    LinkTiming timing = FastTiming();
    timing.senderSlackMs = 100;
    LinkUnderTest t(timing);
    std::atomic<bool> release{false};
    CScriptedPeer::Handler handset = t.handset.Handler();
    t.peer = std::make_unique<CScriptedPeer>(t.pty, [&](const PeerRequest& request) {
        if (request.payload == Bytes{0x59, 0x01})
            WaitUntil([&] { return release.load(); }, 10s);
        return handset(request);
    });
    ASSERT_TRUE(t.OpenReady());

    // First command: performed (its reply held back) past its sender's wait of 100 + 100 ms.
    // Its per-attempt time-out of 1000 ms comes from the detail argument.
    LinkStatus lateResult = linkStatusOk;
    Clock::duration lateWaited{};
    std::thread late([&] {
        const auto start = Clock::now();
        const uint8_t request[] = {0x59, 0x01};
        lateResult = t.link->SendSync(2, request, cmdTypeDiag, 1000, 100, nullptr, nullptr);
        lateWaited = Clock::now() - start;
    });
    ASSERT_TRUE(WaitUntil([&] { return CountOf(*t.peer, {0x59, 0x01}) == 1; }, 5s));
    // Second command: still queued behind the first when its sender gives up.
    const uint8_t queued[] = {0x59, 0x02};
    EXPECT_EQ(t.link->SendSync(2, queued, cmdTypeDiag, 0, 50, nullptr, nullptr), linkStatusTimeout);
    late.join();
    EXPECT_EQ(lateResult, linkStatusTimeout);
    EXPECT_GE(lateWaited, 200ms);
    EXPECT_LT(lateWaited, 1000ms);
    release = true;

    EXPECT_TRUE(t.traces.WaitFor("has abandoned due to timeout.\n", 5s));
    EXPECT_TRUE(t.traces.WaitFor("has abandoned.\n", 5s));
    EXPECT_EQ(t.traces.Count(" TIMEDOUT, Time Elasped: "), 2u);
    // The link goes on working.
    EXPECT_TRUE(WaitUntil([&] { return t.Send({0x59, 0x05}, 2000) == linkStatusOk; }, 5s));
}

}  // namespace

namespace {

// The tag of every request line ("<tick>: <tag>: <P|S>: ...") in a trace text, in order.
std::vector<int> RequestTags(const std::string& trace)
{
    std::vector<int> tags;
    std::istringstream lines(trace);
    std::string line;
    while (std::getline(lines, line)) {
        int tick = 0;
        int tag = 0;
        char letter = 0;
        if (std::sscanf(line.c_str(), "%d: %d: %c:", &tick, &tag, &letter) == 3 &&
            (letter == 'P' || letter == 'S'))
            tags.push_back(tag);
    }
    return tags;
}

TEST(SendSync, TagsIncreaseByOneAcrossLinks)
{
    LinkTiming quiet = FastTiming();
    quiet.pollPeriodMs = 600000;
    quiet.firstPollMs = 600000;
    LinkUnderTest first(quiet);
    LinkUnderTest second(quiet);
    ASSERT_EQ(first.Open(), linkStatusOk);
    ASSERT_EQ(second.Open(), linkStatusOk);
    for (int round = 0; round < 3; ++round) {
        ASSERT_EQ(first.Send({0x0C}, 2000, nullptr, cmdTypeProbe, linkDiagLow), linkStatusOk);
        ASSERT_EQ(second.Send({0x0C}, 2000, nullptr, cmdTypeProbe, linkDiagLow), linkStatusOk);
    }
    const std::vector<int> a = RequestTags(first.traces.Text());
    const std::vector<int> b = RequestTags(second.traces.Text());
    ASSERT_EQ(a.size(), 3u);
    ASSERT_EQ(b.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(b[i], a[i] + 1);
        if (i > 0) {
            EXPECT_EQ(a[i], b[i - 1] + 1);
        }
    }
}

}  // namespace
