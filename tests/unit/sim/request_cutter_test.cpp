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

// Whole or byte by byte, as a slow line delivers them: junk, back-to-back flags and a damaged
// check sequence are dropped and the stream resynchronises.
TEST(RequestCutter, WireExamplesDecodeToTheirPayloads)
{
    const Bytes wire{0x0C, 0x14, 0x3A, 0x7E,                     // status
                     0x41, 0x54, 0x0D, 0x7E, 0x7E,               // junk, then back-to-back flags
                     0x0C, 0x14, 0x3B, 0x7E,                     // damaged check sequence
                     0x29, 0x01, 0x00, 0x31, 0x40, 0x7E,         // offline
                     0x7E, 0x06, 0x4E, 0x95, 0x7E,               // download probe, opening flag
                     0x7D, 0x5E, 0x7D, 0x5D, 0xF1, 0xCD, 0x7E};  // escaped bytes
    const std::vector<Bytes> expected{{0x0C}, {0x29, 0x01, 0x00}, {0x06}, {0x7E, 0x7D}};
    sim::CRequestCutter whole, trickle;
    whole.Append(wire.data(), wire.size());
    EXPECT_EQ(DecodeAll(whole), expected);
    EXPECT_EQ(whole.Pending(), 0u);
    std::vector<Bytes> got;
    for (uint8_t byte : wire) {
        trickle.Append(&byte, 1);
        for (auto& payload : DecodeAll(trickle))
            got.push_back(payload);
    }
    EXPECT_EQ(got, expected);
}

TEST(RequestCutter, EndlessJunkStaysBoundedAndLinesEndAtCarriageReturn)
{
    sim::CRequestCutter cutter;
    const Bytes junk(3000, 0x41);
    for (int i = 0; i < 10; ++i)
        cutter.Append(junk.data(), junk.size());
    EXPECT_LE(cutter.Pending(), sim::CRequestCutter::maxPending);
    cutter.Append(Bytes{0x0C, 0x14, 0x3A, 0x7E}.data(), 4);
    EXPECT_TRUE(cutter.NextFrame().has_value()) << "a frame after the junk still arrives";

    sim::CRequestCutter lines;
    const std::string text = std::string("\x0C\x14:~AT$KTDMG\r", 13) + "AT";
    lines.Append(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    EXPECT_EQ(lines.NextLine(), std::optional<std::string>(":~AT$KTDMG")) << "control bytes dropped";
    EXPECT_FALSE(lines.NextLine().has_value()) << "an unfinished line waits for its \\r";
}

}  // namespace
