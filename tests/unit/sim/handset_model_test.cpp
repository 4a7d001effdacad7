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

const Bytes switchTo115200{0x5C, 0x01, 0x00, 0xC2, 0x01, 0x00};

TEST_F(HandsetModelTest, StatusReplyIs48BytesWithModeWordAtOffset32)
{
    const Bytes reply = Ask({0x0C});
    ASSERT_EQ(reply.size(), 48u);
    EXPECT_EQ(reply[0], 0x0C);
    EXPECT_EQ(ModeWord(), 0);
    EXPECT_EQ(Ask({0x0C, 0x00})[0], sim::dmBadLength);
    const Bytes info = Ask({0x00});
    ASSERT_FALSE(info.empty());
    EXPECT_EQ(info[0], 0x00);
}

TEST_F(HandsetModelTest, OfflineModeChangeSetsModeWord2)
{
    EXPECT_EQ(Ask({0x29, 0x01, 0x00}), (Bytes{0x29, 0x01, 0x00}));
    EXPECT_EQ(ModeWord(), sim::modeWordOffline);
    EXPECT_EQ(Ask({0x29, 0x07, 0x00})[0], sim::dmBadParameters);
    EXPECT_EQ(Ask({0x29, 0x01})[0], sim::dmBadLength);
}

TEST_F(HandsetModelTest, ResetIsSilentForTheAbsenceThenOnlineAt38400)
{
    model.Behaviour().resetAbsence = 1500ms;
    ASSERT_EQ(Ask(switchTo115200), (Bytes{0x5C, 0x01, 0x01, 0x00, 0xC2, 0x01, 0x00}));
    Ask({0x29, 0x01, 0x00}, high);
    EXPECT_EQ(Ask({0x29, 0x02, 0x00}, high), (Bytes{0x29, 0x02, 0x00})) << "the reset is acknowledged";
    now += 1499ms;
    EXPECT_TRUE(Ask({0x0C}, high).empty());
    EXPECT_TRUE(Ask({0x0C}, low).empty());
    now += 1ms;
    EXPECT_EQ(ModeWord(low), sim::modeWordOnline) << "back online, at the starting rate";
}

TEST_F(HandsetModelTest, UnknownCommandsAndMissingEfsGetBadCommand)
{
    EXPECT_EQ(Ask({0x4B, 0x01}), (Bytes{0x13, 0x4B, 0x01}));
    EXPECT_EQ(Ask({0x06}, high), (Bytes{0x13, 0x06})) << "a diagnostic phone does not answer the download probe";
    model.Behaviour().noEfs = true;
    EXPECT_EQ(Ask({0x59, 0x0C}), (Bytes{0x13, 0x59, 0x0C}));
    model.Behaviour().noEfs = false;
    EXPECT_EQ(Ask({0x59, 0x0C})[0], 0x59);
}

}  // namespace
