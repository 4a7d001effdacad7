#include "efs/efs_replies.h"

#include <algorithm>

namespace {

constexpr size_t efsReplyHeaderSize = 3;
constexpr size_t spaceReplySize = 11;
constexpr size_t attributesReplySize = 15;
constexpr size_t iterationNameOffset = 25;
constexpr size_t listingBlockOffset = 7;
constexpr size_t readFirstDataOffset = 11;
constexpr size_t readNextDataOffset = 7;

uint16_t Le16(EfsReplyBytes bytes, size_t offset)
{
    return static_cast<uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

uint32_t Le32(EfsReplyBytes bytes, size_t offset)
{
    return static_cast<uint32_t>(bytes[offset]) | (static_cast<uint32_t>(bytes[offset + 1]) << 8) |
           (static_cast<uint32_t>(bytes[offset + 2]) << 16) |
           (static_cast<uint32_t>(bytes[offset + 3]) << 24);
}

// A good reply that also holds at least minimumSize bytes.
bool IsGoodReplyOfSize(EfsReplyBytes reply, size_t minimumSize)
{
    return IsGoodEfsReply(reply) && reply.size() >= minimumSize;
}

// The 0x00-terminated name starting at offset, if its terminator lies before end and the name
// fits a name field.
std::optional<std::string> TerminatedName(EfsReplyBytes bytes, size_t offset, size_t end)
{
    const auto first = bytes.begin() + static_cast<std::ptrdiff_t>(offset);
    const auto last = bytes.begin() + static_cast<std::ptrdiff_t>(end);
    const auto terminator = std::find(first, last, uint8_t{0});
    if (terminator == last)
        return std::nullopt;
    if (static_cast<size_t>(terminator - first) > efsMaxNameBytes)
        return std::nullopt;
    return std::string(first, terminator);
}

std::optional<EfsReadBlock> ReadBlockAt(EfsReplyBytes reply, size_t lengthOffset,
                                        size_t maxBlock)
{
    const size_t dataOffset = lengthOffset + 2;
    if (!IsGoodReplyOfSize(reply, dataOffset))
        return std::nullopt;
    const size_t blockLength = Le16(reply, lengthOffset);
    if (blockLength > maxBlock || blockLength > reply.size() - dataOffset)
        return std::nullopt;
    EfsReadBlock block;
    block.more = reply[4] != 0;
    block.data = reply.subspan(dataOffset, blockLength);
    return block;
}

}  // namespace

std::optional<uint8_t> EfsReplyStatus(EfsReplyBytes reply)
{
    if (reply.size() < efsReplyHeaderSize || reply[0] != efsCommandCode)
        return std::nullopt;
    return reply[2];
}

bool IsGoodEfsReply(EfsReplyBytes reply)
{
    return EfsReplyStatus(reply) == efsStatusSuccess;
}

std::optional<EfsSpaceFields> ReadEfsSpaceReply(EfsReplyBytes reply)
{
    if (!IsGoodReplyOfSize(reply, spaceReplySize))
        return std::nullopt;
    return EfsSpaceFields{Le32(reply, 3), Le32(reply, 7)};
}

std::optional<EfsFileInfoFields> ReadEfsAttributesReply(EfsReplyBytes reply)
{
    if (!IsGoodReplyOfSize(reply, attributesReplySize))
        return std::nullopt;
    EfsFileInfoFields fields;
    fields.attributes = {Le16(reply, 3), reply[5], reply[6]};
    fields.modificationTime = Le32(reply, 7);
    fields.size = Le32(reply, 11);
    return fields;
}

EfsIterationReply ReadEfsIterationReply(EfsReplyBytes reply)
{
    EfsIterationReply result;
    const auto status = EfsReplyStatus(reply);
    if (status == efsStatusEnumerationDone) {
        result.kind = EfsIterationReply::kindEnd;
        return result;
    }
    if (status != efsStatusSuccess || reply.size() <= iterationNameOffset)
        return result;
    auto name = TerminatedName(reply, iterationNameOffset, reply.size());
    if (!name)
        return result;
    result.kind = EfsIterationReply::kindEntry;
    result.name = std::move(*name);
    return result;
}

std::optional<std::vector<std::string>> ReadEfsListingReply(EfsReplyBytes reply)
{
    if (!IsGoodReplyOfSize(reply, listingBlockOffset))
        return std::nullopt;
    const size_t blockLength = Le16(reply, 5);
    if (blockLength > reply.size() - listingBlockOffset)
        return std::nullopt;
    const EfsReplyBytes block = reply.subspan(listingBlockOffset, blockLength);
    std::vector<std::string> names;
    // The walk goes on while the next name starts before the block's last byte, so a block of
    // 0 or 1 bytes holds no name.
    for (size_t position = 0; position + 1 < block.size();) {
        auto name = TerminatedName(block, position, block.size());
        if (!name)
            return std::nullopt;
        position += name->size() + 1;
        if (!name->empty())
            names.push_back(std::move(*name));
    }
    return names;
}

std::optional<EfsReadBlock> ReadEfsReadFirstReply(EfsReplyBytes reply)
{
    auto block = ReadBlockAt(reply, readFirstDataOffset - 2, efsBlockSize);
    if (block)
        block->totalLength = Le32(reply, 5);
    return block;
}

std::optional<EfsReadBlock> ReadEfsReadNextReply(EfsReplyBytes reply)
{
    return ReadBlockAt(reply, readNextDataOffset - 2, efsMaxContinuationBlock);
}
