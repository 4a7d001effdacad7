// The virtual handset on a real pseudo-terminal: which requests it answers at which line rate
// in each of its modes, stop, and throttling.
#include <gtest/gtest.h>

#include "sim/sim_protocol.h"
#include "support/handset_rig.h"

using namespace std::chrono_literals;
using rig::Bytes;

namespace {

constexpr auto replyWait = 3000ms;

// One request sent at baud: a frame of payload, or text sent as it is. The answer is a frame
// starting replyStart (of replySize bytes unless 0), or text holding replyText; neither means
// the handset hears the request and leaves it unanswered.
struct Step {
    uint32_t baud = 38400;
    Bytes payload = {};
    std::string text = {};
    Bytes replyStart = {};
    size_t replySize = 0;
    std::string replyText = {};
    bool openingFlag = false;
};

struct HostCase {
    const char* name;
    rig::BehaviourChange behaviour;
    std::vector<Step> steps;
};

const Bytes status{0x0C};
const Bytes switchTo115200{0x5C, 0x01, 0x00, 0xC2, 0x01, 0x00};
const Bytes streamHello = [] {
    Bytes hello{0x01};
    hello.insert(hello.end(), sim::streamHelloMagic, sim::streamHelloMagic + 32);
    hello.insert(hello.end(), {0x02, 0x02, 0x01});
    return hello;
}();
const std::string downloadAck = [] {
    const Bytes frame = rig::Frame({0x02}, true);
    return std::string(frame.begin(), frame.end());
}();

const HostCase hostCases[] = {
    {"DiagnosticAt38400",
     {},
     {{38400, status, {}, status, 48},
      {38400, {0x59, 0x0C}, {}, {0x59, 0x0C}, 11},
      {38400, {0x0C, 0x00}, {}, {0x15}},  // bad length
      {38400, {0x29, 0x01}, {}, {0x15}},
      {38400, {0x29, 0x07, 0x00}, {}, {0x14}},  // bad parameters
      {38400, {0x4B, 0x01}, {}, {0x13, 0x4B, 0x01}},  // unknown command
      {38400, {0x29, 0x01, 0x00}, {}, {0x29, 0x01, 0x00}}}},
    {"WithoutEfs", [](sim::SimBehaviour& b) { b.noEfs = true; }, {{38400, {0x59, 0x0C}, {}, {0x13, 0x59, 0x0C}}}},
    {"Only115200", [](sim::SimBehaviour& b) { b.speeds = sim::SimSpeeds::only115200; },
     {{38400, status, {}, {}}, {38400, switchTo115200, {}, {}}, {115200, {0x00}, {}, {0x00}}}},
    {"Only38400RefusesTheSwitch", [](sim::SimBehaviour& b) { b.speeds = sim::SimSpeeds::only38400; },
     {{38400, switchTo115200, {}, {0x5C, 0x01, 0x00, 0x00}}, {115200, status, {}, {}}, {38400, status, {}, status}}},
    {"RateSwitchLeaves38400",
     {},
     {{38400, switchTo115200, {}, {0x5C, 0x01, 0x01}},
      {38400, status, {}, {}},
      {115200, status, {}, status, 48},
      {115200, {0x06}, {}, {0x13, 0x06}}}},  // no download probe answer in diagnostic mode
    {"DataPhoneAfterTheModemSwitch", [](sim::SimBehaviour& b) { b.dataPhone = true; },
     {{19200, {}, "AT+FOO\r", {}, 0, "\r\nERROR\r\n"},
      {19200, {}, "xx~AT$KTDMG\r", {}, 0, "\r\nOK\r\n"},
      {38400, status, {}, status, 48}}},
    {"DownloadModeAnswersOnlyItsProbe",
     [](sim::SimBehaviour& b) { b.downloadMode = sim::SimDownloadMode::download; },
     {{115200, {}, std::string("\x7E\x06\x4E\x95\x7E", 5), {}, 0, downloadAck},
      {38400, {0x06}, {}, {}, 0, {}, true},
      {115200, status, {}, {}}}},
    {"StreamDownloadAnswersOnlyItsHello",
     [](sim::SimBehaviour& b) { b.downloadMode = sim::SimDownloadMode::streamDownload; },
     {{115200, {0x06}, {}, {}}, {115200, streamHello, {}, {0x02}}}},
};

class HandsetHost : public ::testing::TestWithParam<HostCase> {
protected:
    void Start(const rig::BehaviourChange& behaviour = {})
    {
        ASSERT_NO_FATAL_FAILURE(handset.Start(behaviour));
        ASSERT_TRUE(client.Open(handset.Port()));
    }

