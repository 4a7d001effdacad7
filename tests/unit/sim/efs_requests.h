// EFS request payloads for the handset tests, made by the product's own builders (whose bytes
// the EFS tests pin), and little-endian fields of the replies.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "efs/efs_packets.h"

namespace simtest {

using Bytes = std::vector<uint8_t>;

inline uint32_t Le(const Bytes& in, size_t offset, int bytes)
{
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= static_cast<uint32_t>(in.at(offset + static_cast<size_t>(i))) << (8 * i);
    return value;
}

inline Bytes NameRequest(uint8_t subcommand, const std::string& name)
{
    return BuildEfsNameRequest(static_cast<EfsSubcommand>(subcommand), name).value();
}

inline Bytes IterateRequest(uint8_t subcommand, uint32_t sequence, const std::string& directory)
{
    return BuildEfsIterateRequest(static_cast<EfsSubcommand>(subcommand), sequence, directory).value();
}

inline Bytes ReadFirst(const std::string& name) { return BuildEfsReadFirstRequest(name).value(); }
inline Bytes ReadNext(uint8_t sequence) { return BuildEfsReadNextRequest(sequence); }

inline Bytes WriteFirst(const std::string& name, uint32_t total, const Bytes& block, bool more)
{
    return BuildEfsWriteFirstBlock(more, 1, total, efsDefaultFileAttributes, name, block).value();
}

// Sequence 0 gives the layout of a later block with that number, which no builder makes.
inline Bytes WriteNext(uint8_t sequence, const Bytes& block, bool more)
{
    Bytes request = BuildEfsWriteNextBlock(1, more, block).value();
    request[2] = sequence;
    return request;
}

}  // namespace simtest
