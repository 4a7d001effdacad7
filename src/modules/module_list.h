// The modules stored on the handset: finding them in the root listing and deleting one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "report/app_messages.h"

class CDiagPort;

// How module sizes are counted: not at all, in stored bytes, or in the space the device
// allocates for them.
enum class ModuleSizes { none, actual, allocated };

// One module of the root listing: a root file whose name contains ".mif".
struct StoredModule {
    std::string path;            // the listed name cut at its first ".mif"
    uint64_t mifSize = 0;        // the .mif file's size; 0 when it cannot be read
    uint64_t directorySize = 0;  // the tree below the module's directory
};

// The modules of the root listing in listing order, sized as asked. The directory is the listed
// one that matches the module's path, in its own letter case first, else in any other. 0 when
// at least one was found, msgNoModules when none, msgCannotListModules when the root cannot be
// listed, msgInvalidPortHandle with no link.
AppMessage ListModules(CDiagPort* port, ModuleSizes sizes, std::vector<StoredModule>& modules);

// Removes the module's directory, then its information file, both found in the root's listing
// without regard to letter case. msgModuleDeleted only when nothing of the module is left;
// msgNullArgument, msgInvalidPortHandle, msgInvalidModuleName, msgCannotReadEfs (root not
// listed), msgUnknownModule (nothing of that name), msgDeleteStopped, or msgCannotRemoveModule
// after the details of the failure have been reported (callers do not report it again). A delete that fails or is stopped keeps
// the .mif, so the module stays listed and a second delete finishes it. A stoppable operation.
AppMessage DeleteModule(CDiagPort* port, const std::string& moduleName);

// Where a module lives on the device: DeviceRootPath + "/" + name, and that + ".mif".
std::string ModuleDirectoryPath(const std::string& moduleName);
std::string ModuleMifPath(const std::string& moduleName);
