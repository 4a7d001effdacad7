// The modules stored on the handset: listing them for the console and deleting one.
#pragma once

#include <string>

#include "report/app_messages.h"

class CDiagPort;

// Prints the table of modules (a root file whose name contains ".mif" is a module). 0 when at
// least one was listed, 35 when none, 38 when the root cannot be listed, 11 with no link.
AppMessage ListModules(CDiagPort* port);

// Removes the module's information file and directory, found in the root's listing without
// regard to letter case. 2 only when nothing of the module is left; 9, 11, 33, 37 (root not
// listed), 53 (nothing of that name), 92 (stopped before anything was removed), or 58 after the
// details of the failure have been reported (callers do not report 58 again).
AppMessage DeleteModule(CDiagPort* port, const std::string& moduleName);

// Where a module lives on the device: DeviceRootPath + "/" + name, and that + ".mif".
std::string ModuleDirectoryPath(const std::string& moduleName);
std::string ModuleMifPath(const std::string& moduleName);
