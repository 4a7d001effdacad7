#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "link/frame_codec.h"
#include "link/receive_buffer.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Frame(const Bytes& payload, bool openingFlag = false)
{
    std::array<uint8_t, frameWorkAreaSize> work{};
    const size_t n = EncodeFrame(payload.data(), payload.size(), work.data(), !openingFlag);
    return Bytes(work.begin(), work.begin() + static_cast<long>(n));
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Feeds each chunk as one read and collects the packets cut after it.
class Cutter {
public:
    std::vector<Bytes> Feed(const Bytes& chunk)
    {
        std::vector<Bytes> packets;
        size_t freeSpace = 0;
        uint8_t* into = buffer.PrepareRead(freeSpace);
        EXPECT_GE(freeSpace, CReceiveBuffer::minimumFreeSpace);
        const size_t n = std::min(freeSpace, chunk.size());
        std::copy(chunk.begin(), chunk.begin() + static_cast<long>(n), into);
        buffer.Commit(n);
        buffer.CutFrames([&](const uint8_t* p, size_t length) { packets.emplace_back(p, p + length); });
        return packets;
    }

    CReceiveBuffer buffer;
};

TEST(ReceiveBuffer, AFrameSplitAcrossReadsIsCutOnceItsFlagArrives)
{
    Cutter cutter;
    const Bytes frame = Frame({0x59, 0x07, 0x7E, 0x7D, 0x10});
    for (size_t split = 1; split < frame.size(); ++split) {
        EXPECT_TRUE(cutter.Feed(Bytes(frame.begin(), frame.begin() + static_cast<long>(split))).empty());
        const auto packets = cutter.Feed(Bytes(frame.begin() + static_cast<long>(split), frame.end()));
        ASSERT_EQ(packets.size(), 1u) << "split at " << split;
        EXPECT_EQ(packets[0], (Bytes{0x59, 0x07, 0x7E, 0x7D, 0x10}));
    }
}

TEST(ReceiveBuffer, OpeningFlagsAndBackToBackFlagsAreCutCorrectly)
{
    Cutter cutter;
    const Bytes stream =
        Concat({Bytes{0x7E, 0x7E}, Frame({0x02, 0x05}, true), Frame({0x06}, true), Bytes{0x7E}, Frame({0x0C})});
    const auto packets = cutter.Feed(stream);
    ASSERT_EQ(packets.size(), 3u);
    EXPECT_EQ(packets[0], (Bytes{0x02, 0x05}));
    EXPECT_EQ(packets[1], (Bytes{0x06}));
    EXPECT_EQ(packets[2], (Bytes{0x0C}));
}

TEST(ReceiveBuffer, CorruptAndShortFramesAreDroppedAndTheStreamResynchronises)
{
    Cutter cutter;
    Bytes bad = Frame({0x59, 0x01, 0x02});
    bad[1] ^= 0x01;
    const Bytes shortFrame{0x01, 0x7E};
    const Bytes danglingEscape{0x59, 0x7D, 0x7E};
    const auto packets = cutter.Feed(Concat({bad, shortFrame, danglingEscape, Frame({0x4B, 0x01})}));
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0], (Bytes{0x4B, 0x01}));
}

TEST(ReceiveBuffer, FewerThanFourUnparsedBytesWaitForMore)
{
    Cutter cutter;
    const Bytes frame = Frame({0x0C});  // four bytes in all
    EXPECT_TRUE(cutter.Feed(Bytes(frame.begin(), frame.begin() + 3)).empty());
    EXPECT_EQ(cutter.buffer.Unparsed(), 3u);
    EXPECT_EQ(cutter.Feed(Bytes(frame.begin() + 3, frame.end())).size(), 1u);
}

TEST(ReceiveBuffer, NoiseWithoutFlagsIsDiscardedOnceOverHalfTheBuffer)
{
    Cutter cutter;
    const Bytes noise(2000, 0x41);
    cutter.Feed(noise);
    cutter.Feed(noise);  // 4000 unparsed bytes, less than 2048 free
    EXPECT_EQ(cutter.buffer.Unparsed(), 4000u);
    // The next read finds the noise discarded, so a frame after it decodes on its own.
    const auto packets = cutter.Feed(Frame({0x59, 0x0C}));
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0], (Bytes{0x59, 0x0C}));
}

TEST(ReceiveBuffer, UnparsedTailUnderHalfTheBufferMovesToTheFront)
{
    Cutter cutter;
    const Bytes frame = Frame({0x59, 0x02});
    Bytes first(3000, 0x41);
    first.push_back(0x7E);  // closes a long junk candidate, which is dropped
    first.insert(first.end(), frame.begin(), frame.begin() + 2);
    EXPECT_TRUE(cutter.Feed(first).empty());
    EXPECT_EQ(cutter.buffer.Unparsed(), 2u);
    const auto packets = cutter.Feed(Bytes(frame.begin() + 2, frame.end()));
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0], (Bytes{0x59, 0x02}));
}

}  // namespace
