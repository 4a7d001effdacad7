// Walks over device directory trees: sizes of files and trees, and removal of a whole tree.
// Sums are 64-bit. The walks keep their place in a list rather than on the call stack and go
// into a listed subdirectory only when its path lies below the directory listed, so they reach
// every depth a path of at most 254 bytes allows, and a handset that lists a directory inside
// itself cannot make them go round for ever. Inside a stoppable operation they end at a stop
// request between requests, reporting nothing more.
#pragma once

#include <cstdint>
#include <string>

#include "efs/efs_operations.h"

class CDiagPort;

// Whether a device directory is there, by a listing of its parent's directories: a name that
// differs only in letter case counts as there, since the handset may not tell them apart.
// Unknown when the listing fails. Reports nothing.
EfsDirPresence DeviceDirPresence(CDiagPort* port, const std::string& path);

// Size of one device file, found by listing its directory: the name in the path's own letter
// case wins, another letter case is the fallback. 0 when it is not listed.
uint32_t DeviceFileSize(CDiagPort* port, const std::string& path);

// Sum of the sizes, or of the allocated sizes, of every file in the tree below directory.
uint64_t DeviceTreeSize(CDiagPort* port, const std::string& directory);
uint64_t DeviceTreeAllocatedSize(CDiagPort* port, const std::string& directory);

// Removes files, then subdirectories depth-first, then the directory. Goes on past failures;
// true only when everything was removed. A stoppable operation of its own.
bool RemoveDeviceTree(CDiagPort* port, const std::string& directory);
