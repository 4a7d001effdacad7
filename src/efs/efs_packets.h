// Byte layouts of the EFS requests (DM command 0x59): the name field, the length rule and one
// builder per request. Builders return std::nullopt instead of a request they cannot express
// (a name over 254 bytes, a name holding a 0x00, a block over 256 bytes), so no request with a
// wrapped length byte or a cut name ever reaches the handset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

constexpr uint8_t efsCommandCode = 0x59;

enum EfsSubcommand : uint8_t {
    efsMkDir = 0,
    efsRmDir = 1,
    efsListDirs = 2,
    efsListFiles = 3,
    efsReadFile = 4,
    efsWriteFile = 5,
    efsRemoveFile = 6,
    efsGetAttributes = 7,
    efsIterateDirs = 10,
    efsIterateFiles = 11,
    efsSpace = 12,
};

// Longest name the one-byte length of a name field can carry besides its terminator.
constexpr size_t efsMaxNameBytes = 254;
// Data bytes in one write block and in the first read block.
constexpr size_t efsBlockSize = 256;
// Data bytes a read continuation block may carry.
constexpr size_t efsMaxContinuationBlock = 260;
// Capacity of the reply buffer handed to the link for every EFS request: the longest of an
// iteration reply (25 bytes of fixed fields, a name of up to 254 bytes and its terminator)
// and a read continuation (7 bytes of fields and 260 data bytes).
constexpr size_t efsReplyCapacity = 25 + efsMaxNameBytes + 1;

// The 4-byte attribute record, copied unchanged between the wire and the caller.
struct EfsFileAttributes {
    uint16_t attributes = 0;
    uint8_t option1 = 0;
    uint8_t option2 = 0;
    bool operator==(const EfsFileAttributes&) const = default;
};

// Attribute record and mode the module procedures write files with.
constexpr EfsFileAttributes efsDefaultFileAttributes{0x00FF, 1, 0};
constexpr uint8_t efsDefaultWriteMode = 1;

using EfsRequest = std::vector<uint8_t>;

// Appends the name field of name (length byte, the bytes, 0x00). Fails, appending nothing, for a
// name over 254 bytes or one holding a 0x00 (the handset would act on the part before it).
bool PackDeviceName(EfsRequest& destination, std::string_view name);

// Bytes to send for a request, computed from the request's own bytes; 0 when the bytes are too
// short to hold the fields the rule reads.
size_t EfsRequestLength(std::span<const uint8_t> request);

// Sequence number after seq in block transfers: 1, 2, ... 255, then 1 again (0 opens a file).
uint8_t NextEfsSequence(uint8_t seq);

// efsMkDir, efsRmDir, efsRemoveFile, efsGetAttributes, efsListDirs, efsListFiles.
std::optional<EfsRequest> BuildEfsNameRequest(EfsSubcommand subcommand, std::string_view path);
// efsIterateDirs, efsIterateFiles.
std::optional<EfsRequest> BuildEfsIterateRequest(EfsSubcommand subcommand, uint32_t sequence,
                                                 std::string_view directory);
// efsReadFile, first request (sequence 0, with the name).
std::optional<EfsRequest> BuildEfsReadFirstRequest(std::string_view path);
// efsReadFile, continuation (3 bytes).
EfsRequest BuildEfsReadNextRequest(uint8_t sequence);
// efsWriteFile, first block with the file header.
std::optional<EfsRequest> BuildEfsWriteFirstBlock(bool more, uint8_t mode, uint32_t totalLength,
                                                  const EfsFileAttributes& attributes,
                                                  std::string_view path,
                                                  std::span<const uint8_t> block);
// efsWriteFile, later block (sequence not 0, 1 to 256 bytes).
std::optional<EfsRequest> BuildEfsWriteNextBlock(uint8_t sequence, bool more,
                                                 std::span<const uint8_t> block);
// efsSpace: the two bytes 59 0C.
EfsRequest BuildEfsSpaceRequest();