    rig::CHandsetRig handset;
    rig::CRawClient client;
};

TEST_P(HandsetHost, AnswersWhatItSpeaksAndLogsEveryRequest)
{
    ASSERT_NO_FATAL_FAILURE(Start(GetParam().behaviour));
    size_t heard = 0;
    for (const Step& step : GetParam().steps) {
        SCOPED_TRACE(heard);
        ASSERT_TRUE(client.SetSpeed(step.baud));
        ASSERT_TRUE(step.payload.empty() ? client.WriteRaw(step.text) : client.WriteFrame(step.payload, step.openingFlag));
        ASSERT_TRUE(handset.host->WaitForRequests(++heard, replyWait));
        const sim::SimRequestRecord record = handset.host->RequestLog().back();
        EXPECT_EQ(record.baud, step.baud);
        EXPECT_EQ(record.framed, step.text.find("AT") == std::string::npos) << "only modem text is not a frame";
        if (!step.replyText.empty()) {
            const std::string answer = client.ReadUntil(step.replyText, replyWait);
            EXPECT_NE(answer.find(step.replyText), std::string::npos) << answer;
        } else if (!step.replyStart.empty()) {
            const auto reply = client.ReadFrame(replyWait);
            ASSERT_TRUE(reply.has_value());
            EXPECT_EQ(Bytes(reply->begin(), reply->begin() + static_cast<long>(std::min(reply->size(), step.replyStart.size()))),
                      step.replyStart);
            if (step.replySize != 0) {
                EXPECT_EQ(reply->size(), step.replySize);
            }
            EXPECT_EQ(record.fate, sim::SimReplyFate::answered);
        } else {
            EXPECT_EQ(record.fate, sim::SimReplyFate::unanswered);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, HandsetHost, ::testing::ValuesIn(hostCases),
                         [](const ::testing::TestParamInfo<HostCase>& test) { return std::string(test.param.name); });

TEST_F(HandsetHost, StopsPromptlyEvenInsideALongReplyDelay)
{
    ASSERT_NO_FATAL_FAILURE(Start([](sim::SimBehaviour& b) { b.replyDelay = 30000ms; }));
    ASSERT_TRUE(client.WriteFrame(status));
    ASSERT_TRUE(handset.host->WaitForRequests(1, replyWait));
    const auto start = std::chrono::steady_clock::now();
    handset.host->Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1000ms);
}

TEST_F(HandsetHost, ThrottledHandsetTakesRequestsInAtTheLineRate)
{
    ASSERT_NO_FATAL_FAILURE(Start([](sim::SimBehaviour& b) { b.throttle = true; }));
    // 1,920 bytes of a broken frame, then a status request: a 38400-baud line carries them in
    // half a second, so the reply cannot come sooner.
    const auto sent = std::chrono::steady_clock::now();
    ASSERT_TRUE(client.WriteRaw(std::string(1919, 'x') + "\x7e"));
    ASSERT_TRUE(client.WriteFrame(status));
    const auto reply = client.ReadFrame(replyWait);
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->size(), 48u);
    EXPECT_GE(std::chrono::steady_clock::now() - sent, 500ms);
}

}  // namespace
