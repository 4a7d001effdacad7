#include "session/drop_placement.h"

#include <algorithm>

#include "modules/module_name.h"
#include "platform/pc_path.h"

std::string DropTargetDirectory(const std::string& nodePath)
{
    if (!nodePath.empty() && nodePath.back() == '/')
        return nodePath;
    return nodePath + "/";
}

std::string PcBaseName(const std::string& pcPath)
{
    std::string path = pcPath;
    while (path.size() > 1 && IsPcPathSeparator(path.back()))
        path.pop_back();
    const auto slash = std::find_if(path.rbegin(), path.rend(), IsPcPathSeparator);
    return std::string(slash.base(), path.end());
}

CDropPlan PlanDrop(const std::string& pcPath, bool isDirectory, MifCount mifCount,
                   const std::string& mifName, const std::string& targetDirectory,
                   bool targetIsTop)
{
    CDropPlan plan;
    plan.devicePath = targetDirectory + PcBaseName(pcPath);
    if (!isDirectory) {
        const bool mif = HasExtension(plan.devicePath, ".mif");
        if (targetIsTop && !mif) {
            plan.refusal = msgOnlyMifAtRoot;
        } else if (!targetIsTop && mif) {
            plan.refusal = msgMifOnlyAtRoot;
        } else {
            plan.action = DropAction::copyFile;
            plan.marksModulesStale = targetIsTop;
            plan.failure = targetIsTop ? msgCannotCopyMif : msgCannotCopyFile;
        }
        return plan;
    }
    switch (mifCount) {
    case mifCountNone:
        plan.action = DropAction::copyDirectory;
        plan.failure = msgCannotCopyDirectory;
        break;
    case mifCountOne:
        if (!targetIsTop) {
            plan.refusal = msgModulesOnlyAtRoot;
            break;
        }
        plan.action = DropAction::loadModule;
        plan.marksModulesStale = true;
        // The module is named after its information file, without the extension.
        plan.moduleName = mifName.substr(0, mifName.size() - std::string(".mif").size());
        break;
    case mifCountMany:
        plan.refusal = msgManyMif;
        break;
    }
    return plan;
}

AppMessage CheckNewFilePlacement(const std::string& devicePath, bool containingNodeIsTop)
{
    const bool mif = NamesMifFile(devicePath);
    if (containingNodeIsTop && !mif)
        return msgOnlyMifAtRoot;
    if (!containingNodeIsTop && mif)
        return msgMifOnlyAtRoot;
    return msgSuccess;
}

std::string CompleteNewFilePath(const std::string& pcFile, const std::string& devicePath)
{
    if (devicePath.empty() || devicePath.back() != '/')
        return devicePath;
    // The name as the PC's own separators end it: a Windows path names its folders with
    // backslashes as well as slashes.
    return devicePath + PcBaseName(pcFile);
}

ListDropTarget ListDropTargetFor(const std::vector<ItemKind>& selectedRows)
{
    if (selectedRows.empty())
        return ListDropTarget::selectedNode;
    if (selectedRows.size() == 1 && selectedRows.front() != ItemKind::file)
        return ListDropTarget::selectedRowDirectory;
    return ListDropTarget::ignore;
}

std::string ContainingDirectory(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0)
        return "/";
    return path.substr(0, slash);
}
