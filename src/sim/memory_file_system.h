// An EFS held in memory: the tree the "SIM" port starts with, and the tests' file system.
#pragma once

#include <map>
#include <memory>

#include "sim/sim_file_system.h"

namespace sim {

class CMemoryFileSystem : public CSimFileSystem {
public:
    CMemoryFileSystem();
    ~CMemoryFileSystem() override;

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
    struct Node {
        bool isDirectory = false;
        std::map<std::string, std::unique_ptr<Node>> children;
        std::vector<uint8_t> data;
        uint32_t deviceTime = 0;
        EfsAttributeRecord attributes;
    };

    Node* Find(const DevicePath& path);
    // The directory holding path's last segment, or nullptr when it does not exist.
    Node* Parent(const DevicePath& path);
    static uint64_t UsedBelow(const Node& node);

    Node root;
};

}  // namespace sim
