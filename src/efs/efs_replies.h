// Readers of EFS replies. Every reader takes the reply bytes the link returned and reads only
// inside them: a reply that is too short for a field it must hold, or whose lengths point past
// its end, is a failed reply, never a read past the buffer.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "efs/efs_packets.h"

using EfsReplyBytes = std::span<const uint8_t>;

constexpr uint8_t efsStatusSuccess = 0;
constexpr uint8_t efsStatusFileMissing = 6;
constexpr uint8_t efsStatusDirectoryExists = 7;
constexpr uint8_t efsStatusDirectoryMissing = 8;
constexpr uint8_t efsStatusEnumerationDone = 28;

// Status byte of a reply from the EFS (first byte 0x59, at least 3 bytes); nullopt otherwise.
std::optional<uint8_t> EfsReplyStatus(EfsReplyBytes reply);

// An EFS reply with status 0.
bool IsGoodEfsReply(EfsReplyBytes reply);

struct EfsSpaceFields {
    uint32_t freeBytes = 0;
    uint32_t usedBytes = 0;
};
std::optional<EfsSpaceFields> ReadEfsSpaceReply(EfsReplyBytes reply);

struct EfsFileInfoFields {
    EfsFileAttributes attributes;
    uint32_t modificationTime = 0;  // seconds since 6 January 1980
    uint32_t size = 0;
};
std::optional<EfsFileInfoFields> ReadEfsAttributesReply(EfsReplyBytes reply);

// One step of a directory iteration: an entry (its name, possibly empty), the end of the
// directory (status 28), or a failure.
struct EfsIterationReply {
    enum Kind { kindEntry, kindEnd, kindFailure } kind = kindFailure;
    std::string name;
};
EfsIterationReply ReadEfsIterationReply(EfsReplyBytes reply);

// Names of a single-request listing's name block, empty names left out.
std::optional<std::vector<std::string>> ReadEfsListingReply(EfsReplyBytes reply);

// One block of a file read. The first reply carries the total length; continuations do not.
struct EfsReadBlock {
    bool more = false;
    std::optional<uint32_t> totalLength;
    EfsReplyBytes data;  // points into the reply
};
std::optional<EfsReadBlock> ReadEfsReadFirstReply(EfsReplyBytes reply);
std::optional<EfsReadBlock> ReadEfsReadNextReply(EfsReplyBytes reply);
