#include "link/frame_codec.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Encode(const Bytes& payload, bool noOpeningFlag = true)
{
    std::array<uint8_t, frameWorkAreaSize> work{};
    const size_t n = EncodeFrame(payload.data(), payload.size(), work.data(), noOpeningFlag);
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

TEST(Crc16, CheckValueAndEmptyPayload)
{
    const Bytes digits{'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(Crc16(digits.data(), 9), 0x906E);
    EXPECT_EQ(Crc16(digits.data(), 0), 0x0000);
    EXPECT_EQ(Crc16(digits.data(), -3), 0x0000);
}

struct WorkedExample {
    Bytes payload;
    bool openingFlag;
    Bytes frame;
};

TEST(EncodeFrame, WorkedExamples)
{
    const std::vector<WorkedExample> examples = {
        {{0x0C}, false, {0x0C, 0x14, 0x3A, 0x7E}},
        {{0x00}, false, {0x00, 0x78, 0xF0, 0x7E}},
        {{0x29, 0x01, 0x00}, false, {0x29, 0x01, 0x00, 0x31, 0x40, 0x7E}},
        {{0x06}, true, {0x7E, 0x06, 0x4E, 0x95, 0x7E}},
        {{0x7E, 0x7D}, false, {0x7D, 0x5E, 0x7D, 0x5D, 0xF1, 0xCD, 0x7E}},
    };
    for (const auto& example : examples) {
        EXPECT_EQ(Encode(example.payload, !example.openingFlag), example.frame);
        Bytes frame = example.frame;
        ASSERT_EQ(Decode(frame), linkStatusOk);
        EXPECT_EQ(frame, example.payload);
    }
}

TEST(EncodeFrame, EscapesCheckBytesToo)
{
    // Search for a payload whose CRC contains a byte needing escape and check it is escaped.
    for (unsigned b = 0; b < 65536; ++b) {
        const Bytes payload{static_cast<uint8_t>(b & 0xFF), static_cast<uint8_t>(b >> 8)};
        const uint16_t crc = Crc16(payload.data(), 2);
        if ((crc & 0xFF) != 0x7E)
            continue;
        const Bytes frame = Encode(payload);
        size_t escapes = 0;
        for (size_t i = 0; i + 1 < frame.size(); ++i)
            EXPECT_NE(frame[i], 0x7E) << "unescaped flag inside the body";
        for (uint8_t byte : frame)
            escapes += byte == 0x7D;
        EXPECT_GE(escapes, 1u);
        return;
    }
    FAIL() << "no payload found whose check byte needs escaping";
}

TEST(EncodeFrame, WorstCaseFitsTheWorkAreaAndLongerPayloadsAreRefused)
{
    std::vector<uint8_t> tooLong(frameMaxPayload + 1, 0x7E);
    std::array<uint8_t, frameWorkAreaSize> work{};
    EXPECT_EQ(EncodeFrame(tooLong.data(), tooLong.size(), work.data(), true), 0u);
    const Bytes payload(frameMaxPayload, 0x7D);
    const Bytes frame = Encode(payload, false);
    // Every body byte escaped, plus both flags; the check bytes may or may not need escaping.
    EXPECT_LE(frame.size(), frameWorkAreaSize);
    EXPECT_GE(frame.size(), 2 * frameMaxPayload + 4);
}

TEST(DecodeFrame, RoundTripsEveryPayloadLength)
{
    for (size_t length = 1; length <= frameMaxPayload; ++length) {
        Bytes payload(length);
        for (size_t i = 0; i < length; ++i)
            payload[i] = static_cast<uint8_t>((i * 131 + length) & 0xFF);
        for (bool noOpeningFlag : {true, false}) {
            Bytes frame = Encode(payload, noOpeningFlag);
            ASSERT_EQ(Decode(frame), linkStatusOk) << "length " << length;
            ASSERT_EQ(frame, payload) << "length " << length;
        }
    }
}

TEST(DecodeFrame, IncompleteFrames)
{
    const std::vector<Bytes> incomplete = {
        {},                        // nothing at all
        {0x7E},                    // count of one
        {0x0C, 0x14, 0x3A},        // no closing flag
        {0x7E, 0x7E},              // empty frame between two flags
        {0x14, 0x3A, 0x7E},        // check bytes only, no payload
        {0x0C, 0x14, 0x3A, 0x7D, 0x7E},  // escape right before the flag
    };
    size_t nullLength = 4;
    EXPECT_EQ(DecodeFrame(nullptr, nullLength), linkStatusIncompleteFrame);
    for (Bytes frame : incomplete) {
        size_t length = frame.size();
        EXPECT_EQ(DecodeFrame(frame.data(), length), linkStatusIncompleteFrame);
        EXPECT_EQ(length, frame.size()) << "length must be left unchanged on failure";
    }
}

TEST(DecodeFrame, EveryFlippedBitFailsTheCheck)
{
    const Bytes good = Encode({0x59, 0x0B, 0x00, 0x00, 0x01, 0x00});
    for (size_t i = 0; i + 1 < good.size(); ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            Bytes frame = good;
            frame[i] = static_cast<uint8_t>(frame[i] ^ (1u << bit));
            if (frame[i] == 0x7E || frame[i] == 0x7D)
                continue;  // changes the framing rather than the content
            size_t length = frame.size();
            EXPECT_EQ(DecodeFrame(frame.data(), length), linkStatusBadCrc)
                << "byte " << i << " bit " << bit;
        }
    }
}

}  // namespace
