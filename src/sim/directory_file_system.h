// An EFS backed by a PC directory ("SIM:DIR"): what the handset stores lands in DIR. Device
// paths are confined to DIR: a symbolic link that leads outside it is refused like a bad name,
// so no request can read or write a file elsewhere on the PC.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>

#include "sim/sim_file_system.h"

namespace sim {

class CDirectoryFileSystem : public CSimFileSystem {
public:
    // nullptr when root is not an existing directory.
    static std::unique_ptr<CDirectoryFileSystem> Open(const std::filesystem::path& root);

    EfsStatusCode MakeDir(const DevicePath& path) override;
    EfsStatusCode RemoveDir(const DevicePath& path) override;
    EfsStatusCode RemoveFile(const DevicePath& path) override;
    EfsStatusCode List(const DevicePath& directory, bool directories,
                       std::vector<std::string>& names) override;
    EfsStatusCode Stat(const DevicePath& path, SimEntryInfo& info) override;
    EfsStatusCode ReadFile(const DevicePath& path, std::vector<uint8_t>& data) override;
    EfsStatusCode WriteFile(const DevicePath& path, const std::vector<uint8_t>& data,
                            const EfsAttributeRecord& attributes) override;
    uint64_t UsedBytes() override;

private:
    explicit CDirectoryFileSystem(std::filesystem::path canonicalRoot);

    // Where a device path lives on the PC.
    struct Location {
        std::filesystem::path entry;     // parent resolved, last segment as named (not followed)
        std::filesystem::path followed;  // entry with a final symbolic link followed
    };
    // std::nullopt when the path would leave the root through a symbolic link (or a link that
    // leads nowhere). Entries that do not exist yet resolve lexically.
    std::optional<Location> Resolve(const DevicePath& path) const;
    // Resolve for an entry below the root: the root itself (the empty path) is no entry.
    std::optional<Location> ResolveEntry(const DevicePath& path) const;
    bool Inside(const std::filesystem::path& canonical) const;

    std::filesystem::path root;
};

}  // namespace sim
