#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "link_fixture.h"

namespace {

using namespace std::chrono_literals;

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// A peer whose answers to EFS requests the test chooses, byte for byte.
struct RawAnswerPeer {
    std::mutex lock;
    std::vector<Bytes> chunks;  // written one after another, each as its own write

    CScriptedPeer::Handler Wrap(CScriptedPeer::Handler handset, CPtyPair& pty)
    {
        return [this, handset, &pty](const PeerRequest& request) {
            if (request.payload[0] != 0x59)
                return handset(request);
            std::vector<Bytes> now;
            {
                std::lock_guard guard(lock);
                now.swap(chunks);
            }
            for (size_t i = 0; i + 1 < now.size(); ++i) {
                SendToLink(pty, now[i]);
                std::this_thread::sleep_for(20ms);  // a separate read on the other side
            }
            return now.empty() ? Bytes() : now.back();
        };
    }
    void Script(std::vector<Bytes> next)
    {
        std::lock_guard guard(lock);
        chunks = std::move(next);
    }
};

class Routing : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.peer = std::make_unique<CScriptedPeer>(t.pty, answers.Wrap(t.handset.Handler(), t.pty));
        ASSERT_TRUE(t.OpenReady());
    }

    RawAnswerPeer answers;  // outlives the peer thread inside t
    LinkUnderTest t;
};

TEST_F(Routing, RepliesSurviveNeighboursSplitsNoiseAndCorruptFrames)
{
    const Bytes split = Frame({0x59, 0x01, 0x02, 0x03, 0x04});
    Bytes corrupt = Frame({0x59, 0x01, 0x66});
    corrupt[2] ^= 0x40;
    struct Case {
        const char* what;
        std::vector<Bytes> chunks;  // one read each
        Bytes reply;
    };
    const std::vector<Case> cases = {
        {"another frame first in the same read",
         {Concat({Frame({0x10, 0x01}), Frame({0x59, 0x01, 0x11})})}, {0x59, 0x01, 0x11}},
        {"split across reads", {Bytes(split.begin(), split.begin() + 3), Bytes(split.begin() + 3, split.end())},
         {0x59, 0x01, 0x02, 0x03, 0x04}},
        {"7E 7E, noise, a corrupt frame",
         {Concat({Bytes{0x7E, 0x7E}, Bytes(3000, 0x41), Bytes{0x7E}, corrupt, Frame({0x59, 0x01, 0x77})})},
         {0x59, 0x01, 0x77}},
        // 3000 flagless bytes over two reads are thrown away whole, not prefixed to the reply.
        {"noise without flags", {Bytes(1500, 0x41), Bytes(1500, 0x42), Frame({0x59, 0x01, 0x55})},
         {0x59, 0x01, 0x55}},
    };
    for (const Case& c : cases) {
        answers.Script(c.chunks);
        Bytes reply;
        ASSERT_EQ(t.Send({0x59, 0x01}, 1000, &reply), linkStatusOk) << c.what;
        EXPECT_EQ(reply, c.reply) << c.what;
    }
}

TEST(RoutingByKind, UnsolicitedDiagnosticPacketsGoToTheHookOrAreTracedAsDropped)
{
    LinkTiming quiet = FastTiming();
    quiet.pollPeriodMs = 600000;
    quiet.firstPollMs = 600000;
    LinkUnderTest t(quiet);
    ASSERT_EQ(t.Open(), linkStatusOk);
    // One probe applies the diagnostic setting, so the receive thread reads from then on.
    ASSERT_EQ(t.Send({0x0C}, 2000, nullptr, cmdTypeProbe, linkDiagLow), linkStatusOk);
    t.peer->Send(Frame({0x10, 0x02}));
    t.peer->Send(Frame({0x4B, 0x05}));
    EXPECT_TRUE(t.traces.WaitFor("DM Packet is dropped 75\n", 5s));
    EXPECT_EQ(t.traces.Count("DM Packet is dropped 16\n"), 0u);
    EXPECT_EQ(t.traces.Count("\t\t\tR: "), 3u) << "both packets were received and traced";
}

TEST(RoutingByKind, DownloadTakesAnyReplyAndStreamDownloadSwitchesTheMode)
{
    LinkTiming quiet = FastTiming();
    quiet.pollPeriodMs = 600000;
    quiet.firstPollMs = 600000;
    LinkUnderTest t(quiet, [](const PeerRequest& request) {
        if (request.payload[0] == 0x06)
            return Frame({0x33, 0x01}, true);  // any first byte is the reply to a download command
        if (request.payload[0] == 0x01)
            return Frame({0x02, 0x09}, true);
        return Bytes();
    });
    ASSERT_EQ(t.Open(), linkStatusOk);
    Bytes reply;
    ASSERT_EQ(t.Send({0x06}, 2000, &reply, cmdTypeProbe, linkDownload), linkStatusOk);
    EXPECT_EQ(reply, (Bytes{0x33, 0x01}));
    const auto requests = t.peer->Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_TRUE(requests.back().openingFlag);
    EXPECT_EQ(requests.back().baud, 115200u);

    EXPECT_EQ(t.link->GetPhoneStatus(), phoneStatusNone);
    ASSERT_EQ(t.Send({0x01, 0x02}, 2000, &reply, cmdTypeProbe, linkStreamDownload), linkStatusOk);
    EXPECT_EQ(reply, (Bytes{0x02, 0x09}));
    EXPECT_EQ(t.link->GetPhoneMode(), modeStreamDownload);
    EXPECT_EQ(t.link->GetPhoneStatus(), phoneStatusReady);
}

}  // namespace
