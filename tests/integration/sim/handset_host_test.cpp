// The virtual handset on a real pseudo-terminal: replies, line rates, wire behaviours, stop.
#include <gtest/gtest.h>

#include <array>

#include "link/frame_codec.h"
#include "pty_client.h"
#include "sim/demo_tree.h"
#include "sim/handset_host.h"

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;
using simtest::CPtyClient;

namespace {

constexpr auto replyWait = 3000ms;

class HandsetHostTest : public ::testing::Test {
protected:
    void Start(sim::SimBehaviour behaviour = {})
    {
        std::string error;
        host = sim::CHandsetHost::Start(std::make_unique<sim::CHandsetModel>(sim::MakeDemoFileSystem(), behaviour),
                                        &error);
        ASSERT_NE(host, nullptr) << error;
        ASSERT_TRUE(client.Open(host->SlavePath()));
    }

    // Waits until the host has heard count requests in all, and returns the last one's record.
    sim::SimRequestRecord Heard(size_t count)
    {
        EXPECT_TRUE(host->WaitForRequests(count, replyWait));
        const auto log = host->RequestLog();
        return log.empty() ? sim::SimRequestRecord{} : log.back();
    }

    std::unique_ptr<sim::CHandsetHost> host;
    CPtyClient client;
};

TEST_F(HandsetHostTest, AFrameWrittenToTheSlaveGetsItsReplyAndIsLogged)
{
    Start();
    ASSERT_TRUE(client.WriteFrame({0x0C}));
    const auto reply = client.ReadFrame(replyWait);
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->size(), 48u);
    EXPECT_EQ(reply->at(0), 0x0C);

    const auto record = Heard(1);
    EXPECT_EQ(record.payload, (Bytes{0x0C}));
    EXPECT_EQ(record.baud, 38400u);
    EXPECT_TRUE(record.framed);
    EXPECT_EQ(record.fate, sim::SimReplyFate::answered);

    // A reopened port is served as before.
    ASSERT_TRUE(client.Open(host->SlavePath()));
    ASSERT_TRUE(client.WriteFrame({0x59, 0x0C}));
    const auto space = client.ReadFrame(replyWait);
    ASSERT_TRUE(space.has_value());
    EXPECT_EQ(space->size(), 11u);
}

TEST_F(HandsetHostTest, ARateItDoesNotSpeakIsHeardButNotAnswered)
{
    sim::SimBehaviour behaviour;
    behaviour.speeds = sim::SimSpeeds::only115200;
    Start(behaviour);
    EXPECT_EQ(host->LineRate(), 38400u);
    ASSERT_TRUE(client.WriteFrame({0x0C}));
    const auto unheard = Heard(1);
    EXPECT_EQ(unheard.baud, 38400u);
    EXPECT_EQ(unheard.fate, sim::SimReplyFate::unanswered);

    ASSERT_TRUE(client.SetSpeed(115200));
    EXPECT_EQ(host->LineRate(), 115200u) << "the master shows the slave's rate";
    ASSERT_TRUE(client.WriteFrame({0x00}));
    const auto reply = client.ReadFrame(replyWait);
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->at(0), 0x00) << "the first reply belongs to the second request";
    EXPECT_EQ(Heard(2).baud, 115200u);
}

TEST_F(HandsetHostTest, RateSwitchMovesTheHandsetTo115200)
{
    Start();
    ASSERT_TRUE(client.WriteFrame({0x5C, 0x01, 0x00, 0xC2, 0x01, 0x00}));
    auto reply = client.ReadFrame(replyWait);
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(Bytes(reply->begin(), reply->begin() + 3), (Bytes{0x5C, 0x01, 0x01}));

    ASSERT_TRUE(client.WriteFrame({0x0C}));  // still at 38400: no longer understood
    EXPECT_EQ(Heard(2).fate, sim::SimReplyFate::unanswered);
    ASSERT_TRUE(client.SetSpeed(115200));
    ASSERT_TRUE(client.WriteFrame({0x0C}));
    reply = client.ReadFrame(replyWait);
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->size(), 48u);
}

TEST_F(HandsetHostTest, StopsPromptlyEvenInsideALongReplyDelay)
{
    Start();
    host->UpdateBehaviour([](sim::SimBehaviour& b) { b.replyDelay = 30000ms; });
    ASSERT_TRUE(client.WriteFrame({0x0C}));
    Heard(1);
    const auto start = std::chrono::steady_clock::now();
    host->Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1000ms);
    host.reset();
}

TEST_F(HandsetHostTest, DataPhoneAnswersTheModemCommandThenDm)
{
    sim::SimBehaviour behaviour;
    behaviour.dataPhone = true;
    Start(behaviour);
    ASSERT_TRUE(client.WriteFrame({0x0C}));
    ASSERT_TRUE(client.SetSpeed(19200));
    ASSERT_TRUE(client.WriteRaw("AT$KTDMG\r"));
    const std::string answer = client.ReadUntil("OK\r\n", replyWait);
    EXPECT_NE(answer.find("OK\r\n"), std::string::npos) << answer;
    const auto modem = Heard(1);
    EXPECT_FALSE(modem.framed);

    ASSERT_TRUE(client.SetSpeed(38400));
    ASSERT_TRUE(client.WriteFrame({0x0C}));
    const auto reply = client.ReadFrame(replyWait);
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->size(), 48u);
}

TEST_F(HandsetHostTest, DownloadModePhoneAnswersTheProbeWithAnOpeningFlag)
{
    sim::SimBehaviour behaviour;
    behaviour.downloadMode = sim::SimDownloadMode::download;
    Start(behaviour);
    ASSERT_TRUE(client.SetSpeed(115200));
    ASSERT_TRUE(client.WriteRaw(std::string("\x7E\x06\x4E\x95\x7E", 5)));
    const Bytes ack{0x02};
    std::array<uint8_t, frameWorkAreaSize> frame{};
    const size_t length = EncodeFrame(ack.data(), ack.size(), frame.data(), false);
    const std::string expected(frame.begin(), frame.begin() + static_cast<long>(length));
    EXPECT_EQ(expected[0], '\x7E');
    EXPECT_EQ(client.ReadUntil(expected, replyWait), expected);

    ASSERT_TRUE(client.SetSpeed(38400));
    ASSERT_TRUE(client.WriteFrame({0x06}, true));
    EXPECT_EQ(Heard(2).fate, sim::SimReplyFate::unanswered) << "the download protocol runs at 115200";
}

}  // namespace

namespace {

TEST_F(HandsetHostTest, ThrottledHandsetTakesRequestsInAtTheLineRate)
{
    sim::SimBehaviour behaviour;
    behaviour.throttle = true;
    Start(behaviour);
    ASSERT_TRUE(client.SetSpeed(38400));
    // 1,920 bytes of a broken frame, then a status request: a 38400-baud line carries them in
    // half a second, so the reply cannot come sooner.
    const auto sent = std::chrono::steady_clock::now();
    ASSERT_TRUE(client.WriteRaw(std::string(1919, 'x') + "\x7e"));
    ASSERT_TRUE(client.WriteFrame({0x0C}));
    const auto reply = client.ReadFrame(replyWait);
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->size(), 48u);
    EXPECT_GE(std::chrono::steady_clock::now() - sent, 500ms);
}

}  // namespace
