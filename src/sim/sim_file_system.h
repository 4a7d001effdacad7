// The file system behind the virtual handset: an in-memory tree or a PC directory. Every
// operation answers with the EFS status byte the handset would send.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/device_path.h"
#include "sim/sim_protocol.h"

namespace sim {

// The 4-byte attribute record kept with every file, copied unchanged to and from the wire.
struct EfsAttributeRecord {
    uint16_t attributes = 0x00FF;
    uint8_t option1 = 1;
    uint8_t option2 = 0;
    bool operator==(const EfsAttributeRecord&) const = default;
};

struct SimEntryInfo {
    bool isDirectory = false;
    uint64_t size = 0;
    uint32_t deviceTime = 0;  // seconds since the device epoch
    EfsAttributeRecord attributes;
};

// Space a file takes on the handset: its size plus 34, rounded up to a multiple of 240.
constexpr uint64_t AllocatedBytes(uint64_t size)
{
    const uint64_t withHeader = size + 34;
    return (withHeader + 239) / 240 * 240;
}

class CSimFileSystem {
public:
    virtual ~CSimFileSystem() = default;

    virtual EfsStatusCode MakeDir(const DevicePath& path) = 0;
    virtual EfsStatusCode RemoveDir(const DevicePath& path) = 0;
    virtual EfsStatusCode RemoveFile(const DevicePath& path) = 0;
    // Names (not paths) of the directory's subdirectories or files, sorted.
    virtual EfsStatusCode List(const DevicePath& directory, bool directories,
                               std::vector<std::string>& names) = 0;
    virtual EfsStatusCode Stat(const DevicePath& path, SimEntryInfo& info) = 0;
    virtual EfsStatusCode ReadFile(const DevicePath& path, std::vector<uint8_t>& data) = 0;
    // Creates or replaces the file whole: a failed write leaves the old content in place.
    virtual EfsStatusCode WriteFile(const DevicePath& path, const std::vector<uint8_t>& data,
                                    const EfsAttributeRecord& attributes) = 0;
    // Sum of AllocatedBytes over every file.
    virtual uint64_t UsedBytes() = 0;

    uint64_t Capacity() const { return capacity; }
    void SetCapacity(uint64_t bytes) { capacity = bytes; }
    uint64_t FreeBytes()
    {
        const uint64_t used = UsedBytes();
        return used >= capacity ? 0 : capacity - used;
    }

private:
    uint64_t capacity = 4u * 1024 * 1024;
};

}  // namespace sim
