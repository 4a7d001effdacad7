#include "efs/efs_tree.h"

#include <algorithm>
#include <cctype>

#include "report/reporter.h"
#include "efs/efs_operations.h"
#include "efs/efs_paths.h"
#include "efs/pc_sizes.h"

namespace {

// A device path in one spelling: leading "/", no repeated or trailing "/", lower case. The
// handset treats "a/b", "/a/b", "a/b/" and "a//b" as the same entry.
std::string ComparableDevicePath(const std::string& path)
{
    std::string comparable = JoinDevicePath("", path);
    while (comparable.size() > 1 && comparable.back() == '/')
        comparable.pop_back();
    std::transform(comparable.begin(), comparable.end(), comparable.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return comparable;
}

enum class SizeKind { stored, allocated };

uint64_t TreeSize(CDiagPort& port, const std::string& directory, SizeKind kind, int depth)
{
    if (depth > maxDeviceTreeDepth) {
        ReportAppMessage(msgCannotReadEfs);
        return 0;
    }
    EfsNameList names;
    if (!EfsListFiles(&port, directory, &names)) {
        ReportAppMessage(msgCannotReadEfs);
        return 0;
    }
    uint64_t sum = 0;
    for (const auto& file : names) {
        uint32_t size = 0;
        if (!EfsGetFileInfo(&port, file, nullptr, nullptr, &size))
            continue;
        sum += kind == SizeKind::stored ? size : EfsAllocatedSize(size);
    }
    if (!EfsListDirs(&port, directory, &names)) {
        ReportAppMessage(msgCannotReadEfs);
        return sum;
    }
    for (const auto& subdirectory : names)
        sum += TreeSize(port, subdirectory, kind, depth + 1);
    return sum;
}

bool RemoveTree(CDiagPort& port, const std::string& directory, int depth)
{
    if (depth > maxDeviceTreeDepth) {
        ReportAppMessage(msgCannotReadEfs);
        return false;
    }
    EfsNameList names;
    if (!EfsListFiles(&port, directory, &names)) {
        ReportAppMessage(msgCannotReadEfs);
        return false;
    }
    // Listed names are removed as listed: both listings give paths that carry their directory,
    // whereas cutting a relative name down to its last part would name a file at the root.
    bool removedAll = true;
    for (const auto& file : names)
        removedAll = EfsRemoveFile(&port, file) && removedAll;
    if (!EfsListDirs(&port, directory, &names)) {
        ReportAppMessage(msgCannotReadEfs);
        return false;
    }
    for (const auto& subdirectory : names)
        removedAll = RemoveTree(port, subdirectory, depth + 1) && removedAll;
    if (!EfsRemoveDir(&port, directory)) {
        ReportPathMessage(msgCannotRemoveDirectory, AbsoluteDevicePath(directory));
        removedAll = false;
    }
    return removedAll;
}

}  // namespace

uint32_t DeviceFileSize(CDiagPort* port, const std::string& path)
{
    if (port == nullptr) {
        ReportAppMessage(msgNullArgument);
        return 0;
    }
    EfsNameList names;
    if (!EfsListFiles(port, DeviceParentDirectory(path), &names)) {
        ReportAppMessage(msgCannotReadEfs);
        return 0;
    }
    const std::string wanted = ComparableDevicePath(path);
    for (const auto& name : names) {
        if (ComparableDevicePath(name) != wanted)
            continue;
        uint32_t size = 0;
        return EfsGetFileInfo(port, name, nullptr, nullptr, &size) ? size : 0;
    }
    return 0;
}

uint64_t DeviceTreeSize(CDiagPort* port, const std::string& directory)
{
    if (port == nullptr) {
        ReportAppMessage(msgNullArgument);
        return 0;
    }
    return TreeSize(*port, directory, SizeKind::stored, 1);
}

uint64_t DeviceTreeAllocatedSize(CDiagPort* port, const std::string& directory)
{
    if (port == nullptr) {
        ReportAppMessage(msgNullArgument);
        return 0;
    }
    return TreeSize(*port, directory, SizeKind::allocated, 1);
}

bool RemoveDeviceTree(CDiagPort* port, const std::string& directory)
{
    if (port == nullptr) {
        ReportAppMessage(msgInvalidPortHandle);
        return false;
    }
    return RemoveTree(*port, directory, 1);
}
