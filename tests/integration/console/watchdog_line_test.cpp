// The stop watchdog on a real link: a request whose replies are lost twice, on a line that still
// carries frames (the handset's events), moves the line, so a rollback on such a line is never
// ended while its requests wait out their time-outs.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "console/stop_watchdog.h"
#include "efs/efs_packets.h"
#include "support/handset_rig.h"

namespace {

using namespace std::chrono_literals;

TEST(StopWatchdogOnALine, RetriesOfALostReplyKeepItWaiting)
{
    constexpr auto quiet = 600ms;
    constexpr uint32_t attemptMs = 400;  // two lost replies: 800 ms without a completed request
    rig::CHandsetRig handset;
    handset.Connect();
    const EfsRequest request = BuildEfsSpaceRequest();
    handset.Change([&](sim::SimBehaviour& b) {
        b.eventPeriod = 100ms;
        for (unsigned occurrence : {1u, 2u})
            b.chosenReplies.push_back({{request[0], request[1]}, {}, occurrence, sim::SimReplyFault::lose});
    });

    std::atomic<bool> ended{false};
    std::array<uint8_t, 64> reply{};
    int16_t replyLength = static_cast<int16_t>(reply.size());
    LinkStatus status = linkStatusFail;
    {
        CStopWatchdog watchdog([] { return true; }, [&] { ended = true; }, quiet, 20ms);
        status = handset.link->SendSync(static_cast<uint32_t>(request.size()), request.data(),
                                        cmdTypeDiag, attemptMs, attemptMs * 3, &replyLength,
                                        reply.data());
        EXPECT_FALSE(ended.load()) << "ended while the request was still being retried";
    }
    EXPECT_EQ(status, linkStatusOk) << "the third attempt should have been answered";
}

}  // namespace
