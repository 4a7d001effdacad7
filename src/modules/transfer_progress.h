// Progress of the file transfers the module procedures run, for front ends that show it: the
// console's progress line on a terminal, the window's progress bar with the current file's name.
#pragma once

#include <cstdint>
#include <string>

#include "platform/session_context.h"

// Installed in the current session (its thread); an empty function removes the handler.
void SetTransferProgressHandler(TransferProgressHandler handler);

// Reports progress of the transfer of fileName to the current session's handler, if any.
void ReportTransferProgress(const std::string& fileName, uint64_t done, uint64_t total);
