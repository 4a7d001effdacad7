#include "efs/efs_tree.h"

#include <algorithm>
#include <vector>

#include "report/reporter.h"
#include "efs/device_names.h"
#include "efs/efs_operations.h"
#include "efs/efs_paths.h"
#include "efs/pc_sizes.h"
#include "platform/stop_request.h"

namespace {

// Whether a listed subdirectory lies below the directory that was listed: every step of a walk
// then makes the path longer, so the path limit bounds the depth.
bool LiesBelow(const std::string& entry, const std::string& directory)
{
    std::string prefix = ComparableDevicePath(directory);
    if (prefix != "/")
        prefix += "/";
    const std::string child = ComparableDevicePath(entry);
    return child.size() > prefix.size() && child.starts_with(prefix);
}

// The subdirectories of a listing that a walk may enter, in listing order.
EfsNameList Below(EfsNameList names, const std::string& directory)
{
    std::erase_if(names, [&](const std::string& name) { return !LiesBelow(name, directory); });
    return names;
}

// A failed listing is the device's fault only when no stop cut it short.
void ReportUnlessStopped(AppMessage code)
{
    if (!StopDue())
        ReportAppMessage(code);
}

enum class SizeKind { stored, allocated };

uint64_t TreeSize(CDiagPort& port, const std::string& top, SizeKind kind)
{
    uint64_t sum = 0;
    // Directories still to walk, the next one last, so the order is that of a depth-first walk.
    std::vector<std::string> pending{top};
    while (!pending.empty()) {
        const std::string directory = std::move(pending.back());
        pending.pop_back();
        EfsNameList names;
        if (!EfsListFiles(&port, directory, &names)) {
            ReportUnlessStopped(msgCannotReadEfs);
            continue;
        }
        for (const auto& file : names) {
            if (StopDue())
                return sum;
            uint32_t size = 0;
            if (EfsGetFileInfo(&port, file, nullptr, nullptr, &size))
                sum += kind == SizeKind::stored ? size : EfsAllocatedSize(size);
        }
        if (!EfsListDirs(&port, directory, &names)) {
            ReportUnlessStopped(msgCannotReadEfs);
            continue;
        }
        const EfsNameList subdirectories = Below(std::move(names), directory);
        pending.insert(pending.end(), subdirectories.rbegin(), subdirectories.rend());
    }
    return sum;
}

// One directory of a tree removal whose files are gone: its subdirectories, the next to enter,
// and whether every removal below it so far succeeded.
struct RemovalLevel {
    std::string directory;
    EfsNameList subdirectories;
    size_t next = 0;
    bool removedAll = true;
};

// Removes a directory's files and lists its subdirectories into a new level. False when it
// cannot be listed or a stop cut it short: nothing more is done there.
bool EnterForRemoval(CDiagPort& port, const std::string& directory, std::vector<RemovalLevel>& levels)
{
    EfsNameList names;
    if (!EfsListFiles(&port, directory, &names)) {
        ReportUnlessStopped(msgCannotReadEfs);
        return false;
    }
    // Listed names are removed as listed: both listings give paths that carry their directory,
    // whereas cutting a relative name down to its last part would name a file at the root.
    RemovalLevel level;
    level.directory = directory;
    for (const auto& file : names) {
        if (StopDue())
            return false;
        level.removedAll = EfsRemoveFile(&port, file) && level.removedAll;
    }
    if (!EfsListDirs(&port, directory, &names)) {
        ReportUnlessStopped(msgCannotReadEfs);
        return false;
    }
    level.subdirectories = Below(std::move(names), directory);
    levels.push_back(std::move(level));
    return true;
}

bool RemoveTree(CDiagPort& port, const std::string& top)
{
    std::vector<RemovalLevel> levels;
    if (!EnterForRemoval(port, top, levels))
        return false;
    for (;;) {
        if (StopDue())
            return false;
        RemovalLevel& level = levels.back();
        if (level.next < level.subdirectories.size()) {
            const std::string subdirectory = level.subdirectories[level.next++];
            if (!EnterForRemoval(port, subdirectory, levels))
                level.removedAll = false;
            continue;
        }
        bool removedAll = level.removedAll;
        if (!EfsRemoveDir(&port, level.directory)) {
            ReportPathMessage(msgCannotRemoveDirectory, AbsoluteDevicePath(level.directory));
            removedAll = false;
        }
        levels.pop_back();
        if (levels.empty())
            return removedAll;
        levels.back().removedAll = levels.back().removedAll && removedAll;
    }
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
        ReportUnlessStopped(msgCannotReadEfs);
        return 0;
    }
    // Names that differ only in letter case may both be listed: the path's own spelling wins.
    const std::string exact = NormalDevicePath(path);
    const std::string wanted = ComparableDevicePath(path);
    auto found = std::find_if(names.begin(), names.end(),
                              [&](const std::string& name) { return NormalDevicePath(name) == exact; });
    if (found == names.end())
        found = std::find_if(names.begin(), names.end(),
                             [&](const std::string& name) { return ComparableDevicePath(name) == wanted; });
    if (found == names.end())
        return 0;
    uint32_t size = 0;
    return EfsGetFileInfo(port, *found, nullptr, nullptr, &size) ? size : 0;
}

EfsDirPresence DeviceDirPresence(CDiagPort* port, const std::string& path)
{
    if (port == nullptr)
        return EfsDirPresence::unknown;
    const std::string wanted = ComparableDevicePath(path);
    EfsNameList names;
    if (wanted == "/" || !EfsListDirs(port, DeviceParentDirectory(NormalDevicePath(path)), &names))
        return wanted == "/" ? EfsDirPresence::present : EfsDirPresence::unknown;
    const bool listed = std::any_of(names.begin(), names.end(), [&](const std::string& name) {
        return ComparableDevicePath(name) == wanted;
    });
    return listed ? EfsDirPresence::present : EfsDirPresence::absent;
}

uint64_t DeviceTreeSize(CDiagPort* port, const std::string& directory)
{
    if (port == nullptr) {
        ReportAppMessage(msgNullArgument);
        return 0;
    }
    return TreeSize(*port, directory, SizeKind::stored);
}

uint64_t DeviceTreeAllocatedSize(CDiagPort* port, const std::string& directory)
{
    if (port == nullptr) {
        ReportAppMessage(msgNullArgument);
        return 0;
    }
    return TreeSize(*port, directory, SizeKind::allocated);
}

bool RemoveDeviceTree(CDiagPort* port, const std::string& directory)
{
    if (port == nullptr) {
        ReportAppMessage(msgInvalidPortHandle);
        return false;
    }
    const CStoppableOperation removal;
    return RemoveTree(*port, directory);
}
