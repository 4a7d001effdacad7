#include "efs/efs_packets.h"

namespace {

void AppendLe16(EfsRequest& out, uint16_t value)
{
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void AppendLe32(EfsRequest& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>((value >> shift) & 0xFF));
}

EfsRequest StartRequest(EfsSubcommand subcommand)
{
    return EfsRequest{efsCommandCode, subcommand};
}

bool IsNameRequest(EfsSubcommand subcommand)
{
    switch (subcommand) {
    case efsMkDir:
    case efsRmDir:
    case efsListDirs:
    case efsListFiles:
    case efsRemoveFile:
    case efsGetAttributes:
        return true;
    default:
        return false;
    }
}

}  // namespace

bool PackDeviceName(EfsRequest& destination, std::string_view name)
{
    if (name.size() > efsMaxNameBytes || name.find('\0') != std::string_view::npos)
        return false;
    destination.push_back(static_cast<uint8_t>(name.size() + 1));
    destination.insert(destination.end(), name.begin(), name.end());
    destination.push_back(0);
    return true;
}

size_t EfsRequestLength(std::span<const uint8_t> request)
{
    if (request.size() < 2)
        return 0;
    const auto byteAt = [&](size_t offset) -> std::optional<size_t> {
        if (offset >= request.size())
            return std::nullopt;
        return request[offset];
    };
    switch (request[1]) {
    case efsReadFile: {
        const auto seq = byteAt(2);
        if (!seq)
            return 0;
        if (*seq != 0)
            return 3;
        const auto nameLength = byteAt(3);
        return nameLength ? 3 + 1 + *nameLength : 0;
    }
    case efsWriteFile: {
        const auto seq = byteAt(2);
        if (!seq)
            return 0;
        if (*seq != 0) {
            const auto low = byteAt(4), high = byteAt(5);
            return low && high ? 6 + (*low | (*high << 8)) : 0;
        }
        const auto nameLength = byteAt(13);
        if (!nameLength)
            return 0;
        const auto low = byteAt(14 + *nameLength), high = byteAt(15 + *nameLength);
        return low && high ? 16 + *nameLength + (*low | (*high << 8)) : 0;
    }
    case efsIterateDirs:
    case efsIterateFiles: {
        const auto nameLength = byteAt(6);
        return nameLength ? 6 + 1 + *nameLength : 0;
    }
    default:
        if (request[1] >= efsSpace)
            return 2;
        const auto nameLength = byteAt(2);
        return nameLength ? 2 + 1 + *nameLength : 0;
    }
}

uint8_t NextEfsSequence(uint8_t seq)
{
    return seq == 255 ? 1 : static_cast<uint8_t>(seq + 1);
}

std::optional<EfsRequest> BuildEfsNameRequest(EfsSubcommand subcommand, std::string_view path)
{
    if (!IsNameRequest(subcommand))
        return std::nullopt;
    EfsRequest request = StartRequest(subcommand);
    if (!PackDeviceName(request, path))
        return std::nullopt;
    return request;
}

std::optional<EfsRequest> BuildEfsIterateRequest(EfsSubcommand subcommand, uint32_t sequence,
                                                 std::string_view directory)
{
    if (subcommand != efsIterateDirs && subcommand != efsIterateFiles)
        return std::nullopt;
    EfsRequest request = StartRequest(subcommand);
    AppendLe32(request, sequence);
    if (!PackDeviceName(request, directory))
        return std::nullopt;
    return request;
}

std::optional<EfsRequest> BuildEfsReadFirstRequest(std::string_view path)
{
    EfsRequest request = StartRequest(efsReadFile);
    request.push_back(0);
    if (!PackDeviceName(request, path))
        return std::nullopt;
    return request;
}

EfsRequest BuildEfsReadNextRequest(uint8_t sequence)
{
    EfsRequest request = StartRequest(efsReadFile);
    request.push_back(sequence);
    return request;
}

std::optional<EfsRequest> BuildEfsWriteFirstBlock(bool more, uint8_t mode, uint32_t totalLength,
                                                  const EfsFileAttributes& attributes,
                                                  std::string_view path,
                                                  std::span<const uint8_t> block)
{
    if (block.size() > efsBlockSize)
        return std::nullopt;
    EfsRequest request = StartRequest(efsWriteFile);
    request.push_back(0);
    request.push_back(more ? 1 : 0);
    request.push_back(mode);
    AppendLe32(request, totalLength);
    AppendLe16(request, attributes.attributes);
    request.push_back(attributes.option1);
    request.push_back(attributes.option2);
    if (!PackDeviceName(request, path))
        return std::nullopt;
    AppendLe16(request, static_cast<uint16_t>(block.size()));
    request.insert(request.end(), block.begin(), block.end());
    return request;
}

std::optional<EfsRequest> BuildEfsWriteNextBlock(uint8_t sequence, bool more,
                                                 std::span<const uint8_t> block)
{
    if (sequence == 0 || block.empty() || block.size() > efsBlockSize)
        return std::nullopt;
    EfsRequest request = StartRequest(efsWriteFile);
    request.push_back(sequence);
    request.push_back(more ? 1 : 0);
    AppendLe16(request, static_cast<uint16_t>(block.size()));
    request.insert(request.end(), block.begin(), block.end());
    return request;
}

EfsRequest BuildEfsSpaceRequest()
{
    return StartRequest(efsSpace);
}
