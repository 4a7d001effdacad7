#include "link/receive_buffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "link/frame_codec.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Frame(const Bytes& payload, bool openingFlag = false)
{
    std::array<uint8_t, frameWorkAreaSize> work{};
    const size_t n = EncodeFrame(payload.data(), payload.size(), work.data(), !openingFlag);
    return Bytes(work.begin(), work.begin() + static_cast<long>(n));
}

Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Feeds each chunk as one read and returns every packet cut, in order.
std::vector<Bytes> Cut(const std::vector<Bytes>& reads)
{
    CReceiveBuffer buffer;
    std::vector<Bytes> packets;
    for (const Bytes& chunk : reads) {
        size_t freeSpace = 0;
        uint8_t* into = buffer.PrepareRead(freeSpace);
        EXPECT_GE(freeSpace, CReceiveBuffer::minimumFreeSpace);
        const size_t n = std::min(freeSpace, chunk.size());
        std::copy(chunk.begin(), chunk.begin() + static_cast<long>(n), into);
        buffer.Commit(n);
        buffer.CutFrames([&](const uint8_t* p, size_t length) { packets.emplace_back(p, p + length); });
    }
    return packets;
}

TEST(ReceiveBuffer, AFrameSplitAnywhereIsCutOnceWhole)
{
    const Bytes payload{0x59, 0x07, 0x7E, 0x7D, 0x10};
    const Bytes frame = Frame(payload);
    for (size_t split = 1; split < frame.size(); ++split)
        EXPECT_EQ(Cut({Bytes(frame.begin(), frame.begin() + static_cast<long>(split)),
                       Bytes(frame.begin() + static_cast<long>(split), frame.end())}),
                  std::vector<Bytes>{payload})
            << "split at " << split;
}

TEST(ReceiveBuffer, FlagsNoiseAndDamagedFramesLeaveOnlyTheGoodPackets)
{
    Bytes corrupt = Frame({0x59, 0x01, 0x02});
    corrupt[1] ^= 0x01;
    const Bytes tail = Frame({0x59, 0x02});
    const struct {
        const char* what;
        std::vector<Bytes> reads;
        std::vector<Bytes> packets;
    } cases[] = {
        {"opening and back-to-back flags",
         {Join({{0x7E, 0x7E}, Frame({0x02, 0x05}, true), Frame({0x06}, true), {0x7E}, Frame({0x0C})})},
         {{0x02, 0x05}, {0x06}, {0x0C}}},
        {"corrupt, short and dangling-escape frames",
         {Join({corrupt, {0x01, 0x7E}, {0x59, 0x7D, 0x7E}, Frame({0x4B, 0x01})})},
         {{0x4B, 0x01}}},
        // 4000 flagless bytes fill more than half the buffer: they are thrown away whole.
        {"noise without flags", {Bytes(2000, 0x41), Bytes(2000, 0x41), Frame({0x59, 0x0C})}, {{0x59, 0x0C}}},
        // A long junk candidate is dropped; the unparsed tail moves to the front.
        {"junk then a split frame",
         {Join({Bytes(3000, 0x41), {0x7E}, Bytes(tail.begin(), tail.begin() + 2)}), Bytes(tail.begin() + 2, tail.end())},
         {{0x59, 0x02}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Cut(c.reads), c.packets) << c.what;
}

}  // namespace
