// Damaged, lost and late replies through the real link: every operation either gives exactly
// the data the handset holds or fails cleanly, within the time its retries allow.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "efs/efs_operations.h"
#include "fault_fixture.h"
#include "sim/sim_behaviour.h"

using namespace faults_test;

namespace {

// Three attempts at the longest per-request time-out, plus room for a slow machine.
constexpr auto requestBound = seconds(30);

EfsNameList Sorted(EfsNameList names)
{
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST_F(FaultsOnHandset, CorruptReplyBytesGiveExactResultsOrCleanFailures)
{
    PutDeviceFile("noisy/small", Pattern(40, 1));
    PutDeviceFile("noisy/other", Pattern(3, 2));
    ASSERT_NO_FATAL_FAILURE(StartAndConnect({}, 0.01));
    const Bytes written = Pattern(1500, 3);

    const bool wrote = RunWithin(requestBound, [&] {
        return EfsWriteFile(port.get(), "/noisy/new", efsDefaultWriteMode, efsDefaultFileAttributes,
                            written.data(), written.size());
    });
    uint32_t size = 99;
    const auto read = RunWithin(requestBound, [&] { return EfsReadFile(port.get(), "/noisy/small", &size); });
    EfsNameList names;
    const bool listed = RunWithin(requestBound, [&] { return EfsListFiles(port.get(), "/noisy", &names); });

    EXPECT_GT(relay->CorruptedReplyBytes(), 0u) << "the relay damaged nothing";
    if (wrote) {
        EXPECT_EQ(ReadPcFile(device / "noisy/new"), written);
    }
    if (read) {
        EXPECT_EQ(*read, Pattern(40, 1));
        EXPECT_EQ(size, 40u);
    } else {
        EXPECT_EQ(size, 0u);
    }
    if (listed) {
        EfsNameList expected{"/noisy/other", "/noisy/small"};
        if (wrote)
            expected.push_back("/noisy/new");
        EXPECT_EQ(Sorted(names), Sorted(expected));
    }

    // The link is still usable once the line is clean again.
    ASSERT_NO_FATAL_FAILURE(Replug());
    const auto again = RunWithin(requestBound, [&] { return EfsReadFile(port.get(), "/noisy/small"); });
    ASSERT_TRUE(again);
    EXPECT_EQ(*again, Pattern(40, 1));
}

TEST_F(FaultsOnHandset, EveryTenthReplyLostStillTransfersExactly)
{
    for (int i = 0; i < 12; ++i)
        PutDeviceFile("lossy/f" + std::to_string(i), Pattern(5, static_cast<uint8_t>(i)));
    ASSERT_NO_FATAL_FAILURE(StartAndConnect([](sim::SimBehaviour& b) { b.loseEveryNthReply = 10; }));
    const Bytes data = Pattern(10 * 256, 7);

    EXPECT_TRUE(RunWithin(requestBound * 2, [&] {
        return EfsWriteFile(port.get(), "/lossy/big", efsDefaultWriteMode, efsDefaultFileAttributes,
                            data.data(), data.size());
    }));
    EXPECT_EQ(ReadPcFile(device / "lossy/big"), data) << "a retried block was stored twice or lost";

    EfsNameList names;
    ASSERT_TRUE(RunWithin(requestBound, [&] { return EfsListFiles(port.get(), "/lossy", &names); }));
    EXPECT_EQ(names.size(), 13u);
    EXPECT_EQ(std::count(names.begin(), names.end(), "/lossy/big"), 1);
}

TEST_F(FaultsOnHandset, LostReadBlockRepliesNeverCorruptTheData)
{
    // A lost first-block reply is asked for again; a continuation waits 8 s and is sent once, so
    // losing its reply fails the read. Either way the data is whole or there is none, and the
    // handset serves the next read normally.
    const Bytes data = Pattern(20 * 256, 9);
    PutDeviceFile("lossy/read", data);
    ASSERT_NO_FATAL_FAILURE(StartAndConnect([](sim::SimBehaviour& b) { b.loseEveryNthReply = 10; }));
    const auto lossy = RunWithin(requestBound * 3, [&] { return EfsReadFile(port.get(), "/lossy/read"); });
    if (lossy) {
        EXPECT_EQ(*lossy, data);
    }
    host->UpdateBehaviour([](sim::SimBehaviour& b) { b.loseEveryNthReply = 0; });
    const auto back = RunWithin(requestBound, [&] { return EfsReadFile(port.get(), "/lossy/read"); });
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, data);
}

TEST_F(FaultsOnHandset, RepliesLaterThanTheTimeOutFailAndNeverAnswerTheNextRequest)
{
    PutDeviceFile("a", Pattern(300, 1));
    PutDeviceFile("b", Pattern(200, 2));
    ASSERT_NO_FATAL_FAILURE(StartAndConnect());
    // Longer than the listing's 2 s time-out, so every attempt's reply comes too late.
    host->UpdateBehaviour([](sim::SimBehaviour& b) { b.replyDelay = milliseconds(2500); });
    EfsNameList names;
    EXPECT_FALSE(RunWithin(requestBound, [&] { return EfsListFiles(port.get(), "", &names); }))
        << "a reply after the time-out was taken";
    EXPECT_TRUE(names.empty());

    // The late replies are still on their way while the next requests go out: none of them may
    // pass for the answer to another request.
    host->UpdateBehaviour([](sim::SimBehaviour& b) { b.replyDelay = milliseconds(0); });
    ASSERT_TRUE(WaitUntil(seconds(20), [&] { return port->GetPhoneStatus() == phoneStatusReady; }));
    const auto other = RunWithin(requestBound, [&] { return EfsReadFile(port.get(), "/b"); });
    if (other) {
        EXPECT_EQ(*other, Pattern(200, 2));
    }
    const auto first = RunWithin(requestBound, [&] { return EfsReadFile(port.get(), "/a"); });
    ASSERT_TRUE(first) << "the link did not recover from the late replies";
    EXPECT_EQ(*first, Pattern(300, 1));
}
