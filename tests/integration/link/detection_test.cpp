#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "link_fixture.h"

namespace {

using namespace std::chrono_literals;

// A request as "<code>@<baud>", "AT@<baud>" for the modem text, "hello@<baud>" for the
// stream-download hello.
std::string Describe(const PeerRequest& request)
{
    std::string what;
    if (request.raw)
        what = "AT";
    else if (request.payload.size() == 36 && request.payload[0] == 0x01)
        what = "hello";
    else
        what = std::to_string(request.payload[0]);
    return what + "@" + std::to_string(request.baud);
}

std::vector<std::string> Sequence(CScriptedPeer& peer, size_t count)
{
    std::vector<std::string> sequence;
    for (const auto& request : peer.Requests())
        if (sequence.size() < count)
            sequence.push_back(Describe(request));
    return sequence;
}

TEST(Detection, AHandsetAt38400IsFoundThenSwitchedTo115200ByReadBasicInfo)
{
    LinkUnderTest t;
    t.handset.speaks115200 = false;
    ASSERT_TRUE(t.OpenReady());
    EXPECT_EQ(t.link->GetPhoneMode(), modeDiagnostic);
    EXPECT_EQ(t.link->GetCurrentRate(), 115200u);
    EXPECT_EQ(Sequence(*t.peer, 3), (std::vector<std::string>{"12@38400", "92@38400", "0@115200"}));
    // Requests now travel at 115200.
    ASSERT_EQ(t.Send({0x59, 0x0C}, 2000), linkStatusOk);
    EXPECT_EQ(t.peer->Requests().back().baud, 115200u);
}

TEST(Detection, AHandsetAt115200OnlyIsFoundOnTheFirstPoll)
{
    LinkUnderTest t;
    t.handset.speaks38400 = false;
    ASSERT_TRUE(t.OpenReady());
    EXPECT_EQ(t.link->GetCurrentRate(), 115200u);
    EXPECT_EQ(Sequence(*t.peer, 5), (std::vector<std::string>{"12@38400", "12@38400", "12@38400",
                                                              "12@115200", "0@115200"}));
}

TEST(Detection, WithoutAHandsetEachPollTriesEveryProbeInOrderAndStatusStaysNone)
{
    // The peer notes the rate when it has read a request; slower attempts leave it time to
    // do so before the next probe switches the rate, even on a loaded machine.
    LinkTiming timing = FastTiming();
    timing.probeReplyMs = 300;
    timing.modemReplyMs = 150;
    LinkUnderTest t(timing);
    t.handset.silent = true;
    ASSERT_EQ(t.Open(), linkStatusOk);
    ASSERT_TRUE(t.peer->WaitForRequests(21, 20s));
    std::vector<std::string> expected;
    for (const char* probe : {"12@38400", "12@115200", "AT@19200", "AT@115200", "6@115200", "hello@115200"})
        for (int attempt = 0; attempt < 3; ++attempt)
            expected.push_back(probe);
    // The next poll starts at the rate the last one ended at.
    for (int attempt = 0; attempt < 3; ++attempt)
        expected.push_back("12@115200");
    EXPECT_EQ(Sequence(*t.peer, 21), expected);
    EXPECT_EQ(t.link->GetPhoneStatus(), phoneStatusNone);
    EXPECT_EQ(t.link->GetPhoneMode(), modeNone);
    const auto requests = t.peer->Requests();
    EXPECT_TRUE(requests[12].openingFlag);
    EXPECT_TRUE(requests[15].openingFlag);
    EXPECT_FALSE(requests[0].openingFlag);
    EXPECT_EQ(requests[6].payload, (Bytes{'A', 'T', '$', 'K', 'T', 'D', 'M', 'G', '\r'}));
    EXPECT_EQ(t.link->Stats().atCommands.load(), 2);
}

TEST(Detection, OnlyA48ByteStatusReplyCounts)
{
    for (const size_t length : {size_t{47}, size_t{49}}) {
        LinkUnderTest t;
        t.handset.statusLength = length;
        ASSERT_EQ(t.Open(), linkStatusOk);
        // A whole poll has run once the stream hello went out.
        ASSERT_TRUE(WaitUntil([&] {
            for (const auto& request : t.peer->Requests())
                if (Describe(request) == "hello@115200")
                    return true;
            return false;
        }, 20s)) << length;
        EXPECT_EQ(t.link->GetPhoneStatus(), phoneStatusNone) << length;
        t.handset.statusLength = 48;
        EXPECT_TRUE(WaitUntil([&] { return t.link->GetPhoneStatus() == phoneStatusReady; }, 20s));
    }
}

TEST(Detection, ModeWordsTwoAndSixMeanOffline)
{
    LinkUnderTest t;
    t.handset.modeWord = 2;
    ASSERT_TRUE(t.OpenReady());
    EXPECT_EQ(t.link->GetPhoneMode(), modeDiagnosticOffline);
    t.handset.modeWord = 1;
    EXPECT_TRUE(WaitUntil([&] { return t.link->GetPhoneMode() == modeDiagnostic; }, 10s));
    t.handset.modeWord = 6;
    EXPECT_TRUE(WaitUntil([&] { return t.link->GetPhoneMode() == modeDiagnosticOffline; }, 10s));
    t.handset.modeWord = 0x0102;
    EXPECT_TRUE(WaitUntil([&] { return t.link->GetPhoneMode() == modeDiagnostic; }, 10s));
    EXPECT_EQ(t.link->GetPhoneStatus(), phoneStatusReady);
}

TEST(Detection, AHandsetThatDropsOutMakesLaterRequestsFailAtOnce)
{
    LinkUnderTest t;
    ASSERT_TRUE(t.OpenReady());
    t.handset.silent = true;
    // The failed request asks the polling thread for a check, which finds no handset.
    EXPECT_EQ(t.Send({0x59, 0x0C}, 100), linkStatusFail);
    ASSERT_TRUE(WaitUntil([&] { return t.link->GetPhoneStatus() == phoneStatusNone; }, 10s));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(t.Send({0x59, 0x0C}, 2000), linkStatusPhoneNotReady);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);
    t.handset.silent = false;
    EXPECT_TRUE(WaitUntil([&] { return t.link->GetPhoneStatus() == phoneStatusReady; }, 20s));
}

