#include "modules/module_list.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <optional>

#include "report/reporter.h"
#include "efs/efs_operations.h"
#include "efs/efs_paths.h"
#include "efs/efs_tree.h"
#include "modules/module_name.h"
#include "modules/pc_search.h"
#include "platform/stop_request.h"

namespace {

constexpr AppMessage msgModuleDeleted = 2;
constexpr AppMessage msgInvalidModuleName = 33;
constexpr AppMessage msgNoModules = 35;
constexpr AppMessage msgCannotReadEfs = 37;
constexpr AppMessage msgCannotListModules = 38;
constexpr AppMessage msgMifNotFound = 51;
constexpr AppMessage msgModuleDirNotFound = 52;
constexpr AppMessage msgUnknownModule = 53;
constexpr AppMessage msgCannotRemoveMif = 55;
constexpr AppMessage msgCannotRemoveModule = 58;
constexpr AppMessage msgDeleteStopped = 92;

void PrintModuleTableHeader(bool withSizes)
{
    std::fputs("\n\n===================================================\n"
               "\tLoaded VANT application modules:\n"
               "===================================================\n\n",
               stdout);
    std::fputs(withSizes ? "\t\tModule Name\tModule Size\n\t-----------------------------------\n"
                         : "\t\tModule Name\n\t-------------------------\n",
               stdout);
}

bool ContainsMif(const std::string& name)
{
    return CutAtExtension(name, ".mif").size() != name.size();
}

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

AppMessage ListModules(CDiagPort* port)
{
    if (port == nullptr)
        return msgInvalidPortHandle;
    EfsNameList names;
    if (!EfsListFiles(port, DeviceRootPath, &names))
        return msgCannotListModules;

    const bool withSizes = EfsStatsAvailable;
    // The module directory may differ from its .mif in letter case; sizes follow the listing.
    EfsNameList directories;
    if (withSizes && !EfsListDirs(port, DeviceRootPath, &directories))
        directories.clear();
    int listed = 0;
    for (const auto& name : names) {
        if (!ContainsMif(name))
            continue;
        uint64_t size = 0;
        uint32_t mifSize = 0;
        if (withSizes && EfsGetFileInfo(port, name, nullptr, nullptr, &mifSize))
            size = mifSize;
        const std::string directory = CutAtExtension(name, ".mif");
        if (withSizes) {
            const auto stored = std::find_if(
                directories.begin(), directories.end(), [&](const std::string& listedDir) {
                    return EqualIgnoringCase(StripDeviceRoot(listedDir), StripDeviceRoot(directory));
                });
            size += DeviceTreeSize(port, stored != directories.end() ? *stored : directory);
        }
        const std::string shown = StripDeviceRoot(directory);
        if (listed++ == 0)
            PrintModuleTableHeader(withSizes);
        if (withSizes)
            std::printf("%24s\t%8" PRIu64 "\n", shown.c_str(), size);
        else
            std::printf("%24s\n", shown.c_str());
    }
    if (listed == 0)
        return msgNoModules;
    std::fputs(withSizes ? "\t-----------------------------------\n" : "\t-------------------------\n",
               stdout);
    std::fflush(stdout);
    return msgSuccess;
}

AppMessage DeleteModule(CDiagPort* port, const std::string& moduleName)
{
    if (port == nullptr)
        return msgInvalidPortHandle;
    std::string name = moduleName;
    if (!ParseModuleName(name))
        return msgInvalidModuleName;

    const auto found = FindModuleEntries(port, name);
    if (!found)
        return msgCannotReadEfs;
    if (found->mifs.empty() && found->directories.empty())
        return msgUnknownModule;
    if (StopRequested())
        return msgDeleteStopped;

    AppMessage result = msgModuleDeleted;
    for (const auto& mif : found->mifs)
        if (!RemoveMif(port, mif))
            result = msgCannotRemoveModule;
    // A directory without its .mif (an interrupted load) is still removed.
    if (found->mifs.empty())
        ReportPathMessage(msgMifNotFound, ShownPath(ModuleMifPath(name)));
    if (found->directories.empty())
        ReportPathMessage(msgModuleDirNotFound, ShownPath(ModuleDirectoryPath(name)));
    for (const auto& directory : found->directories)
        if (!RemoveDeviceTree(port, directory))
            result = msgCannotRemoveModule;
    if (result != msgModuleDeleted)
        return result;

    // Success is reported only when the device no longer lists anything of the module.
    const auto left = FindModuleEntries(port, name);
    if (left && left->mifs.empty() && left->directories.empty())
        return result;
    ReportAppMessage(msgCannotRemoveModule);
    return msgCannotRemoveModule;
}
