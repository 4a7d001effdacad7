#include "session/module_cache.h"

#include "modules/module_list.h"
#include "modules/module_name.h"
#include "session/item_kind.h"

namespace {

std::int64_t SizeOf(const CDeviceRow& row)
{
    return row.size < 0 ? 0 : row.size;
}

}  // namespace

std::vector<ModuleEntry> ModulesFromRows(const std::vector<CDeviceRow>& rows)
{
    struct Candidate {
        ModuleEntry entry;
        bool found = false;
    };
    std::vector<Candidate> candidates;
    for (const CDeviceRow& row : rows) {
        if (row.kind == ItemKind::file && NamesMifFile(row.name))
            candidates.push_back({{ModulePathOfMif(row.name), SizeOf(row)}});
    }
    // Directories come first in the listing, so the first other row ends them.
    for (const CDeviceRow& row : rows) {
        if (row.kind != ItemKind::directory)
            break;
        for (Candidate& candidate : candidates) {
            if (candidate.entry.name == row.name) {
                candidate.entry.size += SizeOf(row);
                candidate.found = true;
            }
        }
    }
    std::vector<ModuleEntry> modules;
    for (const Candidate& candidate : candidates) {
        if (candidate.found)
            modules.push_back(candidate.entry);
    }
    return modules;
}

bool ModulesFromDevice(CDiagPort* port, bool statsAvailable, int sizeMode,
                       std::vector<ModuleEntry>& modules)
{
    modules.clear();
    const ModuleSizes sizes = !statsAvailable                 ? ModuleSizes::none
                              : sizeMode == sizeModeAllocated ? ModuleSizes::allocated
                                                              : ModuleSizes::actual;
    std::vector<StoredModule> stored;
    const AppMessage listed = ListModules(port, sizes, stored);
    if (listed != msgSuccess && listed != msgNoModules)
        return false;
    for (const StoredModule& module : stored) {
        // With sizes, only a module whose directory holds something counts.
        if (sizes != ModuleSizes::none && module.directorySize == 0)
            continue;
        modules.push_back(
            {module.path, static_cast<std::int64_t>(module.mifSize + module.directorySize)});
    }
    return true;
}
