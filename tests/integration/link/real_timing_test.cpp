// The product's own time constants, end to end: a few tests that take seconds on purpose.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "link_fixture.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(RealTiming, A2000MsRequestIsTriedThreeTimesAndAn8000MsRequestOnce)
{
    std::atomic<int> seen{0};
    LinkUnderTest t(LinkTiming{});
    CScriptedPeer::Handler handset = t.handset.Handler();
    t.peer = std::make_unique<CScriptedPeer>(t.pty, [&](const PeerRequest& request) {
        if (request.payload == Bytes{0x59, 0x01})
            return ++seen == 3 ? Frame(request.payload) : Bytes();  // third attempt answered
        if (request.payload == Bytes{0x59, 0x02})
            return Bytes();
        return handset(request);
    });
    ASSERT_TRUE(t.OpenReady());

    // The single long attempt comes first: after a request that needed retries, the link
    // first waits out the replies its earlier attempts may still owe.
    auto start = Clock::now();
    EXPECT_EQ(t.Send({0x59, 0x02}, 8000), linkStatusFail);
    const auto oneAttempt = Clock::now() - start;
    EXPECT_GE(oneAttempt, 8000ms);
    EXPECT_LT(oneAttempt, 9500ms);

    start = Clock::now();
    EXPECT_EQ(t.Send({0x59, 0x01}, 2000), linkStatusOk);
    const auto threeAttempts = Clock::now() - start;
    EXPECT_EQ(seen.load(), 3);
    EXPECT_GE(threeAttempts, 4000ms);
    EXPECT_LT(threeAttempts, 6000ms);
    size_t written = 0;
    for (const auto& request : t.peer->Requests())
        written += request.payload == Bytes{0x59, 0x02} ? 1u : 0u;
    EXPECT_EQ(written, 1u);
}

TEST(RealTiming, TheFirstPollComesAtOnceOnOpen)
{
    LinkUnderTest t(LinkTiming{});
    const auto start = Clock::now();
    ASSERT_EQ(t.Open(), linkStatusOk);
    ASSERT_TRUE(t.peer->WaitForRequests(1, 5s));
    const auto firstPoll = Clock::now() - start;
    EXPECT_LT(firstPoll, 300ms);
    // Found within the front ends' connect wait of 25 x 500 ms.
    EXPECT_TRUE(WaitUntil([&] { return t.link->GetPhoneStatus() == phoneStatusReady; },
                          std::chrono::milliseconds(LinkTiming{}.connectPollMs *
                                                    LinkTiming{}.connectPollCount)));
}

TEST(RealTiming, TheConnectWaitEndsAsSoonAsTheHandsetIsReadyAndCountsWholePeriods)
{
    // Detection runs quickly and often, and the handset holds back its basic information until
    // 1.3 s after open: the link turns Ready within a few milliseconds of that moment.
    LinkTiming timing = FastTiming();
    timing.probeReplyMs = 20;
    timing.pollPeriodMs = 20;
    timing.pollIdleMs = 10;
    LinkUnderTest t(timing);
    const auto answersFrom = Clock::now() + 1300ms;
    CScriptedPeer::Handler handset = t.handset.Handler();
    t.peer = std::make_unique<CScriptedPeer>(t.pty, [&](const PeerRequest& request) {
        const bool basicInfo = !request.payload.empty() && request.payload[0] == 0x00;
        return basicInfo && Clock::now() < answersFrom ? Bytes() : handset(request);
    });
    ASSERT_EQ(t.Open(), linkStatusOk);
    int dots = 0;
    const LinkTiming product;
    EXPECT_TRUE(t.link->WaitForPhone([&] { return t.link->GetPhoneStatus() == phoneStatusReady; },
                                     product.connectPollCount, [&] { ++dots; },
                                     product.connectPollMs));
    const auto readyAt = Clock::now();
    EXPECT_EQ(dots, 2);
    EXPECT_GE(readyAt, answersFrom);
    EXPECT_LT(readyAt, answersFrom + 150ms);
}

}  // namespace
