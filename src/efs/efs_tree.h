// Walks over device directory trees: sizes of files and trees, and removal of a whole tree.
// Sums are 64-bit. Walks go at most maxDeviceTreeDepth levels deep, so a handset that lists a
// directory inside itself cannot recurse without end.
#pragma once

#include <cstdint>
#include <string>

class CDiagPort;

constexpr int maxDeviceTreeDepth = 64;

// Size of one device file, found by listing its directory and comparing names without regard to
// letter case; 0 when it is not listed.
uint32_t DeviceFileSize(CDiagPort* port, const std::string& path);

// Sum of the sizes, or of the allocated sizes, of every file in the tree below directory.
uint64_t DeviceTreeSize(CDiagPort* port, const std::string& directory);
uint64_t DeviceTreeAllocatedSize(CDiagPort* port, const std::string& directory);

// Removes files, then subdirectories depth-first, then the directory. Goes on past failures;
// true only when everything was removed.
bool RemoveDeviceTree(CDiagPort* port, const std::string& directory);
