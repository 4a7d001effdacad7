// The list of modules the window shows for Module > List, and the two ways of building it: from
// the rows of the device root's last listing, or by asking the device. A module is
// a root-level ".mif" file together with a root-level directory of the same base name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "session/item_kind.h"
#include "session/size_modes.h"

class CDiagPort;

struct ModuleEntry {
    std::string name;  // device module name (may carry the root prefix: cut after its last "/")
    std::int64_t size = 0;

    bool operator==(const ModuleEntry&) const = default;
};

// Modules from the root listing's rows: each File row whose name contains ".mif" is a candidate
// named up to that ".mif"; a Directory row of exactly that name (rows up to the first row that
// is not a Directory) makes it a module and adds its size. Candidates keep their row order; a
// row without a size counts 0.
std::vector<ModuleEntry> ModulesFromRows(const std::vector<CDeviceRow>& rows);

// Modules by asking the device. Without statistics every ".mif" file is a module of size 0;
// with them, a module needs a non-empty directory and its size is the directory's plus the
// ".mif" file's (allocated sizes in the allocated mode). false when the root cannot be listed.
bool ModulesFromDevice(CDiagPort* port, bool statsAvailable, int sizeMode,
                       std::vector<ModuleEntry>& modules);

// The module cache: the entries, whether they must be rebuilt, and the size mode they were
// built for.
struct CModuleCache {
    std::vector<ModuleEntry> modules;
    bool stale = true;
    int sizeMode = sizeModeActual;
};
