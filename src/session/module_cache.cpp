#include "session/module_cache.h"

#include <cctype>
#include <limits>

#include "modules/module_list.h"
#include "modules/module_name.h"
#include "session/item_kind.h"

std::int64_t LeadingNumber(const std::string& sizeText)
{
    std::int64_t value = 0;
    for (char c : sizeText) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            break;
        const int digit = c - '0';
        if (value > (std::numeric_limits<std::int64_t>::max() - digit) / 10)
            return std::numeric_limits<std::int64_t>::max();
        value = value * 10 + digit;
    }
    return value;
}

std::vector<ModuleEntry> ModulesFromRows(const std::vector<CListRowText>& rows)
{
    struct Candidate {
        ModuleEntry entry;
        bool found = false;
    };
    std::vector<Candidate> candidates;
    for (const CListRowText& row : rows) {
        if (ItemKindFromText(row.typeText) == ItemKind::file && NamesMifFile(row.name))
            candidates.push_back({{ModulePathOfMif(row.name), LeadingNumber(row.sizeText)}});
    }
    // Directories come first in the listing, so the first other row ends them.
    for (const CListRowText& row : rows) {
        if (ItemKindFromText(row.typeText) != ItemKind::directory)
            break;
        for (Candidate& candidate : candidates) {
            if (candidate.entry.name == row.name) {
                candidate.entry.size += LeadingNumber(row.sizeText);
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
