// Answers EFS requests (command 0x59) from a file system, as a handset does: one reply per
// request, block-wise reads and writes with sequence numbers, directory iteration by index.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/sim_behaviour.h"
#include "sim/sim_file_system.h"

namespace sim {

class CEfsResponder {
public:
    explicit CEfsResponder(CSimFileSystem& fileSystem);

    // The reply to one request whose first byte is 0x59.
    std::vector<uint8_t> Handle(const std::vector<uint8_t>& request, const SimBehaviour& behaviour);

    // A reset: open reads and writes are forgotten; a file being written keeps its old content.
    void Reset();

private:
    struct ReadSession {
        bool active = false;
        std::vector<uint8_t> data;
        size_t offset = 0;  // first byte of the next block
        uint8_t lastSequence = 0;
        std::vector<uint8_t> lastReply;  // sent again when its reply was lost and it is asked for again
    };
    struct WriteSession {
        bool active = false;
        DevicePath path;
        uint32_t total = 0;
        EfsAttributeRecord attributes;
        std::vector<uint8_t> data;
        uint8_t lastSequence = 0;
        unsigned blocks = 0;  // blocks taken so far
        bool lastTaken = false;  // the block of lastSequence was taken: a repeat of it is acknowledged again
    };

    std::vector<uint8_t> Dispatch(const std::vector<uint8_t>& request, const SimBehaviour& behaviour);
    std::vector<uint8_t> NameOperation(const std::vector<uint8_t>& request, const SimBehaviour& behaviour);
    std::vector<uint8_t> List(const std::vector<uint8_t>& request, const SimBehaviour& behaviour);
    std::vector<uint8_t> Iterate(const std::vector<uint8_t>& request, const SimBehaviour& behaviour);
    std::vector<uint8_t> Attributes(const std::vector<uint8_t>& request, const SimBehaviour& behaviour);
    std::vector<uint8_t> Read(const std::vector<uint8_t>& request, const SimBehaviour& behaviour);
    std::vector<uint8_t> ReadBlock(uint8_t sequence, bool first, const SimBehaviour& behaviour);
    std::vector<uint8_t> Write(const std::vector<uint8_t>& request, const SimBehaviour& behaviour);
    std::vector<uint8_t> WriteFirst(const std::vector<uint8_t>& request, const SimBehaviour& behaviour);
    std::vector<uint8_t> WriteNext(const std::vector<uint8_t>& request, const SimBehaviour& behaviour);
    // The reply to a block taken: the last one commits the file; an earlier one stores what has
    // come so far when the handset writes in place.
    std::vector<uint8_t> BlockTaken(bool more, const SimBehaviour& behaviour);
    EfsStatusCode Commit(const SimBehaviour& behaviour);
    std::vector<uint8_t> Space(const SimBehaviour& behaviour);
    // Names of a directory's entries plus whatever hostile extras are switched on.
    // The parent's directories whose names begin with directory's own name (a handset quirk).
    void AddNamesakeSiblings(const DevicePath& directory, std::vector<DevicePath>& entries);
    EfsStatusCode Entries(const DevicePath& directory, bool directories, const SimBehaviour& behaviour,
                          std::vector<std::string>& names);

    CSimFileSystem& fileSystem;
    ReadSession reading;
    WriteSession writing;
    // The last request and its reply: a block that arrives again because its reply was lost is
    // answered with the same reply and not applied a second time.
    std::vector<uint8_t> previousRequest;
    std::vector<uint8_t> previousReply;
};

// The sequence number after s in block transfers: 1, 2, ..., 255, then 1 again.
constexpr uint8_t NextSequence(uint8_t s)
{
    return s == 255 ? 1 : static_cast<uint8_t>(s + 1);
}

}  // namespace sim
