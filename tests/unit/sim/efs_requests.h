// EFS request payloads for the handset tests, made by the product's own builders (whose bytes
// the EFS tests pin).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "efs/efs_packets.h"

namespace simtest {

using Bytes = std::vector<uint8_t>;

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
