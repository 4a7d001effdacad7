// Tree walks over the real link: sizes, case-insensitive file lookup, tree removal that goes on
// past failures, the depth bound, and removal on a handset without iteration.
#include <gtest/gtest.h>

#include <string>

#include "efs/efs_operations.h"
#include "efs/efs_tree.h"
#include "efs_handset_fixture.h"

using namespace efs_test;

namespace {

const std::string cannotRemove = "Error - Could not remove directory from the device";
const std::string cannotRead = "Error - Could not read the device EFS";

}  // namespace

class EfsTreeOnHandset : public EfsOnHandset {
protected:
    // /t holds files of 0, 206 and 207 bytes, /t/s one of 446 and /t/s/u one of 1000.
    void BuildSizedTree()
    {
        MakeDeviceDir("/t");
        MakeDeviceDir("/t/s");
        MakeDeviceDir("/t/s/u");
        MakeDeviceDir("/t/empty");
        PutDeviceFile("/t/zero", Bytes(0));
        PutDeviceFile("/t/a", Bytes(206, 1));
        PutDeviceFile("/t/b", Bytes(207, 1));
        PutDeviceFile("/t/s/c", Bytes(446, 1));
        PutDeviceFile("/t/s/u/d", Bytes(1000, 1));
    }
};

TEST_F(EfsTreeOnHandset, TreeSizesStoredAndAllocated)
{
    BuildSizedTree();
    EXPECT_EQ(DeviceTreeSize(port.get(), "/t"), 0u + 206 + 207 + 446 + 1000);
    EXPECT_EQ(DeviceTreeAllocatedSize(port.get(), "/t"), 240u + 240 + 480 + 480 + 1200);
    EXPECT_EQ(DeviceTreeSize(port.get(), "/t/s/u"), 1000u);

    const size_t mark = LogSize();
    EXPECT_EQ(DeviceTreeSize(port.get(), "/t/empty"), 0u);
    const auto requests = EfsRequestsSince(mark);
    ASSERT_EQ(requests.size(), 2u) << "one file listing and one directory listing";
    EXPECT_EQ(requests[0][1], 0x0B);
    EXPECT_EQ(requests[1][1], 0x0A);

    CReportCapture capture;
    EXPECT_EQ(DeviceTreeSize(port.get(), "/absent"), 0u);
    EXPECT_EQ(capture.texts, std::vector<std::string>{cannotRead});
}

TEST_F(EfsTreeOnHandset, FileSizeIgnoresLetterCase)
{
    BuildSizedTree();
    PutDeviceFile("/Chess.MIF", Bytes(321, 1));
    EXPECT_EQ(DeviceFileSize(port.get(), "/chess.mif"), 321u);
    EXPECT_EQ(DeviceFileSize(port.get(), "/t/s/C"), 446u);
    EXPECT_EQ(DeviceFileSize(port.get(), "/t/s/missing"), 0u);

    Change([](sim::SimBehaviour& b) { b.noIteration = true; });
    EXPECT_EQ(DeviceFileSize(port.get(), "/CHESS.mif"), 321u) << "bare root names still match";
    EXPECT_EQ(DeviceFileSize(port.get(), "/t/s/c"), 446u);
}

TEST_F(EfsTreeOnHandset, RemovalGoesOnPastAResistingFile)
{
    BuildSizedTree();
    PutDeviceFile("/t/stuck", Bytes(3, 1));
    Change([](sim::SimBehaviour& b) { b.failingPaths = {"/t/stuck"}; });
    CReportCapture capture;

    EXPECT_FALSE(RemoveDeviceTree(port.get(), "/t"));
    EXPECT_EQ(capture.texts, std::vector<std::string>{cannotRemove + ":\n/t"});
    EXPECT_TRUE(DeviceEntryExists("/t/stuck"));
    for (const char* gone : {"/t/zero", "/t/a", "/t/b", "/t/s", "/t/empty"})
        EXPECT_FALSE(DeviceEntryExists(gone)) << gone;

    capture.texts.clear();
    MakeDeviceDir("/other");
    MakeDeviceDir("/other/inner");
    PutDeviceFile("/other/inner/f", Bytes(9, 1));
    EXPECT_TRUE(RemoveDeviceTree(port.get(), "/other"));
    EXPECT_FALSE(DeviceEntryExists("/other"));
    EXPECT_TRUE(capture.texts.empty());
}

TEST_F(EfsTreeOnHandset, FallbackRemovalStaysInsideTheTree)
{
    // Same-named files at the root and in the tree; a handset without iteration lists the tree
    // by its single-request listing.
    MakeDeviceDir("/brew");
    MakeDeviceDir("/brew/inner");
    PutDeviceFile("/a.mod", Bytes(4, 1));
    PutDeviceFile("/inner", Bytes(4, 1));
    PutDeviceFile("/brew/a.mod", Bytes(4, 2));
    PutDeviceFile("/brew/inner/a.mod", Bytes(4, 3));
    Change([](sim::SimBehaviour& b) { b.noIteration = true; });

    EXPECT_TRUE(RemoveDeviceTree(port.get(), "brew"));
    EXPECT_FALSE(DeviceEntryExists("/brew"));
    EXPECT_TRUE(DeviceEntryExists("/a.mod"));
    EXPECT_TRUE(DeviceEntryExists("/inner"));
}

TEST_F(EfsTreeOnHandset, WalksStopBelow64Levels)
{
    std::string path;
    for (int level = 1; level <= 66; ++level) {
        path += "/d";
        MakeDeviceDir(path);
        PutDeviceFile(path + "/f", Bytes(1, 1));
    }
    CReportCapture capture;
    EXPECT_EQ(DeviceTreeSize(port.get(), "/d"), 64u) << "files of levels 1 to 64";
    EXPECT_EQ(capture.texts, std::vector<std::string>{cannotRead});

    capture.texts.clear();
    EXPECT_FALSE(RemoveDeviceTree(port.get(), "/d"));
    EXPECT_TRUE(DeviceEntryExists("/d"));
    EXPECT_FALSE(DeviceEntryExists("/d/f"));
    ASSERT_FALSE(capture.texts.empty());
    EXPECT_EQ(capture.texts.front(), cannotRead);
}

