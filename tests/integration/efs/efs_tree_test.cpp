// Tree walks over the real link: sizes, case-insensitive file lookup, tree removal that goes on
// past failures, the depth bound, and removal on a handset without iteration.
#include <gtest/gtest.h>

#include <string>

#include "efs/efs_tree.h"
#include "support/handset_rig.h"

using rig::Bytes;

namespace {

const std::string cannotRead = "Error - Could not read the device EFS";

class EfsTreeOnHandset : public ::testing::Test {
protected:
    // /t holds files of 0, 206 and 207 bytes and an empty folder, /t/s one of 446 and /t/s/u
    // one of 1000.
    void SetUp() override
    {
        handset.MakeDeviceDir("/t/empty");
        handset.PutDeviceFile("/t/zero", {});
        handset.PutDeviceFile("/t/a", Bytes(206, 1));
        handset.PutDeviceFile("/t/b", Bytes(207, 1));
        handset.PutDeviceFile("/t/s/c", Bytes(446, 1));
        handset.PutDeviceFile("/t/s/u/d", Bytes(1000, 1));
        ASSERT_NO_FATAL_FAILURE(handset.Connect());
        port = handset.link.get();
    }

    rig::CHandsetRig handset;
    CDiagPort* port = nullptr;
};

TEST_F(EfsTreeOnHandset, SizesStoredAndAllocatedAndFileSizesInAnyLetterCase)
{
    EXPECT_EQ(DeviceTreeSize(port, "/t"), 0u + 206 + 207 + 446 + 1000);
    EXPECT_EQ(DeviceTreeAllocatedSize(port, "/t"), 240u + 240 + 480 + 480 + 1200);
    EXPECT_EQ(DeviceTreeSize(port, "/t/empty"), 0u);
    rig::CReportCapture capture;
    EXPECT_EQ(DeviceTreeSize(port, "/absent"), 0u);
    EXPECT_EQ(capture.texts, std::vector<std::string>{cannotRead});

    handset.PutDeviceFile("/Chess.MIF", Bytes(321, 1));
    for (const bool iteration : {true, false}) {
        handset.Change([&](sim::SimBehaviour& b) { b.noIteration = !iteration; });
        EXPECT_EQ(DeviceFileSize(port, "/chess.mif"), 321u) << "bare root names match too";
        EXPECT_EQ(DeviceFileSize(port, "/t/s/C"), 446u);
        EXPECT_EQ(DeviceFileSize(port, "/t/s/missing"), 0u);
    }
}

TEST_F(EfsTreeOnHandset, RemovalGoesOnPastAResistingFileAndStaysInsideTheTree)
{
    handset.PutDeviceFile("/t/stuck", Bytes(3, 1));
    handset.Change([](sim::SimBehaviour& b) { b.failingPaths = {"/t/stuck"}; });
    rig::CReportCapture capture;
    EXPECT_FALSE(RemoveDeviceTree(port, "/t"));
    EXPECT_EQ(capture.texts, std::vector<std::string>{"Error - Could not remove directory from the device:\n/t"});
    EXPECT_TRUE(handset.DeviceEntryExists("/t/stuck"));
    for (const char* gone : {"/t/zero", "/t/a", "/t/b", "/t/s", "/t/empty"})
        EXPECT_FALSE(handset.DeviceEntryExists(gone)) << gone;

    // Same-named files at the root and in the tree; without iteration the tree is listed by
    // the single-request listing, whose root names are bare.
    capture.texts.clear();
    handset.PutDeviceFile("/a.mod", Bytes(4, 1));
    handset.PutDeviceFile("/inner", Bytes(4, 1));
    handset.PutDeviceFile("/brew/a.mod", Bytes(4, 2));
    handset.PutDeviceFile("/brew/inner/a.mod", Bytes(4, 3));
    handset.Change([](sim::SimBehaviour& b) { b = {}, b.noIteration = true; });
    EXPECT_TRUE(RemoveDeviceTree(port, "brew"));
    EXPECT_FALSE(handset.DeviceEntryExists("/brew"));
    EXPECT_TRUE(handset.DeviceEntryExists("/a.mod"));
    EXPECT_TRUE(handset.DeviceEntryExists("/inner"));
    EXPECT_TRUE(capture.texts.empty());
}

TEST_F(EfsTreeOnHandset, WalksStopBelow64Levels)
{
    std::string path;
    for (int level = 1; level <= 66; ++level) {
        path += "/d";
        handset.PutDeviceFile(path + "/f", Bytes(1, 1));
    }
    rig::CReportCapture capture;
    EXPECT_EQ(DeviceTreeSize(port, "/d"), 64u) << "files of levels 1 to 64";
    EXPECT_EQ(capture.texts, std::vector<std::string>{cannotRead});
    capture.texts.clear();
    EXPECT_FALSE(RemoveDeviceTree(port, "/d"));
    EXPECT_TRUE(handset.DeviceEntryExists("/d"));
    EXPECT_FALSE(handset.DeviceEntryExists("/d/f"));
    ASSERT_FALSE(capture.texts.empty());
    EXPECT_EQ(capture.texts.front(), cannotRead);
}

}  // namespace
