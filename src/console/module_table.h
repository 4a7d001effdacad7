// What the console prints for the modules stored on the handset: a framed table of their names,
// with their sizes when the handset gives file statistics.
#pragma once

#include <vector>

#include "modules/module_list.h"

// Prints the header, one line per module and the closing rule on standard output. Names are
// right-aligned in 24 columns; a size is the .mif file's plus its directory's.
void PrintModuleTable(const std::vector<StoredModule>& modules, bool withSizes);
