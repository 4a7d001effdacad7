// Hostile handset replies through the real link: lengths that overstate the packet, long names,
// oversized listings and reads that deliver more than they announce. Nothing may crash or read
// out of bounds (the suite runs under ASan), and no corrupt result may pass as success.
#include <gtest/gtest.h>

#include <string>

#include "efs/efs_operations.h"
#include "efs/efs_tree.h"
#include "efs_handset_fixture.h"

using namespace efs_test;

TEST_F(EfsOnHandset, OverstatedLengthsFailListingsAndReads)
{
    MakeDeviceDir("/dir");
    PutDeviceFile("/dir/f", Bytes(300, 7));
    Change([](sim::SimBehaviour& b) { b.hostileLengths = true; });
    EfsNameList names;
    EXPECT_FALSE(EfsListFiles(port.get(), "/dir", &names));
    EXPECT_TRUE(names.empty());
    EXPECT_FALSE(EfsListDirs(port.get(), "", &names));
    uint32_t size = 1;
    EXPECT_FALSE(EfsReadFile(port.get(), "/dir/f", &size));
    EXPECT_EQ(size, 0u);
}

TEST_F(EfsOnHandset, LongNamesAndManyEntriesAreListedWhole)
{
    MakeDeviceDir("/dir");
    PutDeviceFile("/dir/real", Bytes(1, 1));
    Change([](sim::SimBehaviour& b) {
        b.hostileLongNames = true;
        b.hostileManyEntries = true;
    });
    EfsNameList names;
    ASSERT_TRUE(EfsListFiles(port.get(), "/dir", &names));
    ASSERT_EQ(names.size(), 1u + 1u + 150u);
    EXPECT_EQ(names[0], "/dir/real");
    size_t longest = 0;
    for (const auto& name : names)
        longest = std::max(longest, name.size());
    EXPECT_EQ(longest, std::string("/dir/").size() + 100u);
}

TEST_F(EfsOnHandset, ReadDeliveringMoreThanAnnouncedFails)
{
    PutDeviceFile("/over", Bytes(600, 3));
    PutDeviceFile("/empty", Bytes{});
    Change([](sim::SimBehaviour& b) { b.hostileReadOverrun = true; });
    uint32_t size = 1;
    EXPECT_FALSE(EfsReadFile(port.get(), "/over", &size));
    EXPECT_EQ(size, 0u);
    EXPECT_FALSE(EfsReadFile(port.get(), "/empty", &size));

    Change([](sim::SimBehaviour& b) { b.hostileReadOverrun = false; });
    const auto whole = EfsReadFile(port.get(), "/over", &size);
    ASSERT_TRUE(whole) << "the handset's next read starts afresh";
    EXPECT_EQ(whole->size(), 600u);
}

TEST_F(EfsOnHandset, NoiseOnTheLineStillGivesExactFiles)
{
    const Bytes data(3000, 0x7E);  // every byte needs escaping on the wire
    Change([](sim::SimBehaviour& b) { b.noise = true; });
    ASSERT_TRUE(EfsWriteFile(port.get(), "/noisy", 1, efsDefaultFileAttributes, data.data(),
                             data.size()));
    const auto back = EfsReadFile(port.get(), "/noisy");
    Change([](sim::SimBehaviour& b) { b.noise = false; });
    EXPECT_EQ(DeviceFile("/noisy"), data);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, data);
}

TEST_F(EfsOnHandset, RetriedWriteBlockIsStoredOnce)
{
    // The fifth reply from now is lost; the link writes that block again after its time-out.
    const Bytes data = [] {
        Bytes bytes(6 * 256);
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<uint8_t>(i / 256 + i);
        return bytes;
    }();
    Change([](sim::SimBehaviour& b) { b.loseEveryNthReply = 5; });
    const size_t mark = LogSize();
    const bool written = EfsWriteFile(port.get(), "/lossy", 1, efsDefaultFileAttributes,
                                      data.data(), data.size());
    Change([](sim::SimBehaviour& b) { b.loseEveryNthReply = 0; });
    ASSERT_TRUE(written);
    EXPECT_GT(EfsRequestsSince(mark).size(), 6u) << "a block went twice";
    EXPECT_EQ(DeviceFile("/lossy"), data);
}
