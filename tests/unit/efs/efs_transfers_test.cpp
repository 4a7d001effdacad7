// Device path rules, and multi-request exchanges driven with hand-built replies: sequence numbers,
// more flags, the odd-name filter, and the bounds that keep a hostile handset from growing or
// looping a transfer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "efs/efs_paths.h"
#include "efs/efs_transfers.h"
#include "efs_test_replies.h"

using namespace efs_test;

TEST(DevicePaths, JoinCollapsesRepeatedSlashesAndOddNamesAreRefused)
{
    EXPECT_EQ(JoinDevicePath("", "a"), "/a");
    EXPECT_EQ(JoinDevicePath("/a/", "b"), "/a/b");
    EXPECT_EQ(JoinDevicePath("a//b", "/c"), "a/b/c");
    EXPECT_EQ(JoinDevicePath("/", ""), "/");
    for (const char* good : {"a", "/a", "a/b", "/dir/file.mod", "a/", "..a", ".hidden", "a..b"})
        EXPECT_TRUE(IsUsableEntryName(good)) << good;
    for (const char* odd : {"", ".", "..", "/", "//", "/..", "a/..", "./a", "a/./b", "/../x"})
        EXPECT_FALSE(IsUsableEntryName(odd)) << odd;
}

TEST(EfsIteration, OddNamesAdvanceTheSequenceButAreNotStoredAndForeignRepliesFail)
{
    CEfsIteration iteration(efsIterateDirs, "/d");
    for (const char* odd : {"", ".", "..", "/", "/d/..", "/d/./x", "//"})
        ASSERT_EQ(iteration.Accept(IterationEntry(10, odd)), EfsStep::stepContinue) << odd;
    ASSERT_EQ(iteration.Accept(IterationEntry(10, "/d/real")), EfsStep::stepContinue);
    const EfsRequest next = *iteration.Request();
    EXPECT_EQ(Bytes(next.begin() + 2, next.begin() + 6), (Bytes{8, 0, 0, 0})) << "sequence number";
    EXPECT_EQ(iteration.Names(), (std::vector<std::string>{"/d/real"}));
    EXPECT_EQ(iteration.Accept(Bytes{0x13, 0x59, 0x00}), EfsStep::stepFailed);
    EXPECT_FALSE(iteration.TooManyEntries());
    CEfsIteration missing(efsIterateDirs, "/gone");
    EXPECT_EQ(missing.Accept(StatusReply(10, 6)), EfsStep::stepFailed);
}

TEST(EfsIteration, FailsBeyondTheEntryBoundEvenWhenNothingIsStored)
{
    CEfsIteration iteration(efsIterateFiles, "");
    const Bytes entry = IterationEntry(11, "x");
    const Bytes odd = IterationEntry(11, ".");
    for (size_t i = 0; i < efsMaxListingEntries; ++i)
        ASSERT_EQ(iteration.Accept(i % 2 ? entry : odd), EfsStep::stepContinue) << i;
    EXPECT_EQ(iteration.Accept(entry), EfsStep::stepFailed);
    EXPECT_TRUE(iteration.TooManyEntries());
}

// Replies to a read in turn, and the step the last one ends with: blocks must add up to the
// announced total, and a block that makes no progress while announcing more fails.
TEST(EfsFileRead, BlocksMustAddUpToTheAnnouncedTotal)
{
    const Bytes first = ReadReply(true, Bytes(256, 0), 300);
    const std::tuple<const char*, std::vector<Bytes>, EfsStep> cases[] = {
        {"exact", {first, ReadReply(false, Bytes(44, 0))}, EfsStep::stepDone},
        {"empty file", {ReadReply(false, {}, 0)}, EfsStep::stepDone},
        {"too much", {first, ReadReply(false, Bytes(45, 0))}, EfsStep::stepFailed},
        {"too much at once", {ReadReply(false, Bytes(11, 0), 10)}, EfsStep::stepFailed},
        // A handset that runs past its total while announcing more is not followed further.
        {"past the total with more to come", {ReadReply(true, Bytes(11, 0), 10)}, EfsStep::stepFailed},
        {"past the total in a later block", {first, ReadReply(true, Bytes(45, 0))}, EfsStep::stepFailed},
        {"too little", {first, ReadReply(false, Bytes(43, 0))}, EfsStep::stepFailed},
        {"no progress", {ReadReply(true, Bytes{1, 2, 3, 4}, 4), ReadReply(true, {})}, EfsStep::stepFailed},
        {"refused", {StatusReply(4, 6)}, EfsStep::stepFailed},
    };
    for (const auto& [what, replies, last] : cases) {
        CEfsFileRead read("/f");
        for (size_t i = 0; i + 1 < replies.size(); ++i)
            ASSERT_EQ(read.Accept(replies[i]), EfsStep::stepContinue) << what;
        EXPECT_EQ(read.Accept(replies.back()), last) << what;
    }

    CEfsFileRead huge("/f");
    ASSERT_EQ(huge.Accept(ReadReply(true, Bytes(16, 0), 0xFFFFFFFFu)), EfsStep::stepContinue);
    EXPECT_EQ(huge.BytesDone(), 16u);
    EXPECT_LT(huge.TakeData().capacity(), 1u << 20) << "an announced total is not allocated up front";
}

// A write ended early sends its next block as the last one, with the sequence it was due, and
// goes no further whatever the handset answers; the last block of a file is a last block anyway.
TEST(EfsFileWrite, EndingEarlySendsTheNextBlockAsTheLast)
{
    const Bytes data(1000, 7);
    CEfsFileWrite write("/f", efsDefaultWriteMode, efsDefaultFileAttributes, data);
    EXPECT_FALSE(write.Started());
    EXPECT_EQ((*write.Request())[3], 1) << "more after the first block";
    ASSERT_EQ(write.Accept(StatusReply(5, 0)), EfsStep::stepContinue);
    EXPECT_TRUE(write.Started());
    EXPECT_FALSE(write.AtLastBlock());
    write.EndEarly();
    const EfsRequest closing = *write.Request();
    EXPECT_EQ(Bytes(closing.begin(), closing.begin() + 6), (Bytes{0x59, 5, 1, 0, 0, 1})) << "block 1, more 0, 256 bytes";
    EXPECT_EQ(write.Accept(StatusReply(5, 0)), EfsStep::stepFailed);
    EXPECT_EQ(write.BytesDone(), 256u);

    CEfsFileWrite nearlyDone("/f", efsDefaultWriteMode, efsDefaultFileAttributes, data);
    for (int block = 0; block < 3; ++block)
        ASSERT_EQ(nearlyDone.Accept(StatusReply(5, 0)), EfsStep::stepContinue);
    EXPECT_TRUE(nearlyDone.AtLastBlock());
    EXPECT_EQ((*nearlyDone.Request())[3], 0);
}