TEST(Detection, NoPollRunsWhileACommandIsInProgressOrQueued)
{
    std::atomic<bool> holding{false};
    std::atomic<bool> release{false};
    LinkUnderTest t;
    CScriptedPeer::Handler handset = t.handset.Handler();
    t.peer = std::make_unique<CScriptedPeer>(t.pty, [&](const PeerRequest& request) {
        if (request.payload == Bytes{0x59, 0x01}) {
            holding = true;
            WaitUntil([&] { return release.load(); }, 10s);
        }
        return handset(request);
    });
    ASSERT_TRUE(t.OpenReady());
    std::thread first([&] { EXPECT_EQ(t.Send({0x59, 0x01}, 3000), linkStatusOk); });
    ASSERT_TRUE(WaitUntil([&] { return holding.load(); }, 5s));
    std::thread second([&] { EXPECT_EQ(t.Send({0x59, 0x02}, 3000), linkStatusOk); });
    ASSERT_TRUE(WaitUntil([&] { return t.link->QueuedCommands() == 1; }, 5s));
    const size_t before = t.peer->RequestCount();
    // Several poll periods pass with one command on the wire and one queued.
    std::this_thread::sleep_for(std::chrono::milliseconds(5 * FastTiming().pollPeriodMs));
    EXPECT_EQ(t.peer->RequestCount(), before);
    release = true;
    first.join();
    second.join();
    // Once idle again, the polls resume.
    EXPECT_TRUE(t.peer->WaitForRequests(before + 3, 5s));
}

TEST(Detection, ADataPhoneIsSwitchedToDiagnosticModeByTheModemCommand)
{
    LinkUnderTest t;
    t.handset.dataPhone = true;
    ASSERT_TRUE(t.OpenReady());
    EXPECT_EQ(t.link->GetPhoneMode(), modeDiagnostic);
    EXPECT_TRUE(t.traces.WaitFor("Data phone found and put into Diag mode...\n", 1s));
}

TEST(Detection, DownloadAndStreamDownloadModesAreFoundAndProbedFirstAfterwards)
{
    {
        LinkUnderTest t;
        t.handset.downloadMode = true;
        ASSERT_TRUE(t.OpenReady());
        EXPECT_EQ(t.link->GetPhoneMode(), modeDownload);
        const size_t seen = t.peer->RequestCount();
        ASSERT_TRUE(t.peer->WaitForRequests(seen + 1, 5s));
        EXPECT_EQ(Describe(t.peer->Requests()[seen]), "6@115200");
    }
    {
        LinkUnderTest t;
        t.handset.streamMode = true;
        ASSERT_TRUE(t.OpenReady());
        EXPECT_EQ(t.link->GetPhoneMode(), modeStreamDownload);
        const size_t seen = t.peer->RequestCount();
        ASSERT_TRUE(t.peer->WaitForRequests(seen + 1, 5s));
        EXPECT_EQ(Describe(t.peer->Requests()[seen]), "hello@115200");
    }
}

}  // namespace
