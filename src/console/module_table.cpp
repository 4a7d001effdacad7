#include "console/module_table.h"

#include <cinttypes>
#include <cstdio>

#include "efs/efs_paths.h"

void PrintModuleTable(const std::vector<StoredModule>& modules, bool withSizes)
{
    std::fputs("\n\n===================================================\n"
               "\tLoaded VANT application modules:\n"
               "===================================================\n\n",
               stdout);
    std::fputs(withSizes ? "\t\tModule Name\tModule Size\n\t-----------------------------------\n"
                         : "\t\tModule Name\n\t-------------------------\n",
               stdout);
    for (const StoredModule& module : modules) {
        const std::string shown = StripDeviceRoot(module.path);
        if (withSizes)
            std::printf("%24s\t%8" PRIu64 "\n", shown.c_str(), module.mifSize + module.directorySize);
        else
            std::printf("%24s\n", shown.c_str());
    }
    std::fputs(withSizes ? "\t-----------------------------------\n" : "\t-------------------------\n",
               stdout);
    std::fflush(stdout);
}
