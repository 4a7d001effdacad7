#include "sim/memory_file_system.h"

#include "sim/device_time.h"

namespace sim {

CMemoryFileSystem::CMemoryFileSystem()
{
    root.isDirectory = true;
    root.deviceTime = DeviceTimeNow();
}

CMemoryFileSystem::~CMemoryFileSystem() = default;

CMemoryFileSystem::Node* CMemoryFileSystem::Find(const DevicePath& path)
{
    Node* node = &root;
    for (const auto& segment : path) {
        if (!node->isDirectory)
            return nullptr;
        auto it = node->children.find(segment);
        if (it == node->children.end())
            return nullptr;
        node = it->second.get();
    }
    return node;
}

CMemoryFileSystem::Node* CMemoryFileSystem::Parent(const DevicePath& path)
{
    if (path.empty())
        return nullptr;
    Node* parent = Find(DevicePath(path.begin(), path.end() - 1));
    return parent != nullptr && parent->isDirectory ? parent : nullptr;
}

EfsStatusCode CMemoryFileSystem::MakeDir(const DevicePath& path)
{
    if (path.empty())
        return efsStatusDirExists;
    Node* parent = Parent(path);
    if (parent == nullptr)
        return efsStatusDirMissing;
    auto& slot = parent->children[path.back()];
    if (slot)
        return slot->isDirectory ? efsStatusDirExists : efsStatusFileExists;
    slot = std::make_unique<Node>();
    slot->isDirectory = true;
    slot->deviceTime = DeviceTimeNow();
    return efsStatusOk;
}

EfsStatusCode CMemoryFileSystem::RemoveDir(const DevicePath& path)
{
    if (path.empty())
        return efsStatusIllegalOperation;
    Node* parent = Parent(path);
    if (parent == nullptr)
        return efsStatusDirMissing;
    auto it = parent->children.find(path.back());
    if (it == parent->children.end() || !it->second->isDirectory)
        return efsStatusDirMissing;
    if (!it->second->children.empty())
        return efsStatusDirNotEmpty;
    parent->children.erase(it);
    return efsStatusOk;
}

EfsStatusCode CMemoryFileSystem::RemoveFile(const DevicePath& path)
{
    Node* parent = Parent(path);
    if (parent == nullptr)
        return efsStatusFileMissing;
    auto it = parent->children.find(path.back());
    if (it == parent->children.end())
        return efsStatusFileMissing;
    if (it->second->isDirectory)
        return efsStatusIllegalOperation;
    parent->children.erase(it);
    return efsStatusOk;
}

EfsStatusCode CMemoryFileSystem::List(const DevicePath& directory, bool directories,
                                      std::vector<std::string>& names)
{
    names.clear();
    Node* node = Find(directory);
    if (node == nullptr || !node->isDirectory)
        return efsStatusDirMissing;
    for (const auto& [name, child] : node->children)
        if (child->isDirectory == directories)
            names.push_back(name);
    return efsStatusOk;
}

EfsStatusCode CMemoryFileSystem::Stat(const DevicePath& path, SimEntryInfo& info)
{
    Node* node = Find(path);
    if (node == nullptr)
        return efsStatusFileMissing;
    info.isDirectory = node->isDirectory;
    info.size = node->data.size();
    info.deviceTime = node->deviceTime;
    info.attributes = node->attributes;
    return efsStatusOk;
}

EfsStatusCode CMemoryFileSystem::ReadFile(const DevicePath& path, std::vector<uint8_t>& data)
{
    Node* node = Find(path);
    if (node == nullptr || node->isDirectory)
        return efsStatusFileMissing;
    data = node->data;
    return efsStatusOk;
}

EfsStatusCode CMemoryFileSystem::WriteFile(const DevicePath& path, const std::vector<uint8_t>& data,
                                           const EfsAttributeRecord& attributes)
{
    if (path.empty())
        return efsStatusIllegalOperation;
    Node* parent = Parent(path);
    if (parent == nullptr)
        return efsStatusDirMissing;
    auto& slot = parent->children[path.back()];
    if (slot && slot->isDirectory)
        return efsStatusIllegalOperation;
    if (!slot)
        slot = std::make_unique<Node>();
    slot->data = data;
    slot->attributes = attributes;
    slot->deviceTime = DeviceTimeNow();
    return efsStatusOk;
}

uint64_t CMemoryFileSystem::UsedBelow(const Node& node)
{
    if (!node.isDirectory)
        return AllocatedBytes(node.data.size());
    uint64_t sum = 0;
    for (const auto& entry : node.children)
        sum += UsedBelow(*entry.second);
    return sum;
}

uint64_t CMemoryFileSystem::UsedBytes()
{
    return UsedBelow(root);
}

}  // namespace sim
