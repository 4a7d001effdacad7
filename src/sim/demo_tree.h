// The tree the "SIM" port starts with: one module (chess.mif at the root and directory chess
// with chess.mod, chess.sig and chess.bar), a few plain files and a nested subdirectory.
#pragma once

#include <memory>

#include "sim/memory_file_system.h"

namespace sim {

std::unique_ptr<CMemoryFileSystem> MakeDemoFileSystem();

}  // namespace sim
