// Progress of the file transfers the module procedures run, for front ends that show it: the
// console's progress line on a terminal, the window's progress bar with the current file's name.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

using TransferProgressHandler =
    std::function<void(const std::string& fileName, uint64_t done, uint64_t total)>;

// Installed on the main thread; an empty function removes the handler.
void SetTransferProgressHandler(TransferProgressHandler handler);

// Reports progress of the transfer of fileName to the installed handler, if any.
void ReportTransferProgress(const std::string& fileName, uint64_t done, uint64_t total);
