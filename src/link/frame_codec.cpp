#include "link/frame_codec.h"

#include <array>

namespace {

constexpr std::array<uint16_t, 256> MakeCrcTable()
{
    std::array<uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned value = i;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1u) ? (value >> 1) ^ 0x8408u : value >> 1;
        table[i] = static_cast<uint16_t>(value);
    }
    return table;
}

constexpr std::array<uint16_t, 256> crcTable = MakeCrcTable();
static_assert(crcTable[1] == 0x1189 && crcTable[128] == 0x8408);

uint8_t* PutEscaped(uint8_t* out, uint8_t byte)
{
    if (byte == frameFlag || byte == frameEscape) {
        *out++ = frameEscape;
        *out++ = static_cast<uint8_t>(byte ^ frameEscapeXor);
    } else {
        *out++ = byte;
    }
    return out;
}

}  // namespace

uint16_t Crc16(const uint8_t* bytes, long length)
{
    uint16_t crc = 0xFFFF;
    for (long i = 0; i < length; ++i)
        crc = static_cast<uint16_t>(crcTable[(crc ^ bytes[i]) & 0xFFu] ^ (crc >> 8));
    return static_cast<uint16_t>(~crc);
}

size_t EncodeFrame(const uint8_t* payload, size_t length, uint8_t* output, bool noOpeningFlag)
{
    if (length > frameMaxPayload)
        return 0;
    const uint16_t crc = Crc16(payload, static_cast<long>(length));
    uint8_t* out = output;
    if (!noOpeningFlag)
        *out++ = frameFlag;
    for (size_t i = 0; i < length; ++i)
        out = PutEscaped(out, payload[i]);
    out = PutEscaped(out, static_cast<uint8_t>(crc & 0xFF));
    out = PutEscaped(out, static_cast<uint8_t>(crc >> 8));
    *out++ = frameFlag;
    return static_cast<size_t>(out - output);
}

LinkStatus DecodeFrame(uint8_t* buffer, size_t& length)
{
    if (buffer == nullptr || length < 2 || buffer[length - 1] != frameFlag)
        return linkStatusIncompleteFrame;

    size_t in = (buffer[0] == frameFlag) ? 1 : 0;
    const size_t end = length - 1;  // the closing flag
    size_t out = 0;
    while (in < end) {
        uint8_t byte = buffer[in++];
        if (byte == frameEscape) {
            if (in == end)  // an escape with nothing after it before the flag
                return linkStatusIncompleteFrame;
            byte = static_cast<uint8_t>(buffer[in++] ^ frameEscapeXor);
        }
        buffer[out++] = byte;
    }
    // At least one payload byte plus the two check bytes.
    if (out < 3)
        return linkStatusIncompleteFrame;
    if (Crc16(buffer, static_cast<long>(out)) != crc16GoodResidue)
        return linkStatusBadCrc;
    length = out - 2;
    return linkStatusOk;
}
