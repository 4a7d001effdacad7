// Framing both ways, and the receive buffer that cuts a byte stream into frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "link/frame_codec.h"
#include "link/receive_buffer.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Encode(const Bytes& payload, bool openingFlag = false)
{
    std::array<uint8_t, frameWorkAreaSize> work{};
    const size_t n = EncodeFrame(payload.data(), payload.size(), work.data(), !openingFlag);
    return Bytes(work.begin(), work.begin() + static_cast<long>(n));
}

LinkStatus Decode(Bytes& frame)
{
    size_t length = frame.size();
    const LinkStatus status = DecodeFrame(frame.data(), length);
    if (status == linkStatusOk)
        frame.resize(length);
    return status;
}

TEST(FrameCodec, CheckValueWorkedExamplesAndTheLongestPayload)
{
    const Bytes digits{'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(Crc16(digits.data(), 9), 0x906E);
    EXPECT_EQ(Crc16(digits.data(), -3), 0x0000);
    const struct {
        Bytes payload;
        bool openingFlag;
        Bytes frame;
    } examples[] = {
        {{0x0C}, false, {0x0C, 0x14, 0x3A, 0x7E}},
        {{0x29, 0x01, 0x00}, false, {0x29, 0x01, 0x00, 0x31, 0x40, 0x7E}},
        {{0x06}, true, {0x7E, 0x06, 0x4E, 0x95, 0x7E}},
        {{0x7E, 0x7D}, false, {0x7D, 0x5E, 0x7D, 0x5D, 0xF1, 0xCD, 0x7E}},
        {{0x59, 0x16}, false, {0x59, 0x16, 0x1F, 0x7D, 0x5E, 0x7E}},  // a check byte escaped
        {Bytes(frameMaxPayload, 0x7D), true, {}},                     // the longest, all escaped
    };
    for (const auto& example : examples) {
        Bytes frame = Encode(example.payload, example.openingFlag);
        EXPECT_TRUE(example.frame.empty() || frame == example.frame);
        EXPECT_LE(frame.size(), frameWorkAreaSize);
        ASSERT_EQ(Decode(frame), linkStatusOk);
        EXPECT_EQ(frame, example.payload);
    }
    EXPECT_TRUE(Encode(Bytes(frameMaxPayload + 1, 0x7E)).empty()) << "one byte too long";
}

TEST(FrameCodec, IncompleteAndDamagedFramesFailAndKeepTheirLength)
{
    const std::vector<Bytes> incomplete = {
        {}, {0x7E}, {0x0C, 0x14, 0x3A}, {0x7E, 0x7E}, {0x14, 0x3A, 0x7E}, {0x0C, 0x14, 0x3A, 0x7D, 0x7E},
    };
    size_t nullLength = 4;
    EXPECT_EQ(DecodeFrame(nullptr, nullLength), linkStatusIncompleteFrame);
    for (Bytes frame : incomplete) {
        size_t length = frame.size();
        EXPECT_EQ(DecodeFrame(frame.data(), length), linkStatusIncompleteFrame);
        EXPECT_EQ(length, frame.size());
    }
    const Bytes good = Encode({0x59, 0x0B, 0x00, 0x00, 0x01, 0x00});
    for (size_t i = 0; i + 1 < good.size(); ++i)
        for (int bit = 0; bit < 8; ++bit) {
            Bytes frame = good;
            frame[i] = static_cast<uint8_t>(frame[i] ^ (1u << bit));
            size_t length = frame.size();
            if (frame[i] != 0x7E && frame[i] != 0x7D) {  // those change the framing instead
                EXPECT_EQ(DecodeFrame(frame.data(), length), linkStatusBadCrc) << i << "/" << bit;
            }
        }
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

TEST(ReceiveBuffer, FlagsNoiseAndDamagedFramesLeaveOnlyTheGoodPackets)
{
    Bytes corrupt = Encode({0x59, 0x01, 0x02});
    corrupt[1] ^= 0x01;
    const Bytes tail = Encode({0x59, 0x02});
    const struct {
        const char* what;
        std::vector<Bytes> reads;
        std::vector<Bytes> packets;
    } cases[] = {
        {"opening and back-to-back flags",
         {Join({{0x7E, 0x7E}, Encode({0x02, 0x05}, true), Encode({0x06}, true), {0x7E}, Encode({0x0C})})},
         {{0x02, 0x05}, {0x06}, {0x0C}}},
        // The shortest frame: one byte, its check and the flag, with nothing before it.
        {"shortest frame first", {Encode({0x0C}), Encode({0x13})}, {{0x0C}, {0x13}}},
        {"corrupt, short and dangling-escape frames",
         {Join({corrupt, {0x01, 0x7E}, {0x59, 0x7D, 0x7E}, Encode({0x4B, 0x01})})},
         {{0x4B, 0x01}}},
        // 4000 flagless bytes fill more than half the buffer: they are thrown away whole.
        {"noise without flags", {Bytes(2000, 0x41), Bytes(2000, 0x41), Encode({0x59, 0x0C})}, {{0x59, 0x0C}}},
        // A long junk candidate is dropped; the unparsed tail moves to the front.
        {"junk then a split frame",
         {Join({Bytes(3000, 0x41), {0x7E}, Bytes(tail.begin(), tail.begin() + 2)}), Bytes(tail.begin() + 2, tail.end())},
         {{0x59, 0x02}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Cut(c.reads), c.packets) << c.what;
}

}  // namespace
