// Request bytes: the name field, the length rule and the layout of the write blocks.
#include <gtest/gtest.h>

#include <string>

#include "efs/efs_packets.h"
#include "efs_test_replies.h"

using efs_test::Bytes;

TEST(EfsRequests, NameFieldCountsTheTerminatorAndRefusesNamesTheLengthByteCannotCarry)
{
    EfsRequest field{0x59};
    ASSERT_TRUE(PackDeviceName(field, "abc"));
    EXPECT_EQ(field, (Bytes{0x59, 0x04, 'a', 'b', 'c', 0x00}));
    field = {0x59};
    ASSERT_TRUE(PackDeviceName(field, std::string(254, 'n')));
    EXPECT_EQ(field[1], 255);

    field = {0x59};
    EXPECT_FALSE(PackDeviceName(field, std::string(255, 'n')));
    EXPECT_FALSE(PackDeviceName(field, std::string("keep\0me", 7))) << "the handset would cut it";
    EXPECT_EQ(field, (Bytes{0x59})) << "a refused name appends nothing";
    EXPECT_FALSE(BuildEfsNameRequest(efsRemoveFile, std::string(300, 'x')));
    EXPECT_FALSE(BuildEfsIterateRequest(efsIterateFiles, 0, std::string(255, 'x')));
    EXPECT_FALSE(BuildEfsReadFirstRequest(std::string(255, 'x')));
}

TEST(EfsRequests, WriteBlocksCarryHeaderThenLengthAndData)
{
    const Bytes data{0xDE, 0xAD};
    EXPECT_EQ(BuildEfsWriteFirstBlock(true, 1, 0x01020304, EfsFileAttributes{0x00FF, 1, 0}, "ab", data),
              (Bytes{0x59, 0x05, 0x00, 0x01, 0x01, 0x04, 0x03, 0x02, 0x01, 0xFF, 0x00, 0x01, 0x00, 0x03, 'a', 'b',
                     0x00, 0x02, 0x00, 0xDE, 0xAD}));
    EXPECT_EQ(BuildEfsWriteNextBlock(9, false, data), (Bytes{0x59, 0x05, 0x09, 0x00, 0x02, 0x00, 0xDE, 0xAD}));
    const Bytes full(256, 1), over(257, 1);
    EXPECT_TRUE(BuildEfsWriteNextBlock(1, false, full));
    EXPECT_FALSE(BuildEfsWriteFirstBlock(false, 1, 257, {}, "a", over));
    EXPECT_FALSE(BuildEfsWriteNextBlock(1, false, over));
    EXPECT_FALSE(BuildEfsWriteNextBlock(1, false, {})) << "later blocks hold 1 to 256 bytes";
    EXPECT_FALSE(BuildEfsWriteNextBlock(0, false, data)) << "sequence 0 only opens a file";
}

TEST(EfsRequestLength, AgreesWithEveryBuilderAndNeverReadsPastATruncatedRequest)
{
    const std::string name = "/some/dir/file.bin";
    const EfsRequest requests[] = {
        *BuildEfsNameRequest(efsMkDir, name),
        *BuildEfsNameRequest(efsRmDir, ""),
        *BuildEfsNameRequest(efsListFiles, name),
        *BuildEfsNameRequest(efsGetAttributes, std::string(254, 'z')),
        *BuildEfsIterateRequest(efsIterateDirs, 5, name),
        *BuildEfsReadFirstRequest(name),
        BuildEfsReadNextRequest(200),
        *BuildEfsWriteFirstBlock(true, 1, 1000, {}, name, Bytes(200, 3)),
        *BuildEfsWriteFirstBlock(false, 1, 0, {}, "", {}),
        *BuildEfsWriteNextBlock(3, true, Bytes(256, 9)),
        BuildEfsSpaceRequest(),
    };
    for (const auto& request : requests)
        EXPECT_EQ(EfsRequestLength(request), request.size()) << "subcommand " << int(request[1]);

    const auto write = *BuildEfsWriteFirstBlock(false, 1, 3, {}, "name", Bytes{1, 2, 3});
    for (size_t cut = 0; cut + 3 < write.size(); ++cut)  // up to the block's length field
        EXPECT_EQ(EfsRequestLength(std::span(write.data(), cut)), 0u) << "cut at " << cut;
    EXPECT_EQ(EfsRequestLength(Bytes{0x59, 0x04}), 0u);
    EXPECT_EQ(EfsRequestLength(Bytes{0x59, 0x04, 0x00}), 0u);
    EXPECT_EQ(EfsRequestLength(Bytes{0x59, 0x0D}), 2u) << "12 and above have no parameters";
}
