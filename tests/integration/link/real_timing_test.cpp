// The product's own time constants, end to end: tests that take seconds on purpose.
#include <gtest/gtest.h>

#include "link_kit.h"

namespace {

TEST(RealTiming, A2000MsRequestIsTriedThreeTimesAndAn8000MsRequestOnce)
{
    std::atomic<int> first{0}, second{0};
    CScriptedPeer peer([&](const Bytes& request) -> Bytes {
        if (request == Bytes{0x59, 0x01})
            return ++first == 3 ? request : Bytes{};  // the third attempt is answered
        second += request == Bytes{0x59, 0x02};
        return PlainHandset(request);
    });
    const auto link = OpenLink(peer.Port(), LinkTiming{});
    // The single attempt first: after retries the link waits out the replies they may still owe.
    auto start = Clock::now();
    EXPECT_EQ(Send(*link, {0x59, 0x02}, 8000), linkStatusFail);
    const auto oneAttempt = Clock::now() - start;
    // The link counts its time-outs on a millisecond tick, so one may end up to a tick early.
    constexpr auto tick = 1ms;
    EXPECT_GE(oneAttempt, 8000ms - tick);
    EXPECT_LT(oneAttempt, 9500ms);

    start = Clock::now();
    EXPECT_EQ(Send(*link, {0x59, 0x01}, 2000), linkStatusOk);
    const auto threeAttempts = Clock::now() - start;
    EXPECT_EQ(first.load(), 3);
    EXPECT_GE(threeAttempts, 4000ms - 2 * tick);
    EXPECT_LT(threeAttempts, 6000ms);
    EXPECT_EQ(second.load(), 1);
}

TEST(RealTiming, TheFirstPollComesAtOnceOnOpenAndFindsTheHandsetWithinTheConnectWait)
{
    rig::CHandsetRig handset;
    handset.Start();
    CDiagPort link;
    ASSERT_EQ(link.CreateEvents(), linkStatusOk);
    const auto start = Clock::now();
    ASSERT_EQ(link.OpenPort(handset.Port()), linkStatusOk);
    ASSERT_TRUE(handset.host->WaitForRequests(1, 5000ms));
    EXPECT_LT(Clock::now() - start, 300ms);
    // The front ends wait 25 x 500 ms for Ready.
    EXPECT_TRUE(rig::WaitUntil(std::chrono::milliseconds(LinkTiming{}.connectPollMs * LinkTiming{}.connectPollCount),
                               [&] { return link.GetPhoneStatus() == phoneStatusReady; }));
}

TEST(RealTiming, TheConnectWaitEndsAsSoonAsTheHandsetIsReadyAndCountsWholePeriods)
{
    // Quick, frequent detection; the handset holds back its basic information for 1.3 s.
    LinkTiming timing = Quick();
    timing.probeReplyMs = 20;
    timing.pollPeriodMs = 20;
    timing.pollIdleMs = 10;
    const auto answersFrom = Clock::now() + 1300ms;
    CScriptedPeer peer([&](const Bytes& request) {
        return request[0] == 0x00 && Clock::now() < answersFrom ? Bytes{} : PlainHandset(request);
    });
    const auto link = OpenLink(peer.Port(), timing, false);
    int dots = 0;
    const LinkTiming product;
    EXPECT_TRUE(link->Detection().WaitForPhone([&] { return link->GetPhoneStatus() == phoneStatusReady; },
                                   product.connectPollCount, [&] { ++dots; }, product.connectPollMs));
    const auto readyAt = Clock::now();
    EXPECT_EQ(dots, 2);
    EXPECT_GE(readyAt, answersFrom);
    EXPECT_LT(readyAt, answersFrom + 150ms);
}

}  // namespace
