// Space accounting on the PC side: the room a file or a PC directory tree will take on the
// handset once copied. Sums are 64-bit, so large trees never wrap.
#pragma once

#include <cstdint>
#include <string>

// Space one file takes in the handset's file system: its size plus 34 bytes of overhead,
// rounded up to the next multiple of 240.
uint64_t EfsAllocatedSize(uint64_t size);

// Size of the PC file at path. The last component may be a wildcard pattern ("*.mod"), matched
// without regard to case; the first match in name order is taken. A directory or nothing at all
// gives 0.
uint64_t PcFileSize(const std::string& path);

// Sum of EfsAllocatedSize over every file in the PC directory and all its subdirectories.
// Symbolic links to directories are not followed; a directory that cannot be read gives 0.
uint64_t PcTreeAllocatedSize(const std::string& directory);
