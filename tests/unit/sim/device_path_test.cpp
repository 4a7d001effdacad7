#include <gtest/gtest.h>

#include "sim/device_path.h"
#include "sim/handset_options.h"

namespace {

TEST(DevicePath, SpellingsOfOnePathAgreeAndClimbingIsRefused)
{
    for (const char* text : {"a/b", "/a/b", "a/b/", "a//b", "//a///b//"})
        EXPECT_EQ(sim::ParseDevicePath(text), (sim::DevicePath{"a", "b"})) << text;
    EXPECT_EQ(sim::ParseDevicePath(""), sim::DevicePath{});
    EXPECT_EQ(sim::ParseDevicePath("/"), sim::DevicePath{});
    EXPECT_EQ(sim::ParseDevicePath("a/..b/c.."), (sim::DevicePath{"a", "..b", "c.."}));
    for (const char* text : {"..", "a/../b", "/..", "a/.", "./a"})
        EXPECT_FALSE(sim::ParseDevicePath(text).has_value()) << text;
    EXPECT_EQ(sim::DevicePathText({}), "/");
    EXPECT_EQ(sim::DeviceChildText({"chess"}, "chess.mod"), "/chess/chess.mod");
}

TEST(HandsetOptions, FlagsAndValuesSetTheBehaviour)
{
    std::string error;
    auto options = sim::ParseHandsetOptions({"--root", "/x", "--speeds", "115200", "--lose-every", "3",
                                             "--damage", "2000000", "--fail-path", "/a", "--fail-path", "b/c", "--noise",
                                             "--reset-absence", "250", "--hostile-many-entries", "--writes-in-place",
                                             "--strict-writes", "--write-block-limit", "4"},
                                            error);
    ASSERT_TRUE(options.has_value()) << error;
    EXPECT_EQ(options->root, "/x");
    EXPECT_EQ(options->behaviour.speeds, sim::SimSpeeds::only115200);
    EXPECT_EQ(options->behaviour.loseEveryNthReply, 3u);
    EXPECT_EQ(options->behaviour.damagedBytesPerMillion, 1000000u) << "at most every byte";
    EXPECT_EQ(options->behaviour.failingPaths, (std::set<std::string>{"/a", "b/c"}));
    EXPECT_TRUE(options->behaviour.noise && options->behaviour.hostileManyEntries && options->behaviour.writesInPlace);
    EXPECT_TRUE(options->behaviour.strictWrites);
    EXPECT_EQ(options->behaviour.writeBlockLimit, 4u);
    EXPECT_EQ(options->behaviour.resetAbsence, std::chrono::milliseconds(250));
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--speeds", "9600"}, {"--lose-every", "x"}, {"--lose-every"}, {"--bogus"},
          {"--reply-delay", "-1"}}) {
        error.clear();
        EXPECT_FALSE(sim::ParseHandsetOptions(bad, error).has_value()) << bad[0];
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
