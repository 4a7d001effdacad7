// The handset's DM answers: status and mode word, basic information, mode change and reset,
// unknown commands. Line rates and the download and data phones are tried on a pty.
#include <gtest/gtest.h>

#include "efs_requests.h"
#include "sim/demo_tree.h"
#include "sim/handset_model.h"

using namespace simtest;
using namespace std::chrono_literals;

namespace {

constexpr uint32_t low = 38400;
constexpr uint32_t high = 115200;

class HandsetModelTest : public ::testing::Test {
protected:
    sim::CHandsetModel model{sim::MakeDemoFileSystem()};
    sim::SimClock::time_point now = sim::SimClock::now();

    // The one framed reply to payload, or an empty payload when the handset stays quiet.
    Bytes Ask(const Bytes& payload, uint32_t baud = low)
    {
        const auto replies = model.HandleFrame(payload, baud, now);
        EXPECT_LE(replies.size(), 1u);
        if (replies.empty())
            return {};
        EXPECT_TRUE(replies[0].framed);
        return replies[0].bytes;
    }

    uint16_t ModeWord(uint32_t baud = low)
    {
        const Bytes reply = Ask({0x0C}, baud);
        EXPECT_EQ(reply.size(), 48u);
        return reply.size() == 48 ? static_cast<uint16_t>(Le(reply, 32, 2)) : 0xFFFF;
    }
};

TEST_F(HandsetModelTest, RequestsInTurnGetTheirReplies)
{
    // Each reply is compared up to the length of the expected bytes.
    const std::pair<Bytes, Bytes> steps[] = {
        {{0x0C}, {0x0C}},
        {{0x0C, 0x00}, {sim::dmBadLength}},
        {{0x00}, {0x00}},
        {{0x29, 0x07, 0x00}, {sim::dmBadParameters}},
        {{0x29, 0x01}, {sim::dmBadLength}},
        {{0x4B, 0x01}, {0x13, 0x4B, 0x01}},
        {{0x59, 0x0C}, {0x59, 0x0C, 0x00}},
        {{0x29, 0x01, 0x00}, {0x29, 0x01, 0x00}},
    };
    for (const auto& [request, expected] : steps) {
        const Bytes reply = Ask(request);
        EXPECT_EQ(Bytes(reply.begin(), reply.begin() + static_cast<long>(std::min(reply.size(), expected.size()))),
                  expected)
            << int(request[0]);
    }
    EXPECT_EQ(ModeWord(), sim::modeWordOffline) << "after the offline mode change";
    EXPECT_EQ(Ask({0x06}, high), (Bytes{0x13, 0x06})) << "a diagnostic phone does not answer the download probe";
    model.Behaviour().noEfs = true;
    EXPECT_EQ(Ask({0x59, 0x0C}), (Bytes{0x13, 0x59, 0x0C}));
}

TEST_F(HandsetModelTest, ResetIsSilentForTheAbsenceThenOnlineAt38400)
{
    EXPECT_EQ(ModeWord(), 0);
    model.Behaviour().resetAbsence = 1500ms;
    ASSERT_EQ(Ask({0x5C, 0x01, 0x00, 0xC2, 0x01, 0x00}), (Bytes{0x5C, 0x01, 0x01, 0x00, 0xC2, 0x01, 0x00}));
    Ask({0x29, 0x01, 0x00}, high);
    EXPECT_EQ(Ask({0x29, 0x02, 0x00}, high), (Bytes{0x29, 0x02, 0x00})) << "the reset is acknowledged";
    now += 1499ms;
    EXPECT_TRUE(Ask({0x0C}, high).empty());
    EXPECT_TRUE(Ask({0x0C}, low).empty());
    now += 1ms;
    EXPECT_EQ(ModeWord(low), sim::modeWordOnline) << "back online, at the starting rate";
}

}  // namespace
