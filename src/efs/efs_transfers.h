// The EFS exchanges that take several requests, as state machines over bytes: each says which
// request to send next and digests the reply to it. They never touch the link, so every rule
// about sequence numbers, more flags and lengths is checked here on plain buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "efs/efs_packets.h"
#include "efs/efs_replies.h"

enum class EfsStep { stepContinue, stepDone, stepFailed };

// Most entries a listing may return; a directory iteration that yields more (or never ends)
// fails instead of growing without bound.
constexpr size_t efsMaxListingEntries = 65536;

// Directory iteration (efsIterateDirs or efsIterateFiles): sequence 0, 1, 2 ... until status 28.
// Entries with odd names advance the sequence but are not stored.
class CEfsIteration {
public:
    CEfsIteration(EfsSubcommand subcommand, std::string directory);

    // Request for the current sequence number; nullopt when the directory name cannot be sent.
    std::optional<EfsRequest> Request() const;
    EfsStep Accept(EfsReplyBytes reply);

    const std::vector<std::string>& Names() const { return names; }
    std::vector<std::string> TakeNames() { return std::move(names); }
    // True when the iteration failed because it yielded more than efsMaxListingEntries entries.
    bool TooManyEntries() const { return tooManyEntries; }

private:
    EfsSubcommand subcommand;
    std::string directory;
    uint32_t sequence = 0;
    std::vector<std::string> names;
    bool tooManyEntries = false;
};

// Block-wise file read. The buffer grows as blocks arrive; the read succeeds only when the
// blocks add up to exactly the total the first reply announced.
class CEfsFileRead {
public:
    explicit CEfsFileRead(std::string path);

    std::optional<EfsRequest> Request() const;
    EfsStep Accept(EfsReplyBytes reply);

    bool Started() const { return started; }
    uint32_t TotalLength() const { return totalLength; }
    uint64_t BytesDone() const { return received; }
    // The bytes that arrived since the last take, so a caller may pass blocks on as they come.
    std::vector<uint8_t> TakeData() { return std::exchange(data, {}); }

private:
    EfsStep AcceptBlock(const EfsReadBlock& block);

    std::string path;
    bool started = false;
    uint8_t sequence = 0;
    uint32_t totalLength = 0;
    uint64_t received = 0;
    std::vector<uint8_t> data;
};

// Block-wise file write: 256-byte blocks, the first one carrying the file header; a file of
// 0 bytes is one empty block. Each block needs a good reply before the next is sent.
class CEfsFileWrite {
public:
    CEfsFileWrite(std::string path, uint8_t mode, const EfsFileAttributes& attributes,
                  std::span<const uint8_t> data);

    // Request for the current block; nullopt when the path cannot be sent or the data is longer
    // than the 32-bit total length field can announce.
    std::optional<EfsRequest> Request() const;
    EfsStep Accept(EfsReplyBytes reply);

    uint64_t BytesDone() const { return offset; }
    uint64_t TotalLength() const { return data.size(); }
    // Whether the handset has taken a block, so a write is open on its side.
    bool Started() const { return started; }
    // Whether the current block is the file's last.
    bool AtLastBlock() const { return offset + CurrentBlock().size() >= data.size(); }
    // Makes the current block the last the handset hears (more flag 0), ending the write before
    // all of its data went out; the handset then treats the file as any short write.
    void EndEarly() { endingEarly = true; }

private:
    std::span<const uint8_t> CurrentBlock() const;

    std::string path;
    uint8_t mode;
    EfsFileAttributes attributes;
    std::span<const uint8_t> data;
    size_t offset = 0;
    uint8_t sequence = 0;
    bool started = false;
    bool endingEarly = false;
};
