// Opening and closing the link: names that cannot open, a port in use, a handset that is
// unplugged, closing with senders waiting, and senders giving up as their replies arrive.
#include <gtest/gtest.h>

#include "link_kit.h"

namespace {

TEST(LinkOpen, EmptyMissingAndNonTerminalNamesFailWithoutThreads)
{
    const auto threads = [] {
        using Tasks = std::filesystem::directory_iterator;
        return std::distance(Tasks("/proc/self/task"), Tasks());
    };
    rig::CScratch scratch;
    rig::WritePcFile(scratch.Path() / "plain", {1});
    for (const std::string& name : {std::string(), (scratch.Path() / "missing").string(), (scratch.Path() / "plain").string(),
                                   std::string(300, 'x')}) {
        CDiagPort link(Quick());
        CTraces traces(link);
        ASSERT_EQ(link.CreateEvents(), linkStatusOk);
        const auto threadsBefore = threads();
        EXPECT_EQ(link.OpenPort(name), linkStatusFail) << name;
        EXPECT_FALSE(link.IsRunning());
        EXPECT_EQ(threads(), threadsBefore);
        EXPECT_EQ(traces.Count(name.empty() ? "Need a port name to open a port\n" : "Failed to open the Port "), 1u);
        EXPECT_EQ(Send(link, {0x0C}, 100, nullptr, cmdTypeProbe, linkDiagLow), linkStatusFail);
    }
}

TEST(LinkClose, AnUnpluggedHandsetNeitherKeepsTheStatusReadyNorMakesTheLinkSpin)
{
    rig::CHandsetRig handset;
    const auto link = OpenLink(handset.Port());
    handset.Unplug();
    ASSERT_TRUE(rig::WaitUntil(10s, [&] { return link->GetPhoneStatus() == phoneStatusNone; }));
    const auto cpuBefore = std::clock();
    const auto wallBefore = Clock::now();
    std::this_thread::sleep_for(500ms);  // idle cost needs an interval to show
    const double cpu = static_cast<double>(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
    EXPECT_LT(cpu / std::chrono::duration<double>(Clock::now() - wallBefore).count(), 0.25);
    EXPECT_EQ(Send(*link, {0x59, 0x0C}, 200), linkStatusPhoneNotReady);
}

TEST(LinkClose, ClosingWithSendersWaitingWakesThemAtOnceAndReleasesTheirRecordsAndThePort)
{
    const long recordsBefore = CDiagCommand::LiveCount();
    rig::CHandsetRig handset;
    auto link = OpenLink(handset.Port());
    CDiagPort second(Quick());
    EXPECT_FALSE(Opens(second, handset.Port())) << "the port is in use";
    EXPECT_FALSE(Opens(*link, handset.Port())) << "a link opens only once";
    handset.Change([](sim::SimBehaviour& b) { b.silent = true; });  // the first stays on the wire
    const size_t mark = handset.LogSize();
    std::vector<LinkStatus> results(6, linkStatusOk);
    std::vector<std::thread> senders;
    for (size_t i = 0; i < results.size(); ++i)
        senders.emplace_back([&, i] { results[i] = Send(*link, {0x59, 0x0C}, 30000); });
    ASSERT_TRUE(rig::WaitUntil(5s, [&] { return !handset.EfsRequestsSince(mark).empty() && link->QueuedCommands() == 5; }));
    const auto start = Clock::now();
    EXPECT_EQ(link->ClosePort(), linkStatusOk);
    for (auto& sender : senders)
        sender.join();
    EXPECT_LT(Clock::now() - start, 1s);
    EXPECT_EQ(results, std::vector<LinkStatus>(6, linkStatusTimeout));
    link.reset();
    EXPECT_EQ(CDiagCommand::LiveCount(), recordsBefore);
    CDiagPort again(Quick());
    EXPECT_TRUE(Opens(again, handset.Port())) << "the port was closed";
}

// Replies land around the senders' 20 ms deadline: every record must be released exactly once
// (AddressSanitizer, the live-record count), the handshake free of data races (ThreadSanitizer),
// and no reply may reach another request's sender.
TEST(AbandonRace, SendersTimingOutWhileTheWriterCompletesReleaseEveryRecordOnce)
{
    const long recordsBefore = CDiagCommand::LiveCount();
    LinkTiming timing = Quick();
    timing.senderSlackMs = 0;  // the sender gives up exactly at its time-out
    {
        rig::CHandsetRig handset;
        handset.Start([](sim::SimBehaviour& b) {
            b.replyDelayMax = 30ms;
            b.replySeed = 7;
        });
        const auto link = OpenLink(handset.Port(), timing);
        CTraces traces(*link);
        std::atomic<int> succeeded{0}, timedOut{0};
        std::vector<std::thread> senders;
        for (int s = 0; s < 4; ++s)
            senders.emplace_back([&, s] {
                for (int i = 0; i < 40; ++i) {
                    // Two kinds of request, whose replies differ in their second byte.
                    const Bytes request = (s + i) % 2 ? Bytes{0x59, 0x0C} : Bytes{0x59, 0x02, 0x01, 0x00};
                    Bytes reply;
                    const LinkStatus status = Send(*link, request, 20, &reply, cmdTypeDiag, 40, 64);
                    if (status == linkStatusOk) {
                        EXPECT_TRUE(++succeeded && reply.size() >= 2 && reply[1] == request[1]) << "another request's reply";
                    } else {
                        EXPECT_TRUE(++timedOut && (status == linkStatusTimeout || status == linkStatusFail ||
                                                   status == linkStatusPhoneNotReady)) << status;
                    }
                }
            });
        for (auto& sender : senders)
            sender.join();
        EXPECT_GT(succeeded.load(), 0);
        EXPECT_GT(timedOut.load(), 0);
        EXPECT_GT(traces.Count("has abandoned"), 0u);
    }
    EXPECT_EQ(CDiagCommand::LiveCount(), recordsBefore);
}

}  // namespace
