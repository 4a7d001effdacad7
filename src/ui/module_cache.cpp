#include "ui/module_cache.h"

#include <cctype>
#include <limits>

#include "efs/efs_operations.h"
#include "efs/efs_paths.h"
#include "efs/efs_tree.h"
#include "efs/pc_sizes.h"
#include "modules/pc_search.h"
#include "ui/item_kind.h"

namespace {

constexpr const char* mifExtension = ".mif";

bool ContainsMif(const std::string& name)
{
    return CutAtExtension(name, mifExtension).size() != name.size();
}

}  // namespace

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
        if (ItemKindFromText(row.typeText) == ItemKind::file && ContainsMif(row.name))
            candidates.push_back({{CutAtExtension(row.name, mifExtension),
                                   LeadingNumber(row.sizeText)}});
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
    EfsNameList names;
    if (!EfsListFiles(port, DeviceRootPath, &names))
        return false;
    const bool allocated = sizeMode == sizeModeAllocated;
    for (const std::string& name : names) {
        if (!ContainsMif(name))
            continue;
        uint32_t mifSize = 0;
        const bool haveInfo = EfsGetFileInfo(port, name, nullptr, nullptr, &mifSize);
        const std::string moduleName = CutAtExtension(name, mifExtension);
        if (!statsAvailable) {
            modules.push_back({moduleName, 0});
            continue;
        }
        const uint64_t directorySize = allocated ? DeviceTreeAllocatedSize(port, moduleName)
                                                 : DeviceTreeSize(port, moduleName);
        if (directorySize == 0)
            continue;
        const uint64_t fileSize = !haveInfo ? 0 : allocated ? EfsAllocatedSize(mifSize) : mifSize;
        modules.push_back({moduleName, static_cast<std::int64_t>(directorySize + fileSize)});
    }
    return true;
}
