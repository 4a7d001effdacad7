// Builders of handset reply bytes for the EFS unit tests and fuzz seeds: each writes the layout
// a handset sends, so the readers are tested against independently assembled bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace efs_test {

using Bytes = std::vector<uint8_t>;

inline void PutLe16(Bytes& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

inline void PutLe32(Bytes& out, uint32_t value)
{
    PutLe16(out, value & 0xFFFF);
    PutLe16(out, value >> 16);
}

inline Bytes StatusReply(uint8_t subcommand, uint8_t status)
{
    return Bytes{0x59, subcommand, status};
}

inline Bytes IterationEntry(uint8_t subcommand, const std::string& name)
{
    Bytes reply = StatusReply(subcommand, 0);
    reply.resize(25, 0xAA);  // entry details nobody reads
    reply.insert(reply.end(), name.begin(), name.end());
    reply.push_back(0);
    return reply;
}

inline Bytes ListingReply(uint8_t subcommand, const Bytes& block)
{
    Bytes reply = StatusReply(subcommand, 0);
    PutLe16(reply, 0);
    PutLe16(reply, static_cast<uint32_t>(block.size()));
    reply.insert(reply.end(), block.begin(), block.end());
    return reply;
}

inline Bytes ReadFirstReply(bool more, uint32_t total, const Bytes& block)
{
    Bytes reply = StatusReply(4, 0);
    reply.push_back(0);
    reply.push_back(more ? 1 : 0);
    PutLe32(reply, total);
    PutLe16(reply, static_cast<uint32_t>(block.size()));
    reply.insert(reply.end(), block.begin(), block.end());
    return reply;
}

inline Bytes ReadNextReply(bool more, const Bytes& block)
{
    Bytes reply = StatusReply(4, 0);
    reply.push_back(0);
    reply.push_back(more ? 1 : 0);
    PutLe16(reply, static_cast<uint32_t>(block.size()));
    reply.insert(reply.end(), block.begin(), block.end());
    return reply;
}

inline Bytes SpaceReply(uint32_t freeBytes, uint32_t usedBytes)
{
    Bytes reply = StatusReply(12, 0);
    PutLe32(reply, freeBytes);
    PutLe32(reply, usedBytes);
    return reply;
}

inline Bytes AttributesReply(uint16_t attributes, uint8_t option1, uint8_t option2,
                             uint32_t time, uint32_t size)
{
    Bytes reply = StatusReply(7, 0);
    PutLe16(reply, attributes);
    reply.push_back(option1);
    reply.push_back(option2);
    PutLe32(reply, time);
    PutLe32(reply, size);
    return reply;
}

inline Bytes Pattern(size_t length, uint8_t seed)
{
    Bytes data(length);
    for (size_t i = 0; i < length; ++i)
        data[i] = static_cast<uint8_t>((i * 7 + seed) & 0xFF);
    return data;
}

}  // namespace efs_test
