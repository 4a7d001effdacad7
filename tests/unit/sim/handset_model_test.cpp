// The handset's DM answers: status and mode word, basic information, rate switch and the line
// rates it understands, mode change and reset, download-mode and data phones, unknown commands.
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

TEST_F(HandsetModelTest, RateSwitchAndRatesItDoesNotSpeakGetNoAnswer)
{
    EXPECT_FALSE(Ask({0x0C}, low).empty());
    EXPECT_FALSE(Ask({0x0C}, high).empty());
    EXPECT_TRUE(Ask({0x0C}, 19200).empty());
    {
        // A phone that speaks both moves to 115200 on the switch and is unheard at 38400.
        sim::CHandsetModel both{sim::MakeDemoFileSystem()};
        const auto replies = both.HandleFrame(switchTo115200, low, now);
        ASSERT_EQ(replies.size(), 1u);
        EXPECT_EQ(Bytes(replies[0].bytes.begin(), replies[0].bytes.begin() + 3),
                  (Bytes{0x5C, 0x01, 0x01}));
        EXPECT_TRUE(both.HandleFrame({0x0C}, low, now).empty());
        EXPECT_EQ(both.HandleFrame({0x0C}, high, now).size(), 1u);
    }

    model.Behaviour().speeds = sim::SimSpeeds::only115200;
    EXPECT_TRUE(Ask({0x0C}, low).empty());
    EXPECT_TRUE(Ask(switchTo115200, low).empty());
    EXPECT_FALSE(Ask({0x0C}, high).empty());

    model.Behaviour().speeds = sim::SimSpeeds::only38400;
    EXPECT_TRUE(Ask({0x0C}, high).empty());
    EXPECT_EQ(Ask(switchTo115200, low), (Bytes{0x5C, 0x01, 0x00, 0x00, 0xC2, 0x01, 0x00}))
        << "a 38400-only phone refuses the switch";
    EXPECT_FALSE(Ask({0x0C}, low).empty());
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

TEST_F(HandsetModelTest, DownloadModePhonesAnswerOnlyTheirProbe)
{
    model.Behaviour().downloadMode = sim::SimDownloadMode::download;
    EXPECT_TRUE(Ask({0x0C}, low).empty());
    EXPECT_TRUE(Ask({0x0C}, high).empty());
    auto replies = model.HandleFrame({0x06}, high, now);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].bytes, (Bytes{0x02}));
    EXPECT_TRUE(replies[0].openingFlag);

    Bytes hello{0x01};
    hello.insert(hello.end(), sim::streamHelloMagic, sim::streamHelloMagic + 32);
    hello.insert(hello.end(), {0x02, 0x02, 0x01});
    ASSERT_EQ(hello.size(), 36u);
    EXPECT_TRUE(model.HandleFrame(hello, high, now).empty());
    model.Behaviour().downloadMode = sim::SimDownloadMode::streamDownload;
    replies = model.HandleFrame(hello, high, now);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].bytes.at(0), 0x02);
    EXPECT_TRUE(replies[0].openingFlag);
    EXPECT_TRUE(model.HandleFrame({0x06}, high, now).empty());
}

TEST_F(HandsetModelTest, DataPhoneSpeaksDmOnlyAfterTheModemCommand)
{
    model.Behaviour().dataPhone = true;
    EXPECT_TRUE(model.ExpectsModemText());
    EXPECT_TRUE(Ask({0x0C}).empty());
    EXPECT_TRUE(model.HandleModemLine("garbage").empty());
    auto replies = model.HandleModemLine("AT+FOO");
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(std::string(replies[0].bytes.begin(), replies[0].bytes.end()), "\r\nERROR\r\n");
    replies = model.HandleModemLine("xx~AT$KTDMG");
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_FALSE(replies[0].framed);
    EXPECT_EQ(std::string(replies[0].bytes.begin(), replies[0].bytes.end()), "\r\nOK\r\n");
    EXPECT_FALSE(model.ExpectsModemText());
    EXPECT_EQ(ModeWord(), 0);
}

}  // namespace
