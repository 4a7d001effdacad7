// Builders of handset reply bytes for the EFS unit tests: each writes the layout a handset
// sends, so the readers are tested against independently assembled bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace efs_test {

using Bytes = std::vector<uint8_t>;

inline void PutLe(Bytes& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

inline Bytes StatusReply(uint8_t subcommand, uint8_t status) { return Bytes{0x59, subcommand, status}; }

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
    PutLe(reply, 0, 2);
    PutLe(reply, static_cast<uint32_t>(block.size()), 2);
    reply.insert(reply.end(), block.begin(), block.end());
    return reply;
}

// A first block carries the total length; later blocks do not.
inline Bytes ReadReply(bool more, const Bytes& block, std::optional<uint32_t> total = {})
{
    Bytes reply{0x59, 4, 0, 0, static_cast<uint8_t>(more ? 1 : 0)};
    if (total)
        PutLe(reply, *total, 4);
    PutLe(reply, static_cast<uint32_t>(block.size()), 2);
    reply.insert(reply.end(), block.begin(), block.end());
    return reply;
}

}  // namespace efs_test
