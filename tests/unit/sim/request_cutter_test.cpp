// Cutting the received byte stream into frames and modem lines, checked against the frames the
// product sends on the wire.
#include <gtest/gtest.h>

#include "link/frame_codec.h"
#include "sim/request_cutter.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::vector<Bytes> DecodeAll(sim::CRequestCutter& cutter)
{
    std::vector<Bytes> payloads;
    while (auto frame = cutter.NextFrame()) {
        size_t length = frame->size();
        if (DecodeFrame(frame->data(), length) == linkStatusOk)
            payloads.emplace_back(frame->begin(), frame->begin() + static_cast<long>(length));
    }
    return payloads;
}

TEST(RequestCutter, WireExamplesDecodeToTheirPayloads)
{
    const Bytes wire{0x0C, 0x14, 0x3A, 0x7E,                    // status
                     0x00, 0x78, 0xF0, 0x7E,                    // basic information
                     0x29, 0x01, 0x00, 0x31, 0x40, 0x7E,        // offline
                     0x7E, 0x06, 0x4E, 0x95, 0x7E,              // download probe, opening flag
                     0x7D, 0x5E, 0x7D, 0x5D, 0xF1, 0xCD, 0x7E}; // escaped bytes
    const std::vector<Bytes> expected{{0x0C}, {0x00}, {0x29, 0x01, 0x00}, {0x06}, {0x7E, 0x7D}};

    sim::CRequestCutter whole;
    whole.Append(wire.data(), wire.size());
    EXPECT_EQ(DecodeAll(whole), expected);

    // Byte by byte, as a slow line delivers them.
    sim::CRequestCutter trickle;
    std::vector<Bytes> got;
    for (uint8_t byte : wire) {
        trickle.Append(&byte, 1);
        for (auto& payload : DecodeAll(trickle))
            got.push_back(payload);
    }
    EXPECT_EQ(got, expected);
}

TEST(RequestCutter, JunkAndDamagedFramesAreDroppedAndTheStreamResynchronises)
{
    Bytes wire{0x41, 0x54, 0x0D, 0x7E, 0x7E};           // junk, then back-to-back flags
    wire.insert(wire.end(), {0x0C, 0x14, 0x3B, 0x7E});   // damaged check sequence
    wire.insert(wire.end(), {0x0C, 0x14, 0x3A, 0x7E});
    sim::CRequestCutter cutter;
    cutter.Append(wire.data(), wire.size());
    EXPECT_EQ(DecodeAll(cutter), (std::vector<Bytes>{{0x0C}}));
    EXPECT_EQ(cutter.Pending(), 0u);
}

TEST(RequestCutter, EndlessBytesWithoutAFlagStayBounded)
{
    sim::CRequestCutter cutter;
    const Bytes junk(3000, 0x41);
    for (int i = 0; i < 10; ++i)
        cutter.Append(junk.data(), junk.size());
    EXPECT_LE(cutter.Pending(), sim::CRequestCutter::maxPending);
    const Bytes frame{0x0C, 0x14, 0x3A, 0x7E};
    cutter.Append(frame.data(), frame.size());
    EXPECT_TRUE(cutter.NextFrame().has_value()) << "a frame after the junk still arrives (possibly with junk before)";
}

TEST(RequestCutter, LinesEndAtCarriageReturnWithoutControlBytes)
{
    sim::CRequestCutter cutter;
    const std::string text = std::string("\x0C\x14:~AT$KTDMG\r", 13) + "AT";
    cutter.Append(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    EXPECT_EQ(cutter.NextLine(), std::optional<std::string>(":~AT$KTDMG"));
    EXPECT_FALSE(cutter.NextLine().has_value()) << "an unfinished line waits for its \\r";
}

}  // namespace
