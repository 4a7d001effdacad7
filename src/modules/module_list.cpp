#include "modules/module_list.h"

#include <algorithm>
#include <optional>

#include "report/reporter.h"
#include "efs/device_names.h"
#include "efs/efs_operations.h"
#include "efs/efs_paths.h"
#include "efs/efs_tree.h"
#include "efs/pc_sizes.h"
#include "modules/module_name.h"
#include "platform/stop_request.h"

namespace {

// The path form the deletion messages show: DeviceRootPath + "/" + the path below the root.
std::string ShownPath(const std::string& path)
{
    return DeviceRootPath + "/" + StripDeviceRoot(path);
}

// The root entries that belong to a module: its .mif files and its directories, found by the
// device's own listing without regard to letter case and kept under the names it returned.
struct ModuleEntries {
    EfsNameList mifs;
    EfsNameList directories;
};

std::optional<ModuleEntries> FindModuleEntries(CDiagPort* port, const std::string& name)
{
    EfsNameList files;
    EfsNameList directories;
    if (!EfsListFiles(port, DeviceRootPath, &files) ||
        !EfsListDirs(port, DeviceRootPath, &directories))
        return std::nullopt;
    ModuleEntries found;
    for (const auto& file : files)
        if (EqualIgnoringCase(StripDeviceRoot(file), name + ".mif"))
            found.mifs.push_back(AbsoluteDevicePath(file));
    for (const auto& directory : directories)
        if (EqualIgnoringCase(StripDeviceRoot(directory), name))
            found.directories.push_back(AbsoluteDevicePath(directory));
    return found;
}

// The listed directory that is the module's: the one in the module's own letter case, else one
// in another case; none when the listing has no such directory.
std::optional<std::string> ListedDirectory(const EfsNameList& directories, const std::string& modulePath)
{
    const std::string wanted = StripDeviceRoot(modulePath);
    auto listed = std::find_if(directories.begin(), directories.end(),
                               [&](const auto& dir) { return StripDeviceRoot(dir) == wanted; });
    if (listed == directories.end())
        listed = std::find_if(directories.begin(), directories.end(),
                              [&](const auto& dir) { return EqualIgnoringCase(StripDeviceRoot(dir), wanted); });
    return listed != directories.end() ? std::optional(*listed) : std::nullopt;
}

bool RemoveMif(CDiagPort* port, const std::string& mifPath)
{
    if (EfsRemoveFile(port, mifPath))
        return true;
    ReportPathMessage(msgCannotRemoveMif, ShownPath(mifPath));
    return false;
}

}  // namespace

std::string ModuleDirectoryPath(const std::string& moduleName)
{
    return DeviceRootPath + "/" + moduleName;
}

std::string ModuleMifPath(const std::string& moduleName)
{
    return ModuleDirectoryPath(moduleName) + ".mif";
}

AppMessage ListModules(CDiagPort* port, ModuleSizes sizes, std::vector<StoredModule>& modules)
{
    modules.clear();
    if (port == nullptr)
        return msgInvalidPortHandle;
    EfsNameList names;
    if (!EfsListFiles(port, DeviceRootPath, &names))
        return msgCannotListModules;

    const bool allocated = sizes == ModuleSizes::allocated;
    // The module directory may differ from its .mif in letter case; sizes follow the listing.
    EfsNameList directories;
    const bool directoriesListed = sizes != ModuleSizes::none && EfsListDirs(port, DeviceRootPath, &directories);
    for (const auto& name : names) {
        if (!NamesMifFile(name))
            continue;
        StoredModule module{ModulePathOfMif(name)};
        if (sizes != ModuleSizes::none) {
            uint32_t mifSize = 0;
            if (EfsGetFileInfo(port, name, nullptr, nullptr, &mifSize))
                module.mifSize = allocated ? EfsAllocatedSize(mifSize) : mifSize;
            // A .mif whose directory the root listing lacks has nothing there to measure;
            // asking would only report the missing directory as an unreadable EFS.
            const auto listed = ListedDirectory(directories, module.path);
            const std::string directory = listed.value_or(module.path);
            if (listed || !directoriesListed)
                module.directorySize = allocated ? DeviceTreeAllocatedSize(port, directory)
                                                 : DeviceTreeSize(port, directory);
        }
        modules.push_back(std::move(module));
    }
    return modules.empty() ? msgNoModules : msgSuccess;
}

AppMessage DeleteModule(CDiagPort* port, const std::string& moduleName)
{
    if (port == nullptr)
        return msgInvalidPortHandle;
    std::string name = moduleName;
    if (!ParseModuleName(name))
        return msgInvalidModuleName;

    const CStoppableOperation deletion;
    const auto found = FindModuleEntries(port, name);
    if (!found)
        return StopDue() ? msgDeleteStopped : msgCannotReadEfs;
    if (found->mifs.empty() && found->directories.empty())
        return msgUnknownModule;

    // The directory goes first and the .mif last, so a delete that fails or is stopped part-way
    // leaves a module that is still listed, and a second delete finishes it. A directory without
    // its .mif (an interrupted load) is still removed.
    AppMessage result = msgModuleDeleted;
    if (found->directories.empty())
        ReportPathMessage(msgModuleDirNotFound, ShownPath(ModuleDirectoryPath(name)));
    for (const auto& directory : found->directories) {
        if (StopDue())
            return msgDeleteStopped;
        if (!RemoveDeviceTree(port, directory))
            result = msgCannotRemoveModule;
    }
    if (StopDue())
        return msgDeleteStopped;
    if (result == msgModuleDeleted) {
        if (found->mifs.empty())
            ReportPathMessage(msgMifNotFound, ShownPath(ModuleMifPath(name)));
        for (const auto& mif : found->mifs) {
            if (StopDue())
                return msgDeleteStopped;
            if (!RemoveMif(port, mif))
                result = msgCannotRemoveModule;
        }
    }

    // The final listing decides: a removal whose reply was lost may have worked, and one that
    // reported success may not have. A failure nothing has reported yet is reported here.
    const auto left = FindModuleEntries(port, name);
    if (left && left->mifs.empty() && left->directories.empty())
        return msgModuleDeleted;
    if (StopDue())
        return msgDeleteStopped;
    if (result == msgModuleDeleted)
        ReportAppMessage(msgCannotRemoveModule);
    return msgCannotRemoveModule;
}
