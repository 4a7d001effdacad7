// The virtual handset on a real pseudo-terminal: the bytes of its replies in each mode, and the
// log of what it heard.
#include <gtest/gtest.h>

#include "support/handset_rig.h"

using namespace std::chrono_literals;
using rig::Bytes;

namespace {

constexpr auto replyWait = 3000ms;

// One request sent at baud: a frame of payload, or text sent as it is. The answer is a frame
// starting replyStart (of replySize bytes unless 0), or text holding replyText; neither means
// the handset hears the request and leaves it unanswered. Which probes each kind of handset
// answers at which rate is the detection table's; these are the replies' bytes.
struct Step {
    uint32_t baud = 38400;
    Bytes payload = {};
    std::string text = {};
    Bytes replyStart = {};
    size_t replySize = 0;
    std::string replyText = {};
};

struct HostCase {
    const char* name;
    rig::BehaviourChange behaviour;
    std::vector<Step> steps;
};

const Bytes status{0x0C};

const HostCase hostCases[] = {
    {"DiagnosticAt38400",
     {},
     {{38400, status, {}, status, 48},
      {38400, {0x59, 0x0C}, {}, {0x59, 0x0C}, 11},
      {38400, {0x0C, 0x00}, {}, {0x15}},  // bad length
      {38400, {0x29, 0x01}, {}, {0x15}},
      {38400, {0x29, 0x07, 0x00}, {}, {0x14}},  // bad parameters
      {38400, {0x4B, 0x01}, {}, {0x13, 0x4B, 0x01}},  // unknown command
      {38400, {0x06}, {}, {0x13, 0x06}},  // no download probe answer in diagnostic mode
      {38400, {0x29, 0x01, 0x00}, {}, {0x29, 0x01, 0x00}}}},
    {"WithoutEfs", [](sim::SimBehaviour& b) { b.noEfs = true; }, {{38400, {0x59, 0x0C}, {}, {0x13, 0x59, 0x0C}}}},
    {"DataPhoneAfterTheModemSwitch", [](sim::SimBehaviour& b) { b.dataPhone = true; },
     {{19200, {}, "AT+FOO\r", {}, 0, "\r\nERROR\r\n"},
      {19200, {}, "xx~AT$KTDMG\r", {}, 0, "\r\nOK\r\n"},
      {38400, status, {}, status, 48}}},
};

class HandsetHost : public ::testing::TestWithParam<HostCase> {};

TEST_P(HandsetHost, AnswersWhatItSpeaksAndLogsEveryRequest)
{
    rig::CHandsetRig handset;
    rig::CRawClient client;
    ASSERT_NO_FATAL_FAILURE(handset.Start(GetParam().behaviour));
    ASSERT_TRUE(client.Open(handset.Port()));
    size_t heard = 0;
    for (const Step& step : GetParam().steps) {
        SCOPED_TRACE(heard);
        ASSERT_TRUE(client.SetSpeed(step.baud));
        ASSERT_TRUE(step.payload.empty() ? client.WriteRaw(step.text) : client.WriteFrame(step.payload));
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

}  // namespace
