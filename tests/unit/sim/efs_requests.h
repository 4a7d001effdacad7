// Builds EFS request payloads the way the product sends them, for tests of the handset model.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace simtest {

using Bytes = std::vector<uint8_t>;

inline void PutName(Bytes& out, const std::string& name)
{
    out.push_back(static_cast<uint8_t>(name.size() + 1));
    out.insert(out.end(), name.begin(), name.end());
    out.push_back(0);
}

inline void PutLe(Bytes& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

inline uint32_t Le(const Bytes& in, size_t offset, int bytes)
{
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= static_cast<uint32_t>(in.at(offset + static_cast<size_t>(i))) << (8 * i);
    return value;
}

inline Bytes NameRequest(uint8_t subcommand, const std::string& name)
{
    Bytes out{0x59, subcommand};
    PutName(out, name);
    return out;
}

inline Bytes IterateRequest(uint8_t subcommand, uint32_t sequence, const std::string& directory)
{
    Bytes out{0x59, subcommand};
    PutLe(out, sequence, 4);
    PutName(out, directory);
    return out;
}

inline Bytes ReadFirst(const std::string& name)
{
    Bytes out{0x59, 0x04, 0x00};
    PutName(out, name);
    return out;
}

inline Bytes ReadNext(uint8_t sequence)
{
    return {0x59, 0x04, sequence};
}

inline Bytes WriteFirst(const std::string& name, uint32_t total, const Bytes& block, bool more)
{
    Bytes out{0x59, 0x05, 0x00, static_cast<uint8_t>(more ? 1 : 0), 0x01};
    PutLe(out, total, 4);
    PutLe(out, 0x00FF, 2);
    out.push_back(1);
    out.push_back(0);
    PutName(out, name);
    PutLe(out, static_cast<uint32_t>(block.size()), 2);
    out.insert(out.end(), block.begin(), block.end());
    return out;
}

inline Bytes WriteNext(uint8_t sequence, const Bytes& block, bool more)
{
    Bytes out{0x59, 0x05, sequence, static_cast<uint8_t>(more ? 1 : 0)};
    PutLe(out, static_cast<uint32_t>(block.size()), 2);
    out.insert(out.end(), block.begin(), block.end());
    return out;
}

// The name an iteration reply carries at offset 25, up to its terminator.
inline std::string IteratedName(const Bytes& reply)
{
    std::string name;
    for (size_t i = 25; i < reply.size() && reply[i] != 0; ++i)
        name.push_back(static_cast<char>(reply[i]));
    return name;
}

}  // namespace simtest
