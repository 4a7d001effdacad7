// Reply readers: fields are read only when the reply holds them.
#include <gtest/gtest.h>

#include <string>

#include "efs/efs_replies.h"
#include "efs/efs_status.h"
#include "efs_test_replies.h"

using namespace efs_test;

TEST(EfsReplyStatus, OnlyEfsRepliesOfThreeBytesHaveAStatus)
{
    EXPECT_EQ(EfsReplyStatus(Bytes{0x59, 0x02, 0x00}), 0);
    EXPECT_EQ(EfsReplyStatus(Bytes{0x59, 0x02, 0x1C}), 28);
    EXPECT_FALSE(EfsReplyStatus(Bytes{0x59, 0x02}));
    EXPECT_FALSE(EfsReplyStatus(Bytes{0x13, 0x02, 0x00}));
    EXPECT_FALSE(EfsReplyStatus(Bytes{}));
    EXPECT_TRUE(IsGoodEfsReply(Bytes{0x59, 0x0C, 0x00}));
    EXPECT_FALSE(IsGoodEfsReply(Bytes{0x59, 0x0C, 0x06}));
}

TEST(EfsFixedReplies, SpaceAndAttributesNeedTheirFullLength)
{
    const auto space = ReadEfsSpaceReply(SpaceReply(0x11223344, 0x55667788));
    ASSERT_TRUE(space);
    EXPECT_EQ(space->freeBytes, 0x11223344u);
    EXPECT_EQ(space->usedBytes, 0x55667788u);
    Bytes shortSpace = SpaceReply(1, 2);
    shortSpace.pop_back();
    EXPECT_FALSE(ReadEfsSpaceReply(shortSpace));
    EXPECT_FALSE(ReadEfsSpaceReply(StatusReply(12, 22)));

    const auto info = ReadEfsAttributesReply(AttributesReply(0x00FF, 1, 2, 0xA0B0C0D0, 4097));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->attributes.attributes, 0x00FF);
    EXPECT_EQ(info->attributes.option1, 1);
    EXPECT_EQ(info->attributes.option2, 2);
    EXPECT_EQ(info->modificationTime, 0xA0B0C0D0u);
    EXPECT_EQ(info->size, 4097u);
    Bytes shortInfo = AttributesReply(0, 0, 0, 0, 0);
    shortInfo.pop_back();
    EXPECT_FALSE(ReadEfsAttributesReply(shortInfo));
    EXPECT_FALSE(ReadEfsAttributesReply(StatusReply(7, 6)));
}

TEST(EfsIterationReply, EntriesEndAndFailures)
{
    auto step = ReadEfsIterationReply(IterationEntry(11, "/dir/file"));
    EXPECT_EQ(step.kind, EfsIterationReply::kindEntry);
    EXPECT_EQ(step.name, "/dir/file");

    step = ReadEfsIterationReply(IterationEntry(11, ""));
    EXPECT_EQ(step.kind, EfsIterationReply::kindEntry);
    EXPECT_EQ(step.name, "");

    EXPECT_EQ(ReadEfsIterationReply(StatusReply(11, 28)).kind, EfsIterationReply::kindEnd);
    EXPECT_EQ(ReadEfsIterationReply(StatusReply(11, 6)).kind, EfsIterationReply::kindFailure);
    EXPECT_EQ(ReadEfsIterationReply(StatusReply(11, 0)).kind, EfsIterationReply::kindFailure)
        << "status 0 without the entry fields";

    Bytes unterminated = IterationEntry(11, "abc");
    unterminated.pop_back();
    EXPECT_EQ(ReadEfsIterationReply(unterminated).kind, EfsIterationReply::kindFailure);

    EXPECT_EQ(ReadEfsIterationReply(IterationEntry(11, std::string(254, 'n'))).kind,
              EfsIterationReply::kindEntry);
    EXPECT_EQ(ReadEfsIterationReply(IterationEntry(11, std::string(255, 'n'))).kind,
              EfsIterationReply::kindFailure);
}

TEST(EfsListingReply, WalksTheNameBlockWithinItsLength)
{
    auto names = ReadEfsListingReply(ListingReply(2, {}));
    ASSERT_TRUE(names);
    EXPECT_TRUE(names->empty());

    names = ReadEfsListingReply(ListingReply(2, Bytes{'a', 0, 'b', 0}));
    ASSERT_TRUE(names);
    EXPECT_EQ(*names, (std::vector<std::string>{"a", "b"}));

    names = ReadEfsListingReply(ListingReply(3, Bytes{0, 'x', 'y', 0, 0, 'z', 0}));
    ASSERT_TRUE(names);
    EXPECT_EQ(*names, (std::vector<std::string>{"xy", "z"})) << "empty names are skipped";

    Bytes overstated = ListingReply(2, Bytes{'a', 0});
    overstated[5] = 40;  // claims 40 bytes, holds 2
    EXPECT_FALSE(ReadEfsListingReply(overstated));

    EXPECT_FALSE(ReadEfsListingReply(ListingReply(2, Bytes{'a', 0, 'b', 'c'})))
        << "a name that runs past the block";
    EXPECT_FALSE(ReadEfsListingReply(Bytes{0x59, 2, 0, 0, 0, 0}));
    EXPECT_FALSE(ReadEfsListingReply(StatusReply(2, 8)));
}

TEST(EfsReadReplies, BlocksMustFitTheirLimitAndTheReply)
{
    const Bytes block = Pattern(256, 1);
    const Bytes firstReply = ReadFirstReply(true, 1000, block);
    auto first = ReadEfsReadFirstReply(firstReply);
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->more);
    EXPECT_EQ(first->totalLength, 1000u);
    EXPECT_EQ(Bytes(first->data.begin(), first->data.end()), block);

    EXPECT_FALSE(ReadEfsReadFirstReply(ReadFirstReply(true, 1000, Pattern(257, 1))));
    Bytes overstated = ReadFirstReply(false, 10, Bytes(10, 1));
    overstated[9] = 11;
    EXPECT_FALSE(ReadEfsReadFirstReply(overstated));

    const Bytes nextReply = ReadNextReply(false, Pattern(260, 2));
    auto next = ReadEfsReadNextReply(nextReply);
    ASSERT_TRUE(next);
    EXPECT_FALSE(next->more);
    EXPECT_FALSE(next->totalLength);
    EXPECT_EQ(next->data.size(), 260u);
    EXPECT_FALSE(ReadEfsReadNextReply(ReadNextReply(false, Pattern(261, 2))));
    EXPECT_FALSE(ReadEfsReadNextReply(StatusReply(4, 19)));
    EXPECT_FALSE(ReadEfsReadNextReply(Bytes{0x59, 4, 0, 0, 1, 5}));
}

TEST(EfsStatusText, CoversCodes0To29Only)
{
    EXPECT_STREQ(EfsStatusText(29), "Maximum Number of Remote Links Reached");
    EXPECT_EQ(EfsStatusText(30), nullptr);
}
