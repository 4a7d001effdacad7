#include "modules/module_list.h"

#include <cinttypes>
#include <cstdio>

#include "report/reporter.h"
#include "efs/efs_operations.h"
#include "efs/efs_paths.h"
#include "efs/efs_tree.h"
#include "modules/module_name.h"
#include "modules/pc_search.h"

namespace {

constexpr AppMessage msgModuleDeleted = 2;
constexpr AppMessage msgInvalidModuleName = 33;
constexpr AppMessage msgNoModules = 35;
constexpr AppMessage msgCannotListModules = 38;
constexpr AppMessage msgMifNotFound = 51;
constexpr AppMessage msgModuleDirNotFound = 52;
constexpr AppMessage msgUnknownModule = 53;
constexpr AppMessage msgCannotRemoveMif = 55;
constexpr AppMessage msgCannotRemoveModule = 58;

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

// Whether the directory can be listed, which an empty directory can and a missing one cannot.
bool DeviceDirectoryExists(CDiagPort* port, const std::string& directory)
{
    EfsNameList names;
    return EfsListDirs(port, directory, &names);
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
    int listed = 0;
    for (const auto& name : names) {
        if (!ContainsMif(name))
            continue;
        uint64_t size = 0;
        uint32_t mifSize = 0;
        if (withSizes && EfsGetFileInfo(port, name, nullptr, nullptr, &mifSize))
            size = mifSize;
        const std::string directory = CutAtExtension(name, ".mif");
        if (withSizes)
            size += DeviceTreeSize(port, directory);
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

    const std::string directory = ModuleDirectoryPath(name);
    const std::string mifPath = ModuleMifPath(name);
    AppMessage result = msgModuleDeleted;

    if (EfsStatsAvailable) {
        const uint32_t mifSize = DeviceFileSize(port, mifPath);
        // An empty module directory (left by an interrupted load) still counts as there, so it
        // can be deleted and the module loaded again.
        const bool directoryThere =
            DeviceTreeSize(port, directory) != 0 || DeviceDirectoryExists(port, directory);
        if (mifSize != 0 && !RemoveMif(port, mifPath))
            result = msgCannotRemoveModule;
        if (mifSize == 0 && !directoryThere)
            return msgUnknownModule;
        if (mifSize == 0)
            ReportPathMessage(msgMifNotFound, ShownPath(mifPath));
        if (!directoryThere) {
            ReportPathMessage(msgModuleDirNotFound, ShownPath(directory));
            return result;
        }
    } else if (!RemoveMif(port, mifPath)) {
        result = msgCannotRemoveModule;
    }

    if (!RemoveDeviceTree(port, directory))
        result = msgCannotRemoveModule;
    return result;
}
