// Process-wide counters, in their own executable so that nothing else in the process has
// built a command or recorded a code before the test starts.
#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <thread>
#include <vector>

#include "link/diag_command.h"
#include "link/port_stats.h"

TEST(ProcessCounters, TagsStartAtOneAndFirstCodesStopAt256AcrossLinks)
{
    EXPECT_EQ(NextCommandTag(), 1u);
    std::vector<uint32_t> tags;
    std::mutex lock;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 100; ++i) {
                const uint32_t tag = NextCommandTag();
                std::lock_guard guard(lock);
                tags.push_back(tag);
            }
        });
    for (auto& thread : threads)
        thread.join();
    std::sort(tags.begin(), tags.end());
    for (size_t i = 0; i < tags.size(); ++i)
        ASSERT_EQ(tags[i], 2u + i) << "a tag given twice or skipped";

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
