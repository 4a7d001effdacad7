// Senders that give up at the very moment the writer completes their commands: every record
// must be released exactly once (AddressSanitizer, the live-record count) and the handshake
// must be free of data races (ThreadSanitizer).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>
#include <vector>

#include "link_fixture.h"

namespace {

using namespace std::chrono_literals;

TEST(AbandonRace, SendersTimingOutWhileTheWriterCompletesReleaseEveryRecordOnce)
{
    const long recordsBefore = CDiagCommand::LiveCount();
    LinkTiming timing = FastTiming();
    timing.senderSlackMs = 0;  // the sender gives up exactly at its time-out
    std::atomic<int> answered{0};
    {
        LinkUnderTest t(timing);
        CScriptedPeer::Handler handset = t.handset.Handler();
        std::mt19937 random(7);
        std::mutex randomLock;
        t.peer = std::make_unique<CScriptedPeer>(t.pty, [&](const PeerRequest& request) {
            if (request.payload[0] != 0x59)
                return handset(request);
            int delayMs = 0;
            {
                std::lock_guard guard(randomLock);
                delayMs = static_cast<int>(random() % 30);
            }
            // Replies land around the senders' 20 ms deadline.
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
            ++answered;
            return Frame(request.payload);
        });
        ASSERT_TRUE(t.OpenReady());

        std::atomic<int> succeeded{0};
        std::atomic<int> timedOut{0};
        std::atomic<int> wrong{0};
        std::vector<std::thread> senders;
        for (int s = 0; s < 4; ++s)
            senders.emplace_back([&, s] {
                for (int i = 0; i < 40; ++i) {
                    const Bytes request{0x59, static_cast<uint8_t>(s), static_cast<uint8_t>(i)};
                    Bytes reply;
                    // Per-attempt time-out 40 ms (detail), sender's wait 20 ms.
                    int16_t length = 16;
                    Bytes buffer(16);
                    const LinkStatus status =
                        t.link->SendSync(3, request.data(), cmdTypeDiag, 40, 20, &length, buffer.data());
                    if (status == linkStatusOk) {
                        ++succeeded;
                        buffer.resize(static_cast<size_t>(length));
                        if (buffer != request)
                            ++wrong;
                    } else if (status == linkStatusTimeout || status == linkStatusFail ||
                               status == linkStatusPhoneNotReady) {
                        ++timedOut;
                    } else {
                        ++wrong;
                    }
                }
            });
        for (auto& sender : senders)
            sender.join();
        EXPECT_EQ(wrong.load(), 0);
        EXPECT_EQ(succeeded + timedOut, 160);
        EXPECT_GT(timedOut.load(), 0);
        EXPECT_GT(t.traces.Count("has abandoned"), 0u);
    }
    EXPECT_GT(answered.load(), 0);
    EXPECT_EQ(CDiagCommand::LiveCount(), recordsBefore);
}

TEST(AbandonRace, ClosingWithSendersWaitingReleasesTheirRecordsAndWakesThem)
{
    const long recordsBefore = CDiagCommand::LiveCount();
    std::vector<LinkStatus> results(6, linkStatusOk);
    {
        LinkUnderTest t;
        CScriptedPeer::Handler handset = t.handset.Handler();
        std::atomic<bool> hold{false};
        t.peer = std::make_unique<CScriptedPeer>(t.pty, [&](const PeerRequest& request) {
            if (request.payload[0] == 0x59) {
                hold = true;
                return Bytes();  // never answered: the command stays on the wire
            }
            return handset(request);
        });
        ASSERT_TRUE(t.OpenReady());
        std::vector<std::thread> senders;
        for (size_t i = 0; i < results.size(); ++i)
            senders.emplace_back([&, i] { results[i] = t.Send({0x59, static_cast<uint8_t>(i)}, 5000); });
        ASSERT_TRUE(WaitUntil([&] { return hold.load() && t.link->QueuedCommands() == 5; }, 5s));
        EXPECT_EQ(t.link->ClosePort(), linkStatusOk);
        for (auto& sender : senders)
            sender.join();
    }
    for (const LinkStatus result : results)
        EXPECT_EQ(result, linkStatusTimeout);
    EXPECT_EQ(CDiagCommand::LiveCount(), recordsBefore);
}

}  // namespace
