// Multi-request exchanges driven with hand-built replies: sequence numbers, more flags, the
// odd-name filter, and the bounds that keep a hostile handset from growing or looping a transfer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "efs/efs_transfers.h"
#include "efs_test_replies.h"

using namespace efs_test;

namespace {

uint32_t IterationSequence(const EfsRequest& request)
{
    return static_cast<uint32_t>(request[2] | (request[3] << 8) | (request[4] << 16) |
                                 (request[5] << 24));
}

}  // namespace

TEST(EfsIteration, AsksEachIndexUntilStatus28)
{
    CEfsIteration iteration(efsIterateFiles, "/d");
    const std::vector<Bytes> replies = {IterationEntry(11, "/d/a"), IterationEntry(11, "/d/b"),
                                        StatusReply(11, 28)};
    std::vector<EfsStep> steps;
    for (uint32_t index = 0; index < replies.size(); ++index) {
        const auto request = iteration.Request();
        ASSERT_TRUE(request);
        EXPECT_EQ(IterationSequence(*request), index);
        EXPECT_EQ(EfsRequestLength(*request), request->size());
        steps.push_back(iteration.Accept(replies[index]));
    }
    EXPECT_EQ(steps.back(), EfsStep::stepDone);
    EXPECT_EQ(iteration.Names(), (std::vector<std::string>{"/d/a", "/d/b"}));
}

TEST(EfsIteration, EmptyDirectoryAndFailures)
{
    CEfsIteration empty(efsIterateDirs, "");
    EXPECT_EQ(empty.Accept(StatusReply(10, 28)), EfsStep::stepDone);
    EXPECT_TRUE(empty.Names().empty());

    CEfsIteration missing(efsIterateDirs, "/gone");
    EXPECT_EQ(missing.Accept(StatusReply(10, 6)), EfsStep::stepFailed);

    CEfsIteration foreign(efsIterateDirs, "");
    EXPECT_EQ(foreign.Accept(Bytes{0x13, 0x59, 0x00}), EfsStep::stepFailed);
    EXPECT_FALSE(foreign.TooManyEntries());
}

TEST(EfsIteration, OddNamesAdvanceTheSequenceButAreNotStored)
{
    CEfsIteration iteration(efsIterateDirs, "/d");
    for (const char* odd : {"", ".", "..", "/", "/d/..", "/d/./x", "//"})
        ASSERT_EQ(iteration.Accept(IterationEntry(10, odd)), EfsStep::stepContinue) << odd;
    ASSERT_EQ(iteration.Accept(IterationEntry(10, "/d/real")), EfsStep::stepContinue);
    EXPECT_EQ(IterationSequence(*iteration.Request()), 8u);
    EXPECT_EQ(iteration.Names(), (std::vector<std::string>{"/d/real"}));
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

TEST(EfsFileRead, ZeroLengthFileIsOneEmptyBlock)
{
    CEfsFileRead read("/empty");
    EXPECT_EQ(read.Accept(ReadFirstReply(false, 0, {})), EfsStep::stepDone);
    EXPECT_TRUE(read.TakeData().empty());
}

TEST(EfsFileRead, BlocksMustAddUpToTheAnnouncedTotal)
{
    CEfsFileRead tooMuch("/f");
    ASSERT_EQ(tooMuch.Accept(ReadFirstReply(true, 300, Pattern(256, 0))), EfsStep::stepContinue);
    EXPECT_EQ(tooMuch.Accept(ReadNextReply(false, Pattern(45, 0))), EfsStep::stepFailed);

    CEfsFileRead firstTooMuch("/f");
    EXPECT_EQ(firstTooMuch.Accept(ReadFirstReply(false, 10, Pattern(11, 0))),
              EfsStep::stepFailed);

    CEfsFileRead tooLittle("/f");
    ASSERT_EQ(tooLittle.Accept(ReadFirstReply(true, 300, Pattern(256, 0))),
              EfsStep::stepContinue);
    EXPECT_EQ(tooLittle.Accept(ReadNextReply(false, Pattern(43, 0))), EfsStep::stepFailed);

    CEfsFileRead exact("/f");
    ASSERT_EQ(exact.Accept(ReadFirstReply(true, 300, Pattern(256, 0))), EfsStep::stepContinue);
    EXPECT_EQ(exact.Accept(ReadNextReply(false, Pattern(44, 0))), EfsStep::stepDone);

    CEfsFileRead refused("/f");
    EXPECT_EQ(refused.Accept(StatusReply(4, 6)), EfsStep::stepFailed);
}

TEST(EfsFileRead, MoreFlagThatNeverClearsFails)
{
    CEfsFileRead read("/f");
    ASSERT_EQ(read.Accept(ReadFirstReply(true, 4, Bytes{1, 2, 3, 4})), EfsStep::stepContinue);
    EXPECT_EQ(read.Accept(ReadNextReply(true, {})), EfsStep::stepFailed)
        << "an empty block that still announces more makes no progress";
}

TEST(EfsFileRead, HugeAnnouncedTotalIsNotAllocatedUpFront)
{
    CEfsFileRead read("/f");
    ASSERT_EQ(read.Accept(ReadFirstReply(true, 0xFFFFFFFFu, Pattern(16, 0))),
              EfsStep::stepContinue);
    EXPECT_EQ(read.BytesDone(), 16u);
    EXPECT_LT(read.TakeData().capacity(), 1u << 20);
}

TEST(EfsFileWrite, StopsAtTheFirstRefusedBlock)
{
    const Bytes data = Pattern(600, 0);
    CEfsFileWrite write("/f", 1, efsDefaultFileAttributes, data);
    ASSERT_EQ(write.Accept(StatusReply(5, 0)), EfsStep::stepContinue);
    EXPECT_EQ(write.BytesDone(), 256u);
    EXPECT_EQ(write.Accept(StatusReply(5, 22)), EfsStep::stepFailed);
    EXPECT_EQ(write.BytesDone(), 256u);

    CEfsFileWrite badName(std::string(255, 'n'), 1, efsDefaultFileAttributes, data);
    EXPECT_FALSE(badName.Request());
}
