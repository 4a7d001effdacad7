// Process-wide counters, in their own executable so that nothing else in the process has
// built a command or recorded a code before the test starts.
#include <gtest/gtest.h>

#include "link/diag_command.h"
#include "link/port_stats.h"

TEST(ProcessCounters, TagsStartAtOneAndFirstCodesStopAt256AcrossLinks)
{
    // A record's tag is 0 until it is given one. Concurrent senders draw tags in the link tests.
    EXPECT_EQ(NextCommandTag(), 1u);
    EXPECT_EQ(NextCommandTag(), 2u);
    CPortStats first;
    CPortStats second;
    CDiagCommand record(encFramed);
    record.linkKind = linkDiagLow;
    const uint8_t code = 0x59;
    record.BuildFrame(&code, 1);
    for (int i = 0; i < 200; ++i) {
        first.CountCommand(record);
        second.CountCommand(record);
    }
    EXPECT_EQ(first.firstCount + second.firstCount, 256);
    EXPECT_EQ(second.diagPackets.load(), 200);
}
