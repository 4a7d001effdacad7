#include "console/module_table.h"

#include <cinttypes>
#include <cstdio>
#include <vector>

#include "efs/efs_paths.h"
#include "report/reporter.h"

void PrintModuleTable(const std::vector<StoredModule>& modules, bool withSizes)
{
    WriteConsoleText("\n\n===================================================\n"
                     "\tLoaded VANT application modules:\n"
                     "===================================================\n\n");
    WriteConsoleText(withSizes ? "\t\tModule Name\tModule Size\n\t-----------------------------------\n"
                               : "\t\tModule Name\n\t-------------------------\n");
    for (const StoredModule& module : modules) {
        const std::string shown = StripDeviceRoot(module.path);
        // Room for the name, its padding to 24, a tab, the size and the line end.
        std::vector<char> line(shown.size() + 48);
        if (withSizes)
            std::snprintf(line.data(), line.size(), "%24s\t%8" PRIu64 "\n", shown.c_str(),
                          module.mifSize + module.directorySize);
        else
            std::snprintf(line.data(), line.size(), "%24s\n", shown.c_str());
        WriteConsoleText(line.data());
    }
    WriteConsoleText(withSizes ? "\t-----------------------------------\n" : "\t-------------------------\n");
}
